// ScriptClock: the clock and the waits of the script commands, behind one seam so that tests and
// the fuzz target can run scripts with far moments and long sleeps without waiting in real time.
//
// The system clock (systemScriptClock) reads the real-time clock and blocks in the platform's
// timers and events; no wait polls. Its waits for a moment, sleeps and pulses are precise waits
// (platform::waitAnyPrecisely): asleep until shortly before the moment, then finished on the clock,
// so the next step starts microseconds after it, never before.
//
// Thread safety: the system clock is stateless and may be used from any thread. Other clocks are
// used by the script thread that owns the parser they were given to.
#ifndef QUORVALE_SCRIPT_SCRIPT_CLOCK_H_
#define QUORVALE_SCRIPT_SCRIPT_CLOCK_H_

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/event.h"

class ScriptClock {
 public:
  virtual ~ScriptClock() = default;

  // The current UTC moment as a file time.
  virtual uint64_t utcNow() = 0;

  // Arms |timer| for the absolute UTC moment |dueUtc| and waits for it or for |stop| (may be null).
  // Returns platform::kWaitObject0 when the timer fired, kWaitObject0 + 1 when |stop| was set, or
  // platform::kWaitFailed with platform::lastError() set. The timer is left armed or fired; the
  // caller cancels it.
  virtual uint32_t waitForMoment(platform::WaitableTimer* timer, platform::Event* stop,
                                 uint64_t dueUtc) = 0;

  // Waits |ms| milliseconds (any length) or until |stop| is set. Returns platform::kWaitTimeout
  // after the whole time, kWaitObject0 when |stop| was set, kWaitFailed on failure.
  virtual uint32_t waitForStop(platform::Event* stop, uint64_t ms) = 0;

  // Blocks |ms| milliseconds without watching anything.
  virtual void sleep(uint64_t ms) = 0;

  // True when the UTC moment |dueUtc| lies strictly before now: a wait for it would not wait.
  virtual bool isPast(uint64_t dueUtc) { return utcNow() > dueUtc; }

  // Holds the script until the person answers the prompt |caption| / |text|, or |stop| (may be
  // null) is set; a wait of unknown length. Returns false when stopped. The system clock shows the
  // platform's prompt.
  virtual bool waitForUser(const std::string& caption, const std::string& text,
                           platform::Event* stop);
  // Holds a pulse on a real line (the flash's RTS) for |ms| milliseconds or until |stop| (may be
  // null) is set; returns as waitForStop does. A clock that runs faster than real time still holds
  // it for its real length.
  virtual uint32_t holdPulse(platform::Event* stop, uint64_t ms) {
    if (stop != nullptr) return waitForStop(stop, ms);
    sleep(ms);
    return platform::kWaitTimeout;
  }

  // The current time broken down in UTC or in the local zone.
  platform::CalendarTime utcCalendar();
  platform::CalendarTime localCalendar();
};

// The real clock; lives for the whole program.
ScriptClock* systemScriptClock();

#endif  // QUORVALE_SCRIPT_SCRIPT_CLOCK_H_
