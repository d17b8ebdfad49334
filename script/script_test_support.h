// Helpers for the script interpreter's tests, the fuzz target and the benchmarks: an output
// capture, a script clock that never waits in real time, a runner that scans a text and a fixture
// base that runs scripts.
//
// Thread safety: OutputCapture redirects the process-wide output streams; use one at a time.
// FakeScriptClock and ScriptRunner are used by one thread at a time.
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

// Redirects the output layer's standard output and error, in their order, into one temporary
// file. Restores the real streams when destroyed.
class OutputCapture {
 public:
  OutputCapture() : file_(std::tmpfile()) { setOutputStreamsForTest(file_, file_); }
  ~OutputCapture() {
    setOutputStreamsForTest(nullptr, nullptr);
    std::fclose(file_);
  }
  OutputCapture(const OutputCapture&) = delete;
  OutputCapture& operator=(const OutputCapture&) = delete;

  // Everything written so far.
  std::string out() const {
    std::fflush(file_);
    long end = std::ftell(file_);
    std::string text(static_cast<size_t>(end > 0 ? end : 0), '\0');
    std::rewind(file_);
    text.resize(std::fread(&text[0], 1, text.size(), file_));
    std::fseek(file_, 0, SEEK_END);
    return text;
  }

 private:
  FILE* file_;
};

// A clock whose waits end at once: a moment wait moves "now" to the moment, a sleep by its length;
// each wait is written to journal(). A set stop event ends a wait as the real one would; onWait,
// when given, runs before each wait decides (it may set the stop event).
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

// Scans |text| with |parser| and tells how the scan ended: "end" (yylex returned), "value N" (a
// script-end value) or "failure N" (the engine's signed failure value).
inline std::string runScript(CQuorvaleScriptParser* parser, const std::string& text) {
  std::istringstream input(text);
  std::ostringstream echo;
  parser->switch_streams(&input, &echo);
  try {
    parser->yylex();
  } catch (uint32_t value) {
    return "value " + std::to_string(value);
  } catch (int32_t failure) {
    return "failure " + std::to_string(failure);
  }
  return "end";
}

// The base of a test fixture that runs scripts on fresh parsers sharing one stop event and one
// fake clock.
class ScriptRunner {
 protected:
  explicit ScriptRunner(uint64_t now = 0) : stop_(true, false), clock_(now) {}

  // Runs |text| for |camera| (on |clock|, else clock_); returns all output in order, and keeps
  // how the scan ended, the lock depth and the shot count. parser_ is the parser while it runs.
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
