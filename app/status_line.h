// StatusLineClock: the script clock of a run whose standard output is a terminal. It leaves every
// wait to the clock it wraps and, while a wait of more than two seconds runs, redraws one status
// line on the terminal every second: the time left, the moment awaited (local and UTC), the next
// command with its line number and the system clock's state. The line is erased when the wait
// ends, and the output layer erases it before any other console text; it never reaches the log.
//
// The wait itself is the wrapped clock's, on the calling thread, unchanged: a helper thread, which
// lives as long as this clock, redraws and erases; the waiting thread only draws the first line
// before the wait and marks its end after it (no drawing or joining on the way out).
//
// REQUIRES: the wrapped clock's utcNow() may be called from any thread (the helper reads it).
// Ownership: the wrapped clock and the parser must outlive this clock. The next command is read
// from the text the parser scans, in place: no copy of the script is kept.
// Thread safety: waits are called by the script thread; the helper thread reads only what is
// fixed for the length of one wait.
#ifndef QUORVALE_APP_STATUS_LINE_H_
#define QUORVALE_APP_STATUS_LINE_H_

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/clock_discipline.h"
#include "script/script_clock.h"
#include "script/script_text_lines.h"

class CQuorvaleScriptParser;

// The waits shorter than this show no status line.
constexpr uint64_t kStatusLineMinWaitMs = 2000;

class StatusLineClock final : public ScriptClock {
 public:
  // |columns|: the terminal's width; the line is cut to one less (0: never cut).
  StatusLineClock(ScriptClock* wrapped, const platform::ClockDiscipline& clockState,
                  size_t columns);
  // Ends the helper thread and erases a line still shown.
  ~StatusLineClock() override;
  StatusLineClock(const StatusLineClock&) = delete;
  StatusLineClock& operator=(const StatusLineClock&) = delete;

  // The parser whose current line tells the next command (may be null, or scan a stream: no next
  // command shown).
  void setParser(const CQuorvaleScriptParser* parser) { lines_.emplace(parser); }

  // GPS time against the system clock, e.g. "GPS -0.012 s", shown after the clock's state: |text|
  // is called by the helper thread at each redraw (with this clock's lock held; it must not wait
  // for the script thread). Empty result: nothing shown.
  void setGpsClock(std::function<std::string()> text);

  uint64_t utcNow() override { return wrapped_->utcNow(); }
  bool isPast(uint64_t dueUtc) override { return wrapped_->isPast(dueUtc); }
  uint32_t waitForMoment(platform::WaitableTimer* timer, platform::Event* stop,
                         uint64_t dueUtc) override;
  uint32_t waitForStop(platform::Event* stop, uint64_t ms) override;
  void sleep(uint64_t ms) override { wrapped_->sleep(ms); }
  uint32_t holdPulse(platform::Event* stop, uint64_t ms) override {
    return wrapped_->holdPulse(stop, ms);
  }
  bool waitForUser(const std::string& caption, const std::string& text,
                   platform::Event* stop) override {
    return wrapped_->waitForUser(caption, text, stop);
  }

 private:
  // The status text at |nowUtc| for a wait until |dueUtc|, cut to the terminal's width.
  // REQUIRES: mutex_ held.
  std::string statusText(uint64_t nowUtc, uint64_t dueUtc) const;

  // "next line 33: shot tv=1/250", "next: end of script", or empty: the first command line after
  // the current one. REQUIRES: called by the scanning thread.
  std::string nextCommandText();

  // Shows the line of a wait until |dueUtc| now and has the helper redraw it every second.
  void arm(uint64_t dueUtc);
  // The wait is over: the helper erases the line at its next tick (within a second), unless
  // output has erased it first.
  void disarm();
  void run();  // the helper thread

  ScriptClock* const wrapped_;
  const platform::ClockDiscipline clockState_;
  const size_t columns_;
  std::optional<ScriptTextLines> lines_;  // used by the scanning thread only

  std::mutex mutex_;
  std::condition_variable wake_;
  std::string next_;         // guarded by mutex_: nextCommandText() of the wait in progress
  std::function<std::string()> gpsClock_;  // guarded by mutex_
  uint64_t due_ = 0;         // guarded by mutex_
  bool armed_ = false;       // guarded by mutex_: a long wait is in progress
  uint64_t generation_ = 0;  // guarded by mutex_: counts the waits armed
  bool done_ = false;        // guarded by mutex_
  std::thread thread_;
};

#endif  // QUORVALE_APP_STATUS_LINE_H_
