#include "tests/fake_serial_line.h"

#include "platform/error.h"

class FakeSerialLine::Handle final : public platform::SerialLine {
 public:
  explicit Handle(FakeSerialLine* line) : line_(line) {}
  ~Handle() override { line_->record(kClose, ""); }

  bool readState() override { return line_->readState(); }
  bool setRts(bool asserted) override { return line_->setRts(asserted); }

 private:
  FakeSerialLine* const line_;
};

FakeSerialLine::~FakeSerialLine() {
  if (openerInstalled_) platform::setSerialLineOpenerForTest(nullptr);
}

void FakeSerialLine::failNext(Op op, uint32_t code) {
  std::lock_guard<std::mutex> lock(mutex_);
  plannedFailures_[op].push_back(code);
}

std::unique_ptr<platform::SerialLine> FakeSerialLine::newHandle() {
  return std::make_unique<Handle>(this);
}

void FakeSerialLine::installOpener() {
  openerInstalled_ = true;  // set and read by the owning thread only
  platform::setSerialLineOpenerForTest(
      [this](const std::string& path) -> std::unique_ptr<platform::SerialLine> {
        if (!record(kOpen, " " + path)) return nullptr;
        return newHandle();
      });
}

bool FakeSerialLine::readState() { return record(kReadState, ""); }

bool FakeSerialLine::setRts(bool asserted) { return record(asserted ? kRtsOn : kRtsOff, ""); }

bool FakeSerialLine::record(Op op, const std::string& detail) {
  static const char* const kNames[] = {"open", "readState", "setRts(1)", "setRts(0)", "close"};
  std::lock_guard<std::mutex> lock(mutex_);
  uint32_t error = 0;
  std::vector<uint32_t>& planned = plannedFailures_[op];
  if (!planned.empty() && op != kClose) {
    error = planned.front();
    planned.erase(planned.begin());
  }
  calls_.push_back(Call{op, std::chrono::steady_clock::now()});
  journal_ += kNames[op] + detail;
  if (error != 0) journal_ += " failed " + std::to_string(error);
  journal_ += "\n";
  if (error != 0) platform::setLastError(error);
  return error == 0;
}
