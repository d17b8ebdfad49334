// RehearsalScriptClock: the script clock of a rehearsal, shifted to another moment ("-at") and/or
// running faster than real time ("-speed").
//
// It reads and waits through a base clock (the real one in the program, a fake in tests). At
// construction it pairs the base's "now" with |startUtc|; from then on
//     now = startUtc + (base now - base at construction) * factor,
// so the shift follows every step of the base clock (a real-clock step of d moves it by
// d * factor). Waits for a moment arm the base's timer at the base moment that maps to it (never
// earlier), so they stay absolute waits on the real clock; sleeps last ms / factor base
// milliseconds; a pulse on a real line keeps its real length. With factor 1 the arithmetic is
// exact.
//
// Ownership: |base| is not owned and must outlive the clock.
// Thread safety: the fields are fixed after construction; safe from any thread as far as the base
// clock is.
#ifndef QUORVALE_SCRIPT_REHEARSAL_SCRIPT_CLOCK_H_
#define QUORVALE_SCRIPT_REHEARSAL_SCRIPT_CLOCK_H_

#include <cstdint>
#include <string>

#include "script/script_clock.h"

class RehearsalScriptClock final : public ScriptClock {
 public:
  // Factor 1 to 1000 are what the command line allows; any factor > 0 works.
  RehearsalScriptClock(ScriptClock* base, uint64_t startUtc, double factor);

  uint64_t utcNow() override;
  uint32_t waitForMoment(platform::WaitableTimer* timer, platform::Event* stop,
                         uint64_t dueUtc) override;
  uint32_t waitForStop(platform::Event* stop, uint64_t ms) override;
  void sleep(uint64_t ms) override;
  uint32_t holdPulse(platform::Event* stop, uint64_t ms) override;
  bool waitForUser(const std::string& caption, const std::string& text,
                   platform::Event* stop) override {
    return base_->waitForUser(caption, text, stop);
  }

  // The base moment that the script moment |utc| maps to (rounded up).
  uint64_t baseMomentOf(uint64_t utc) const;
  // Base milliseconds that |ms| script milliseconds last (rounded to the nearest).
  uint64_t baseMsOf(uint64_t ms) const;

  double factor() const { return factor_; }
  uint64_t startUtc() const { return startUtc_; }

 private:
  ScriptClock* const base_;
  const uint64_t startUtc_;
  const uint64_t baseStart_;
  const double factor_;
};

#endif  // QUORVALE_SCRIPT_REHEARSAL_SCRIPT_CLOCK_H_
