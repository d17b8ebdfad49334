#include "platform/posix/precise_wait.h"

#include <errno.h>
#include <sys/prctl.h>

#include <algorithm>

#include "platform/clock.h"
#include "platform/posix/wait_clocks.h"

namespace platform {

namespace {

// The lead follows how late the wake-ups of precise waits have lately come (twice the recent
// worst, decaying by an eighth per wait) within these bounds: long enough to cover the wake-up's
// own delay on a busy machine, short enough to keep the spin under a millisecond of processor time.
constexpr int64_t kLeastLeadNs = 100000;  // 100 us
constexpr int64_t kMostLeadNs = 600000;   // 600 us
int64_t g_wakeLatenessNs = 50000;         // the recent worst; guarded by the event mutex

// A spin never lasts longer than this (a step of the clock backwards): the wait then sleeps again.
constexpr int64_t kLongestSpinNs = 2000000;

// REQUIRES: the event mutex held.
int64_t preciseLeadNs() {
  return std::min(kMostLeadNs, std::max(kLeastLeadNs, 2 * g_wakeLatenessNs));
}

// Notes how late a wake-up for the lead came. REQUIRES: the event mutex held.
void noteWakeLateness(int64_t lateNs) {
  g_wakeLatenessNs =
      std::max(std::max<int64_t>(lateNs, 0), g_wakeLatenessNs - g_wakeLatenessNs / 8);
}

// Spins, with |mutex| released, until the real-time clock reaches |dueUtc| (or, without a timer,
// the monotonic clock reaches |limit|), for at most kLongestSpinNs.
void spinUntil(pthread_mutex_t* mutex, bool timer, uint64_t dueUtc, const timespec& limit) {
  pthread_mutex_unlock(mutex);
  const timespec start = monotonicNow();
  for (;;) {
    const timespec now = monotonicNow();
    if (timer ? utcNow() >= dueUtc : nsBetween(limit, now) >= 0) break;
    if (nsBetween(start, now) > kLongestSpinNs) break;
  }
  pthread_mutex_lock(mutex);
}

}  // namespace

LeastTimerSlack::LeastTimerSlack() {
#ifdef PR_SET_TIMERSLACK
  const int old = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
  if (old > 1 && prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0) == 0) old_ = old;
#endif
}

LeastTimerSlack::~LeastTimerSlack() {
#ifdef PR_SET_TIMERSLACK
  if (old_ > 0) prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(old_), 0, 0, 0);
#endif
}

void preciseWaitStep(pthread_mutex_t* mutex, pthread_cond_t* realtimeCond,
                     pthread_cond_t* monotonicCond, bool useTimer, uint64_t dueUtc,
                     const timespec& limit, bool released) {
  // Asleep until the lead before the moment, then on the clock.
  const int64_t leftNs = useTimer
                             ? (static_cast<int64_t>(dueUtc) - static_cast<int64_t>(utcNow())) * 100
                             : monotonicRemainingNs(limit);
  const int64_t leadNs = preciseLeadNs();
  if (leftNs > leadNs) {
    if (useTimer) {
      const uint64_t wakeUtc = dueUtc - static_cast<uint64_t>(leadNs / 100);
      const timespec at = realtimeOf(wakeUtc);
      if (pthread_cond_timedwait(realtimeCond, mutex, &at) == ETIMEDOUT) {
        noteWakeLateness((static_cast<int64_t>(utcNow()) - static_cast<int64_t>(wakeUtc)) * 100);
      }
    } else {
      const timespec at = minusNs(limit, leadNs);
      if (pthread_cond_timedwait(monotonicCond, mutex, &at) == ETIMEDOUT) {
        noteWakeLateness(nsBetween(at, monotonicNow()));
      }
    }
  } else if (leftNs > 0 && !released) {
    spinUntil(mutex, useTimer, dueUtc, limit);
  }
}

}  // namespace platform
