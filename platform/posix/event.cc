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
// clock for the rest (precise_wait.h), with the mutex released.
//
// Thread safety: g_mutex guards every object's state, every registered waiter and the precise
// waits' record of wake-up lateness; no lock is held while a wait spins.
#include "platform/event.h"

#include <errno.h>
#include <pthread.h>
#include <time.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/clock.h"
#include "platform/error.h"
#include "platform/posix/precise_wait.h"
#include "platform/posix/wait_clocks.h"

namespace platform {

namespace {

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
      preciseWaitStep(&g_mutex, &waiter.realtimeCond, &waiter.monotonicCond, useTimer, due, limit,
                      waiter.pulsedBy != nullptr);
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
