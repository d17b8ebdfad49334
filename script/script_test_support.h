// Helpers for the script interpreter's tests, the fuzz target and the benchmarks: an output
// capture, a script clock that never waits in real time, and a runner that scans a text.
//
// Thread safety: OutputCapture redirects the process-wide output streams; use one at a time.
// FakeScriptClock is used by one script thread at a time.
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

// Redirects standard output and standard error of the output layer into temporary files, either
// into one (|combined|: the order of all messages) or into two. Restores the real streams when
// destroyed.
class OutputCapture {
 public:
  explicit OutputCapture(bool combined = false)
      : out_(std::tmpfile()), err_(combined ? out_ : std::tmpfile()) {
    setOutputStreamsForTest(out_, err_);
  }
  ~OutputCapture() {
    setOutputStreamsForTest(nullptr, nullptr);
    if (err_ != out_) std::fclose(err_);
    std::fclose(out_);
  }
  OutputCapture(const OutputCapture&) = delete;
  OutputCapture& operator=(const OutputCapture&) = delete;

  std::string out() const { return contents(out_); }
  std::string err() const { return contents(err_); }

 private:
  static std::string contents(FILE* file) {
    std::fflush(file);
    long end = std::ftell(file);
    std::string text(static_cast<size_t>(end > 0 ? end : 0), '\0');
    std::rewind(file);
    size_t got = std::fread(&text[0], 1, text.size(), file);
    text.resize(got);
    std::fseek(file, 0, SEEK_END);
    return text;
  }

  FILE* out_;
  FILE* err_;
};

// A clock whose waits end at once: a moment wait moves "now" to the moment, a sleep moves it by
// its length. Every wait is written to journal(). A stop event that is set ends a wait as the real
// one would; onWait, when given, runs before each wait decides (it may set the stop event).
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

  void advance(uint64_t ms) { now_ += ms * platform::kFileTimeUnitsPerMs; }
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

}  // namespace script_testing

#endif  // QUORVALE_SCRIPT_SCRIPT_TEST_SUPPORT_H_
