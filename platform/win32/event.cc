// Windows implementation of events, waitable timers and waitAny(): kernel events and waitable
// timers, waited for with WaitForMultipleObjects.
//
// Pulses: PulseEvent can miss a thread that is momentarily out of its wait (the system documents
// it as unreliable), so pulse() is built on the waits' own bookkeeping instead. Every blocking
// wait registers itself, under one process-wide lock, with each event it waits for and adds its
// thread's own wake event as the first object of the wait. pulse() marks the threads registered at
// that moment (one for an auto-reset event) and sets their wake events; a pulse therefore reaches
// exactly the waits in progress, even one that has registered but not yet entered the system's
// wait.
//
// Timers: an absolute due time (positive file time) on a synchronization (auto-reset) timer, with
// the resume flag. The system moves such a timer with a step of its clock. Where the system offers
// high-resolution timers that accept absolute due times they are used; otherwise the timer
// resolution of the system is raised to 1 ms (timeBeginPeriod) while a timer object exists.
// A precise wait (waitAnyPrecisely) wakes on a timer of its own shortly before the moment
// (500 us on a high-resolution timer, 1.5 ms otherwise) and spins on the clock for the rest.
#include "platform/event.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/clock.h"
#include "platform/error.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace platform {

namespace {

// Guards every Impl's waiter list and every EventWaiter's pulsedBy.
std::mutex g_mutex;

// The wake event of the calling thread (auto-reset), created on its first blocking wait.
class ThreadWakeEvent {
 public:
  ThreadWakeEvent() : handle_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
  ~ThreadWakeEvent() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  ThreadWakeEvent(const ThreadWakeEvent&) = delete;
  ThreadWakeEvent& operator=(const ThreadWakeEvent&) = delete;

  HANDLE handle() const { return handle_; }

 private:
  HANDLE handle_;
};

HANDLE currentThreadWakeEvent() {
  thread_local ThreadWakeEvent wake;
  return wake.handle();
}

// Whether high-resolution timers take absolute due times here (probed once).
bool highResolutionTimersWork() {
  static const bool works = [] {
    HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                          TIMER_ALL_ACCESS);
    if (timer == nullptr) return false;
    LARGE_INTEGER due;
    due.QuadPart = 0x7FFFFFFFFFFFFFFFLL;  // absolute, far away
    const bool ok = SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE) != FALSE;
    CancelWaitableTimer(timer);
    CloseHandle(timer);
    return ok;
  }();
  return works;
}

}  // namespace

// One thread blocked in waitAny(), registered with the events it waits for.
struct EventWaiter {
  HANDLE wake = nullptr;
  const Waitable::Impl* pulsedBy = nullptr;  // guarded by g_mutex
};

struct Waitable::Impl {
  Impl(HANDLE handle, bool isTimer, bool manualReset, bool raisedTimerResolution)
      : handle(handle),
        isTimer(isTimer),
        manualReset(manualReset),
        raisedTimerResolution(raisedTimerResolution) {}
  ~Impl() {
    if (handle != nullptr) CloseHandle(handle);
    if (raisedTimerResolution) timeEndPeriod(1);
  }

  const HANDLE handle;
  const bool isTimer;
  const bool manualReset;
  const bool raisedTimerResolution;
  std::vector<EventWaiter*> waiters;  // guarded by g_mutex
  bool armed = false;                 // timers: due not yet reached by a wait; guarded by g_mutex
  uint64_t due = 0;                   // timers: the absolute UTC due time; guarded by g_mutex
};

namespace {

Waitable::Impl* newTimerImpl() {
  if (highResolutionTimersWork()) {
    HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                          TIMER_ALL_ACCESS);
    if (timer != nullptr) return new Waitable::Impl(timer, true, false, false);
  }
  timeBeginPeriod(1);
  HANDLE timer = CreateWaitableTimerA(nullptr, /*bManualReset=*/FALSE, nullptr);
  return new Waitable::Impl(timer, true, false, true);
}

void unregister(Waitable* const* objects, size_t count, EventWaiter* waiter) {
  for (size_t i = 0; i < count; ++i) {
    std::vector<EventWaiter*>& list = objects[i]->impl()->waiters;
    list.erase(std::remove(list.begin(), list.end(), waiter), list.end());
  }
}

}  // namespace

Waitable::Waitable(Impl* impl) : impl_(impl) {}

Waitable::~Waitable() { delete impl_; }

Event::Event(bool manualReset, bool initiallySignalled)
    : Waitable(new Impl(CreateEventA(nullptr, manualReset, initiallySignalled, nullptr),
                        /*isTimer=*/false, manualReset, false)) {}

void Event::set() { SetEvent(impl()->handle); }

void Event::reset() { ResetEvent(impl()->handle); }

void Event::pulse() {
  std::lock_guard<std::mutex> lock(g_mutex);
  Impl* self = impl();
  for (EventWaiter* w : self->waiters) {
    if (w->pulsedBy != nullptr) continue;  // already released by another object
    w->pulsedBy = self;
    SetEvent(w->wake);
    if (!self->manualReset) break;  // an auto-reset pulse releases one waiter
  }
  ResetEvent(self->handle);
}

uint32_t Event::wait(uint32_t timeoutMs) {
  Waitable* self = this;
  return waitAny(&self, 1, timeoutMs);
}

WaitableTimer::WaitableTimer() : Waitable(newTimerImpl()) {}

void WaitableTimer::setAbsolute(uint64_t dueUtc) {
  LARGE_INTEGER due;
  // A positive value is an absolute UTC file time; 0 and beyond 2^63 would read as relative.
  due.QuadPart = static_cast<LONGLONG>(
      std::min<uint64_t>(std::max<uint64_t>(dueUtc, 1), 0x7FFFFFFFFFFFFFFFULL));
  // A signal not yet consumed goes first: not every system clears it on arming (Wine does not).
  CancelWaitableTimer(impl()->handle);
  WaitForSingleObject(impl()->handle, 0);
  // The resume flag wakes a suspended computer where the system supports that.
  SetWaitableTimer(impl()->handle, &due, 0, nullptr, nullptr, TRUE);
  std::lock_guard<std::mutex> lock(g_mutex);
  impl()->armed = true;
  impl()->due = dueUtc;
}

void WaitableTimer::cancel() {
  CancelWaitableTimer(impl()->handle);
  // Cancelling keeps a signal already given; consume it.
  WaitForSingleObject(impl()->handle, 0);
  std::lock_guard<std::mutex> lock(g_mutex);
  impl()->armed = false;
}

uint32_t waitAny(Waitable* const* objects, size_t count, uint32_t timeoutMs) {
  // Slot 0 of a blocking wait is the thread's wake event.
  if (objects == nullptr || count == 0 || count > MAXIMUM_WAIT_OBJECTS - 1) {
    setLastError(ERROR_INVALID_PARAMETER);
    return kWaitFailed;
  }
  HANDLE handles[MAXIMUM_WAIT_OBJECTS];
  for (size_t i = 0; i < count; ++i) {
    if (objects[i] == nullptr || objects[i]->impl()->handle == nullptr) {
      setLastError(ERROR_INVALID_HANDLE);
      return kWaitFailed;
    }
    handles[i + 1] = objects[i]->impl()->handle;
  }
  const DWORD n = static_cast<DWORD>(count);
  if (timeoutMs == 0) {
    const DWORD result = WaitForMultipleObjects(n, handles + 1, FALSE, 0);
    if (result == WAIT_FAILED) setLastError(GetLastError());
    if (result < n) {
      std::lock_guard<std::mutex> lock(g_mutex);
      objects[result]->impl()->armed = false;  // a timer's firing consumed
    }
    return result == WAIT_FAILED ? kWaitFailed : result;
  }

  EventWaiter waiter;
  waiter.wake = currentThreadWakeEvent();
  if (waiter.wake == nullptr) {
    setLastError(GetLastError());
    return kWaitFailed;
  }
  handles[0] = waiter.wake;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    for (size_t i = 0; i < count; ++i) objects[i]->impl()->waiters.push_back(&waiter);
  }
  const DWORD result = WaitForMultipleObjects(n + 1, handles, FALSE, timeoutMs);
  const DWORD error = GetLastError();

  std::lock_guard<std::mutex> lock(g_mutex);
  unregister(objects, count, &waiter);
  if (result == WAIT_OBJECT_0 || waiter.pulsedBy != nullptr) {
    if (result != WAIT_OBJECT_0) ResetEvent(waiter.wake);  // a pulse that came too late
    if (result == WAIT_OBJECT_0 || result == WAIT_TIMEOUT) {
      for (size_t i = 0; i < count; ++i) {
        if (objects[i]->impl() == waiter.pulsedBy) return kWaitObject0 + static_cast<uint32_t>(i);
      }
    }
  }
  if (result == WAIT_TIMEOUT) return kWaitTimeout;
  if (result > WAIT_OBJECT_0 && result <= WAIT_OBJECT_0 + n) {
    objects[result - WAIT_OBJECT_0 - 1]->impl()->armed = false;  // a timer's firing consumed
    return result - WAIT_OBJECT_0 - 1;
  }
  setLastError(result == WAIT_FAILED ? error : ERROR_INVALID_HANDLE);
  return kWaitFailed;
}

namespace {

// A precise wait sleeps until this long before its moment (on a high-resolution timer where the
// system has one, else on the 1 ms system timer) and spins on the clock for the rest.
constexpr int64_t kPreciseLeadHighResolutionUnits = 5000;  // 500 us
constexpr int64_t kPreciseLeadUnits = 15000;               // 1.5 ms
constexpr int64_t kLongestSpinUnits = 40000;               // 4 ms: a step of the clock backwards

int64_t performanceUnits() {
  static const int64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<int64_t>(f.QuadPart);
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  // 100-ns units of the performance counter (no overflow for centuries of uptime).
  return static_cast<int64_t>(c.QuadPart / frequency * 10000000 +
                              c.QuadPart % frequency * 10000000 / frequency);
}

// The earliest armed timer among |objects| and its index; -1 when none.
long earliestTimer(Waitable* const* objects, size_t count, uint64_t* due) {
  std::lock_guard<std::mutex> lock(g_mutex);
  long found = -1;
  for (size_t i = 0; i < count; ++i) {
    const Waitable::Impl* impl = objects[i]->impl();
    if (impl->isTimer && impl->armed && (found < 0 || impl->due < *due)) {
      *due = impl->due;
      found = static_cast<long>(i);
    }
  }
  return found;
}

}  // namespace

uint32_t waitAnyPrecisely(Waitable* const* objects, size_t count, uint32_t timeoutMs) {
  if (objects == nullptr || count == 0 || count > MAXIMUM_WAIT_OBJECTS - 2) {
    setLastError(ERROR_INVALID_PARAMETER);
    return kWaitFailed;
  }
  // A timer of the call's own for the wake-up before the moment. Not a thread_local: MinGW runs
  // the destructors of thread_local objects after their storage is freed at thread exit, which
  // corrupted the heap (seen under Wine at the end of runs).
  WaitableTimer early;
  Waitable* withEarly[MAXIMUM_WAIT_OBJECTS];
  for (size_t i = 0; i < count; ++i) withEarly[i] = objects[i];
  withEarly[count] = &early;
  const int64_t lead =
      highResolutionTimersWork() ? kPreciseLeadHighResolutionUnits : kPreciseLeadUnits;
  const bool limited = timeoutMs != kInfinite;
  const int64_t limit = performanceUnits() + static_cast<int64_t>(timeoutMs) * 10000;
  for (;;) {
    uint64_t due = 0;
    long timer = earliestTimer(objects, count, &due);
    int64_t left = timer >= 0 ? static_cast<int64_t>(due) - static_cast<int64_t>(utcNow()) : 0;
    if (limited && (timer < 0 || limit - performanceUnits() < left)) {
      timer = -1;
      left = limit - performanceUnits();
    }
    if (timer < 0 && !limited) return waitAny(objects, count, kInfinite);
    if (left > lead) {
      early.setAbsolute(utcNow() + static_cast<uint64_t>(left - lead));
      const uint32_t result = waitAny(withEarly, count + 1, kInfinite);
      early.cancel();
      if (result != kWaitObject0 + count) return result;
      continue;  // within the lead: on the clock from here
    }
    // The rest on the clock, then the objects as they are at the moment.
    const int64_t spinStart = performanceUnits();
    while (performanceUnits() - spinStart < kLongestSpinUnits &&
           (timer >= 0 ? utcNow() < due : performanceUnits() < limit)) {
    }
    const uint32_t now = waitAny(objects, count, 0);
    if (now != kWaitTimeout) return now;
    if (timer < 0) {
      if (performanceUnits() >= limit) return kWaitTimeout;
      continue;
    }
    if (utcNow() < due) continue;  // the clock stepped back
    // The moment has come before the system's timer said so: the firing is taken here.
    Waitable::Impl* fired = objects[timer]->impl();
    CancelWaitableTimer(fired->handle);
    WaitForSingleObject(fired->handle, 0);
    std::lock_guard<std::mutex> lock(g_mutex);
    fired->armed = false;
    return kWaitObject0 + static_cast<uint32_t>(timer);
  }
}

size_t waiterCountForTest(const Waitable& object) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return object.impl()->waiters.size();
}

}  // namespace platform
