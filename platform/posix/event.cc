// POSIX implementation of events, waitable timers and waitAny().
//
// All signalling state lives under one process-wide mutex (the program has a handful of objects
// and little contention, and one mutex makes waiting on several objects simple and race-free).
// A waiting thread registers a Waiter with every object it waits for; set() and setAbsolute()
// wake the registered waiters, which then re-examine the objects in index order. pulse() hands
// itself directly to the waiters registered at that moment, so it releases exactly those.
//
// Deadlines: a wait for a timer sleeps on a condition variable bound to CLOCK_REALTIME with the
// timer's absolute due time, so a step of the system clock moves the wake-up with it; relative
// time limits sleep on a CLOCK_MONOTONIC condition variable. Nothing polls. A precise wait
// (waitAnyPrecisely) sleeps so until shortly before the moment (a lead of 100 to 600 us that
// follows the recent wake-up delays), with the thread's timer slack at its least, and spins on the
// clock for the rest, with the mutex released.
#include "platform/event.h"

#include <errno.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <time.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/clock.h"
#include "platform/error.h"

namespace platform {

namespace {

constexpr int64_t kEpochDeltaSeconds = 11644473600LL;

// Guards every Waitable::Impl and every registered Waiter.
pthread_mutex_t g_mutex = PTHREAD_MUTEX_INITIALIZER;

struct MutexGuard {
  MutexGuard() { pthread_mutex_lock(&g_mutex); }
  ~MutexGuard() { pthread_mutex_unlock(&g_mutex); }
  MutexGuard(const MutexGuard&) = delete;
  MutexGuard& operator=(const MutexGuard&) = delete;
};

}  // namespace

// One thread blocked in waitAny(). Lives on that thread's stack; reached by other threads only
// through the waiter lists of the objects, under g_mutex.
struct EventWaiter {
  EventWaiter() {
    pthread_condattr_t attr;
    pthread_condattr_init(&attr);
    pthread_condattr_setclock(&attr, CLOCK_REALTIME);
    pthread_cond_init(&realtimeCond, &attr);
    pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
    pthread_cond_init(&monotonicCond, &attr);
    pthread_condattr_destroy(&attr);
  }
  ~EventWaiter() {
    pthread_cond_destroy(&realtimeCond);
    pthread_cond_destroy(&monotonicCond);
  }
  EventWaiter(const EventWaiter&) = delete;
  EventWaiter& operator=(const EventWaiter&) = delete;

  void wake() {
    pthread_cond_signal(&realtimeCond);
    pthread_cond_signal(&monotonicCond);
  }

  pthread_cond_t realtimeCond;
  pthread_cond_t monotonicCond;
  const Waitable::Impl* pulsedBy = nullptr;  // the object whose pulse released this waiter
};

struct Waitable::Impl {
  Impl(bool isTimer, bool manualReset, bool signalled)
      : isTimer(isTimer), manualReset(manualReset), signalled(signalled) {
    waiters.reserve(4);
  }

  // Fires an armed timer whose due time has come.
  void refresh(uint64_t now) {
    if (isTimer && armed && now >= due) {
      armed = false;
      signalled = true;
    }
  }

  void wakeAll() {
    for (EventWaiter* w : waiters) w->wake();
  }

  // All fields guarded by g_mutex.
  const bool isTimer;
  const bool manualReset;
  bool signalled;
  bool armed = false;  // timers: waiting for |due|
  uint64_t due = 0;    // timers: absolute UTC file time
  std::vector<EventWaiter*> waiters;
};

namespace {

// Returns the lowest index whose object is signalled, consuming an auto-reset signal, or -1.
// REQUIRES: g_mutex held.
long consumeFirstSignalled(Waitable* const* objects, size_t count) {
  const uint64_t now = utcNow();
  for (size_t i = 0; i < count; ++i) {
    Waitable::Impl* impl = objects[i]->impl();
    impl->refresh(now);
    if (impl->signalled) {
      if (!impl->manualReset) impl->signalled = false;
      return static_cast<long>(i);
    }
  }
  return -1;
}

// The earliest due time among the armed timers, or 0 when there is none. REQUIRES: g_mutex held.
uint64_t earliestTimerDue(Waitable* const* objects, size_t count) {
  uint64_t earliest = 0;
  for (size_t i = 0; i < count; ++i) {
    const Waitable::Impl* impl = objects[i]->impl();
    if (impl->isTimer && impl->armed && (earliest == 0 || impl->due < earliest)) {
      earliest = impl->due;
    }
  }
  return earliest;
}

timespec realtimeOf(uint64_t fileTime) {
  timespec ts;
  const int64_t seconds =
      static_cast<int64_t>(fileTime / kFileTimeUnitsPerSecond) - kEpochDeltaSeconds;
  ts.tv_sec = static_cast<time_t>(std::max<int64_t>(seconds, 0));
  ts.tv_nsec = seconds < 0 ? 0 : static_cast<long>(fileTime % kFileTimeUnitsPerSecond) * 100;
  return ts;
}

timespec monotonicAfter(uint32_t ms) {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  ts.tv_sec += ms / 1000;
  ts.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
  if (ts.tv_nsec >= 1000000000L) {
    ts.tv_nsec -= 1000000000L;
    ++ts.tv_sec;
  }
  return ts;
}

bool monotonicPassed(const timespec& deadline) {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec > deadline.tv_sec ||
         (now.tv_sec == deadline.tv_sec && now.tv_nsec >= deadline.tv_nsec);
}

// Nanoseconds from now until |deadline| on the monotonic clock (negative when passed).
int64_t monotonicRemainingNs(const timespec& deadline) {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (static_cast<int64_t>(deadline.tv_sec) - now.tv_sec) * 1000000000LL +
         (deadline.tv_nsec - now.tv_nsec);
}

}  // namespace

Waitable::Waitable(Impl* impl) : impl_(impl) {}

Waitable::~Waitable() { delete impl_; }

Event::Event(bool manualReset, bool initiallySignalled)
    : Waitable(new Impl(/*isTimer=*/false, manualReset, initiallySignalled)) {}

void Event::set() {
  MutexGuard guard;
  impl()->signalled = true;
  impl()->wakeAll();
}

void Event::reset() {
  MutexGuard guard;
  impl()->signalled = false;
}

void Event::pulse() {
  MutexGuard guard;
  Impl* self = impl();
  for (EventWaiter* w : self->waiters) {
    if (w->pulsedBy != nullptr) continue;  // already released by another object
    w->pulsedBy = self;
    w->wake();
    if (!self->manualReset) break;  // an auto-reset pulse releases one waiter
  }
  self->signalled = false;
}

uint32_t Event::wait(uint32_t timeoutMs) {
  Waitable* self = this;
  return waitAny(&self, 1, timeoutMs);
}

WaitableTimer::WaitableTimer()
    : Waitable(new Impl(/*isTimer=*/true, /*manualReset=*/false, /*signalled=*/false)) {}

void WaitableTimer::setAbsolute(uint64_t dueUtc) {
  MutexGuard guard;
  impl()->armed = true;
  impl()->due = dueUtc;
  impl()->signalled = false;
  impl()->wakeAll();  // waiters recompute their deadline
}

void WaitableTimer::cancel() {
  MutexGuard guard;
  impl()->armed = false;
  impl()->signalled = false;
}

namespace {

// A precise wait sleeps on the timer until a lead before its moment and spins on the clock for the
// rest. The lead follows how late the wake-ups of such waits have lately come (twice the recent
// worst, decaying by an eighth per wait) within these bounds: long enough to cover the wake-up's
// own delay on a busy machine, short enough to keep the spin under a millisecond of processor time.
constexpr int64_t kLeastLeadNs = 100000;  // 100 us
constexpr int64_t kMostLeadNs = 600000;   // 600 us
int64_t g_wakeLatenessNs = 50000;         // the recent worst; guarded by g_mutex

int64_t preciseLeadNs() {
  return std::min(kMostLeadNs, std::max(kLeastLeadNs, 2 * g_wakeLatenessNs));
}

// Notes how late a wake-up for the lead came. REQUIRES: g_mutex held.
void noteWakeLateness(int64_t lateNs) {
  g_wakeLatenessNs =
      std::max(std::max<int64_t>(lateNs, 0), g_wakeLatenessNs - g_wakeLatenessNs / 8);
}
// A spin never lasts longer than this (a step of the clock backwards): the wait then sleeps again.
constexpr int64_t kLongestSpinNs = 2000000;

// The calling thread's timer slack (the leeway the kernel may add to its timed sleeps) set to the
// least for the life of the object, so that the wake-up before the spin comes when asked.
class LeastTimerSlack {
 public:
  LeastTimerSlack() {
#ifdef PR_SET_TIMERSLACK
    const int old = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
    if (old > 1 && prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0) == 0) old_ = old;
#endif
  }
  ~LeastTimerSlack() {
#ifdef PR_SET_TIMERSLACK
    if (old_ > 0) prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(old_), 0, 0, 0);
#endif
  }
  LeastTimerSlack(const LeastTimerSlack&) = delete;
  LeastTimerSlack& operator=(const LeastTimerSlack&) = delete;

 private:
  int old_ = 0;
};

timespec monotonicNow() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts;
}

int64_t nsBetween(const timespec& from, const timespec& to) {
  return (static_cast<int64_t>(to.tv_sec) - from.tv_sec) * 1000000000LL +
         (to.tv_nsec - from.tv_nsec);
}

timespec minusNs(timespec ts, int64_t ns) {
  ts.tv_sec -= static_cast<time_t>(ns / 1000000000LL);
  ts.tv_nsec -= static_cast<long>(ns % 1000000000LL);
  if (ts.tv_nsec < 0) {
    ts.tv_nsec += 1000000000L;
    --ts.tv_sec;
  }
  return ts;
}

// Spins, with g_mutex released, until the real-time clock reaches |dueUtc| (or, without a timer,
// the monotonic clock reaches |limit|), for at most kLongestSpinNs.
void spinUntil(bool timer, uint64_t dueUtc, const timespec& limit) {
  pthread_mutex_unlock(&g_mutex);
  const timespec start = monotonicNow();
  for (;;) {
    const timespec now = monotonicNow();
    if (timer ? utcNow() >= dueUtc : nsBetween(limit, now) >= 0) break;
    if (nsBetween(start, now) > kLongestSpinNs) break;
  }
  pthread_mutex_lock(&g_mutex);
}

uint32_t waitAnyWith(Waitable* const* objects, size_t count, uint32_t timeoutMs, bool precise) {
  if (objects == nullptr || count == 0) {
    setLastError(EINVAL);
    return kWaitFailed;
  }
  for (size_t i = 0; i < count; ++i) {
    if (objects[i] == nullptr) {
      setLastError(EINVAL);
      return kWaitFailed;
    }
  }
  const bool limited = timeoutMs != kInfinite;
  const timespec limit = limited ? monotonicAfter(timeoutMs) : timespec{};
  std::optional<LeastTimerSlack> slack;
  if (precise) slack.emplace();

  MutexGuard guard;
  long index = consumeFirstSignalled(objects, count);
  if (index >= 0) return kWaitObject0 + static_cast<uint32_t>(index);
  if (timeoutMs == 0) return kWaitTimeout;

  EventWaiter waiter;
  for (size_t i = 0; i < count; ++i) objects[i]->impl()->waiters.push_back(&waiter);

  uint32_t result = kWaitTimeout;
  for (;;) {
    const uint64_t due = earliestTimerDue(objects, count);
    bool useTimer = due != 0;
    if (useTimer && limited) {
      const int64_t timerNs = (static_cast<int64_t>(due) - static_cast<int64_t>(utcNow())) * 100;
      useTimer = timerNs <= monotonicRemainingNs(limit);
    }
    if (precise && (useTimer || limited)) {
      // Asleep until the lead before the moment, then on the clock.
      const int64_t leftNs =
          useTimer ? (static_cast<int64_t>(due) - static_cast<int64_t>(utcNow())) * 100
                   : monotonicRemainingNs(limit);
      const int64_t leadNs = preciseLeadNs();
      if (leftNs > leadNs) {
        int rc = 0;
        if (useTimer) {
          const uint64_t wakeUtc = due - static_cast<uint64_t>(leadNs / 100);
          const timespec at = realtimeOf(wakeUtc);
          rc = pthread_cond_timedwait(&waiter.realtimeCond, &g_mutex, &at);
          if (rc == ETIMEDOUT) {
            noteWakeLateness((static_cast<int64_t>(utcNow()) - static_cast<int64_t>(wakeUtc)) *
                             100);
          }
        } else {
          const timespec at = minusNs(limit, leadNs);
          rc = pthread_cond_timedwait(&waiter.monotonicCond, &g_mutex, &at);
          if (rc == ETIMEDOUT) noteWakeLateness(nsBetween(at, monotonicNow()));
        }
      } else if (leftNs > 0 && waiter.pulsedBy == nullptr) {
        spinUntil(useTimer, due, limit);
      }
    } else if (useTimer) {
      const timespec at = realtimeOf(due);
      pthread_cond_timedwait(&waiter.realtimeCond, &g_mutex, &at);
    } else if (limited) {
      pthread_cond_timedwait(&waiter.monotonicCond, &g_mutex, &limit);
    } else {
      pthread_cond_wait(&waiter.monotonicCond, &g_mutex);
    }

    if (waiter.pulsedBy != nullptr) {
      for (size_t i = 0; i < count; ++i) {
        if (objects[i]->impl() == waiter.pulsedBy) {
          result = kWaitObject0 + static_cast<uint32_t>(i);
          break;
        }
      }
      break;
    }
    index = consumeFirstSignalled(objects, count);
    if (index >= 0) {
      result = kWaitObject0 + static_cast<uint32_t>(index);
      break;
    }
    if (limited && monotonicPassed(limit)) break;
  }

  for (size_t i = 0; i < count; ++i) {
    std::vector<EventWaiter*>& list = objects[i]->impl()->waiters;
    list.erase(std::remove(list.begin(), list.end(), &waiter), list.end());
  }
  return result;
}

}  // namespace

uint32_t waitAny(Waitable* const* objects, size_t count, uint32_t timeoutMs) {
  return waitAnyWith(objects, count, timeoutMs, /*precise=*/false);
}

uint32_t waitAnyPrecisely(Waitable* const* objects, size_t count, uint32_t timeoutMs) {
  return waitAnyWith(objects, count, timeoutMs, /*precise=*/true);
}

size_t waiterCountForTest(const Waitable& object) {
  MutexGuard guard;
  return object.impl()->waiters.size();
}

}  // namespace platform
