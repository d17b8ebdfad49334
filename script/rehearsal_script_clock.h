// RehearsalScriptClock: the script clock of a rehearsal, shifted to another moment ("-at") and/or
// running faster than real time ("-speed").
//
// Shifted only (factor 1), it reads and waits through a base clock (the real one in the program, a
// fake in tests): at construction it pairs the base's "now" with |startUtc|; from then on
//     now = startUtc + (base now - base at construction),
// exactly, so the shift follows every step of the base clock; waits for a moment arm the base's
// timer at the base moment that maps to it, so they stay absolute waits on the real clock.
//
// Faster (factor > 1), the time is the pace's (rehearsal_pace.h), which the simulated bodies keep:
//     now = startUtc + (pace now - pace at construction).
// The script's waits (for a moment, for a length, sleeps) hurry the pace |factor| times to their
// end and wait for the real time that takes on the base clock (a wait of a length: the pace does
// not follow steps of the real clock, and the timer stays unarmed); the pace is at real speed again
// as soon as the wait's moment is reached, or when the wait ends early (a stop). Everything else
// the program does (its own work, shots, the waits for the bodies) runs at real speed, so a
// rehearsal meets what a run at 1x meets. A pulse on a real line keeps its real length, and so does
// a prompt.
//
// Ownership: |base| and |pace| are not owned and must outlive the clock.
// Thread safety: the fields are fixed after construction; safe from any thread as far as the base
// clock and the pace are.
#ifndef QUORVALE_SCRIPT_REHEARSAL_SCRIPT_CLOCK_H_
#define QUORVALE_SCRIPT_REHEARSAL_SCRIPT_CLOCK_H_

#include <cstdint>
#include <string>

#include "script/rehearsal_pace.h"
#include "script/script_clock.h"

class RehearsalScriptClock final : public ScriptClock {
 public:
  // Shifted only.
  RehearsalScriptClock(ScriptClock* base, uint64_t startUtc);
  // Shifted and |factor| (> 1) times faster on |pace|.
  RehearsalScriptClock(ScriptClock* base, uint64_t startUtc, RehearsalPace* pace, double factor);

  uint64_t utcNow() override;
  uint32_t waitForMoment(platform::WaitableTimer* timer, platform::Event* stop,
                         uint64_t dueUtc) override;
  uint32_t waitForStop(platform::Event* stop, uint64_t ms) override;
  void sleep(uint64_t ms) override;
  uint32_t holdPulse(platform::Event* stop, uint64_t ms) override {
    return base_->holdPulse(stop, ms);
  }
  bool waitForUser(const std::string& caption, const std::string& text,
                   platform::Event* stop) override {
    return base_->waitForUser(caption, text, stop);
  }

  // Shifted only: the base moment that the script moment |utc| maps to.
  uint64_t baseMomentOf(uint64_t utc) const;

  double factor() const { return factor_; }
  uint64_t startUtc() const { return startUtc_; }

 private:
  // The pace's time at the script moment |utc|.
  double paceMsOf(uint64_t utc) const;
  // Hurries the pace to its time |untilMs| and returns the real ms until it gets there, whole ms
  // rounded up.
  uint64_t hurryTo(double untilMs);

  ScriptClock* const base_;
  const uint64_t startUtc_;
  const uint64_t baseStart_;
  RehearsalPace* const pace_;  // null: shifted only
  const double paceStart_;
  const double factor_;
};

#endif  // QUORVALE_SCRIPT_REHEARSAL_SCRIPT_CLOCK_H_
