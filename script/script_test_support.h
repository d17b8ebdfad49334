// Helpers for the script interpreter's tests, the fuzz target and the benchmarks. Each is used by
// one thread at a time; OutputCapture redirects process-wide streams, so only one may live.
#ifndef QUORVALE_SCRIPT_SCRIPT_TEST_SUPPORT_H_
#define QUORVALE_SCRIPT_SCRIPT_TEST_SUPPORT_H_

#include <cstdint>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>

#include "output/output.h"
#include "platform/event.h"
#include "script/script_clock.h"
#include "script/script_parser.h"

namespace script_testing {

// All of |file|'s text; leaves the position at its end.
inline std::string fileText(FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
  return text;
}

// Redirects the output layer's standard output and error, in their order, into one file.
class OutputCapture {
 public:
  OutputCapture() : file_(std::tmpfile()) { setOutputStreamsForTest(file_, file_); }
  ~OutputCapture() {
    setOutputStreamsForTest(nullptr, nullptr);
    std::fclose(file_);
  }
  OutputCapture(const OutputCapture&) = delete;
  OutputCapture& operator=(const OutputCapture&) = delete;

  std::string out() const { return fileText(file_); }

 private:
  FILE* file_;
};

// A clock whose waits end at once, moving "now" on and writing each wait to journal(). A set stop
// event ends a wait as on the real clock; onWait runs before each wait decides (it may stop).
class FakeScriptClock final : public ScriptClock {
 public:
  explicit FakeScriptClock(uint64_t now) : now_(now) {}

  uint64_t utcNow() override { return now_; }

  uint32_t waitForMoment(platform::WaitableTimer*, platform::Event* stop, uint64_t due) override {
    journal_ << "moment +" << (due - now_) / platform::kFileTimeUnitsPerMs << " ms\n";
    if (onWait) onWait();
    if (failWaits) return platform::kWaitFailed;
    if (stop != nullptr && stop->wait(0) == platform::kWaitObject0)
      return platform::kWaitObject0 + 1;
    now_ = due;
    return platform::kWaitObject0;
  }

  uint32_t waitForStop(platform::Event* stop, uint64_t ms) override {
    journal_ << "sleep " << ms << " ms\n";
    if (onWait) onWait();
    if (stop != nullptr && stop->wait(0) == platform::kWaitObject0) return platform::kWaitObject0;
    now_ += ms * platform::kFileTimeUnitsPerMs;
    return platform::kWaitTimeout;
  }

  void sleep(uint64_t ms) override {
    journal_ << "pause " << ms << " ms\n";
    now_ += ms * platform::kFileTimeUnitsPerMs;
  }

  std::string journal() const { return journal_.str(); }

  std::function<void()> onWait;
  bool failWaits = false;

 private:
  uint64_t now_;
  std::ostringstream journal_;
};

// Scans a copy of |text| in place with |parser|, as the script thread does, and tells how the scan
// ended: "end" (yylex returned), "value N" (a script-end value) or "failure N" (the engine's
// signed failure value).
inline std::string runScript(CQuorvaleScriptParser* parser, const std::string& text) {
  std::string buffer = text + std::string(2, '\0');
  try {
    parser->switchToText(&buffer[0], text.size());
    parser->yylex();
  } catch (uint32_t value) {
    return "value " + std::to_string(value);
  } catch (int32_t failure) {
    return "failure " + std::to_string(failure);
  }
  return "end";
}

// A fixture base that runs scripts on fresh parsers sharing one stop event and one fake clock.
class ScriptRunner {
 protected:
  explicit ScriptRunner(uint64_t now = 0) : stop_(true, false), clock_(now) {}

  // Runs |text| (on |clock|, else clock_); returns all output, keeps the end, locks and shots.
  std::string runText(CCanonCamera* camera, const std::string& text,
                      platform::SerialLine* port = nullptr, ScriptClock* clock = nullptr) {
    OutputCapture capture;
    CQuorvaleScriptParser parser(camera, port, nullptr, &stop_, clock ? clock : &clock_);
    parser_ = &parser;
    end_ = runScript(&parser, text);
    parser_ = nullptr;
    lockCount_ = parser.lockCount();
    shots_ = parser.shots();
    return capture.out();
  }

  platform::Event stop_;
  FakeScriptClock clock_;
  CQuorvaleScriptParser* parser_ = nullptr;
  std::string end_;
  uint32_t lockCount_ = 0;
  uint32_t shots_ = 0;
};

}  // namespace script_testing

#endif  // QUORVALE_SCRIPT_SCRIPT_TEST_SUPPORT_H_
