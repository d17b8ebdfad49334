// PlanningClock: the script clock of a script check. It jumps instead of waiting: a wait for a
// moment moves "now" to that moment, a sleep or pause moves it on by its length, a prompt returns
// at once. Every wait is told to a listener first, so the check can plan and judge it.
//
// Ownership: the listener is not owned and must outlive the clock.
// Thread safety: used by the one thread that runs the checked script.
#ifndef QUORVALE_SCRIPT_PLANNING_CLOCK_H_
#define QUORVALE_SCRIPT_PLANNING_CLOCK_H_

#include <cstdint>
#include <string>

#include "script/script_clock.h"

class PlanningClock final : public ScriptClock {
 public:
  class Listener {
   public:
    virtual ~Listener() = default;
    // A wait for |dueUtc| is about to be judged at |nowUtc| (past when now is later).
    virtual void onDue(uint64_t dueUtc, uint64_t nowUtc) = 0;
    // The script waits from |fromUtc| to |dueUtc|.
    virtual void onWaitUntil(uint64_t fromUtc, uint64_t dueUtc) = 0;
    // The script sleeps |ms| from |fromUtc|; |watched| is false for the plain pauses (the setting
    // pause of a property, the flash pulse).
    virtual void onSleep(uint64_t fromUtc, uint64_t ms, bool watched) = 0;
    // The script waits for the person at |atUtc|, for an unknown time.
    virtual void onUserWait(uint64_t atUtc, const std::string& text) = 0;
  };

  PlanningClock(uint64_t startUtc, Listener* listener) : now_(startUtc), listener_(listener) {}

  uint64_t utcNow() override { return now_; }
  bool isPast(uint64_t dueUtc) override;
  uint32_t waitForMoment(platform::WaitableTimer* timer, platform::Event* stop,
                         uint64_t dueUtc) override;
  uint32_t waitForStop(platform::Event* stop, uint64_t ms) override;
  void sleep(uint64_t ms) override;
  bool waitForUser(const std::string& caption, const std::string& text,
                   platform::Event* stop) override;

  // Moves now on by |ms| (what a shot holds the script for).
  void advanceMs(uint64_t ms);

 private:
  uint64_t now_;
  Listener* const listener_;
};

#endif  // QUORVALE_SCRIPT_PLANNING_CLOCK_H_
