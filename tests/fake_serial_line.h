// A recording serial line: the code under test owns handles to it (newHandle(), or openSerialLine()
// after installOpener()); every call is recorded with a monotonic time stamp and may be made to
// fail with a chosen system error. One mutex guards the state; the fake outlives its handles.
#ifndef QUORVALE_TESTS_FAKE_SERIAL_LINE_H_
#define QUORVALE_TESTS_FAKE_SERIAL_LINE_H_

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/serial_port.h"

class FakeSerialLine final : public platform::SerialLine {
 public:
  enum Op { kOpen, kReadState, kRtsOn, kRtsOff, kClose };

  struct Call {
    Op op;
    std::chrono::steady_clock::time_point at;
  };

  FakeSerialLine() = default;
  ~FakeSerialLine() override;
  FakeSerialLine(const FakeSerialLine&) = delete;
  FakeSerialLine& operator=(const FakeSerialLine&) = delete;

  // The next call of |op| fails once with |code| (kClose never fails).
  void failNext(Op op, uint32_t code);
  std::unique_ptr<platform::SerialLine> newHandle();  // its destruction records "close"
  void installOpener();  // openSerialLine() opens this fake, recording "open <path>"

  // "open <path>", "readState", "setRts(1)", "setRts(0)", "close", a line each, with
  // " failed <code>" after a failed call.
  std::string journal() const { return locked(journal_); }
  std::vector<Call> calls() const { return locked(calls_); }

  bool readState() override;
  bool setRts(bool asserted) override;

 private:
  class Handle;

  template <typename T>
  T locked(const T& member) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return member;
  }

  bool record(Op op, const std::string& detail);  // false, lastError() set, on a planned failure

  mutable std::mutex mutex_;
  std::map<Op, std::vector<uint32_t>> plannedFailures_;  // guarded by mutex_
  std::vector<Call> calls_;                              // guarded by mutex_
  std::string journal_;                                  // guarded by mutex_
  bool openerInstalled_ = false;                         // the owning thread's
};

#endif  // QUORVALE_TESTS_FAKE_SERIAL_LINE_H_
