// Events, waitable timers and waiting for the first of several of them.
//
// These are the program's signalling objects: the stop event, the camera's shot/buffer/property
// events and the script's wait timer. Semantics follow the classic event model:
//  - An auto-reset event stays signalled until one wait consumes the signal; a manual-reset event
//    stays signalled until reset().
//  - pulse() releases the threads waiting at that moment (one for auto-reset, all for manual-reset)
//    and leaves the event non-signalled; a pulse with nobody waiting is lost.
//  - A WaitableTimer is auto-reset: it becomes signalled when the real-time clock reaches its
//    absolute due time (following clock steps, never early) and a wait consumes that.
//
// Thread safety: every operation may be called from any thread at any time, including while other
// threads wait on the object. An object must outlive every wait that includes it.
#ifndef QUORVALE_PLATFORM_EVENT_H_
#define QUORVALE_PLATFORM_EVENT_H_

#include <cstddef>
#include <cstdint>

namespace platform {

// Wait results: kWaitObject0 + i for the i-th object of a wait, or one of the two values below.
constexpr uint32_t kWaitObject0 = 0;
constexpr uint32_t kWaitTimeout = 0x102;
constexpr uint32_t kWaitFailed = 0xFFFFFFFF;

// A time limit that never runs out.
constexpr uint32_t kInfinite = 0xFFFFFFFF;

// Base of the objects waitAny() can wait for. Not copyable.
class Waitable {
 public:
  struct Impl;  // defined by the platform implementation

  virtual ~Waitable();
  Waitable(const Waitable&) = delete;
  Waitable& operator=(const Waitable&) = delete;

  Impl* impl() const { return impl_; }

 protected:
  explicit Waitable(Impl* impl);  // takes ownership

 private:
  Impl* impl_;
};

class Event final : public Waitable {
 public:
  Event(bool manualReset, bool initiallySignalled);

  void set();
  void reset();
  void pulse();

  // Waits until the event is signalled or |timeoutMs| ms have passed (kInfinite: no limit).
  // Returns kWaitObject0 (consuming the signal of an auto-reset event) or kWaitTimeout.
  // A timeout of 0 only tests the state.
  uint32_t wait(uint32_t timeoutMs);
};

class WaitableTimer final : public Waitable {
 public:
  WaitableTimer();

  // Arms the timer to become signalled when the real-time clock reaches |dueUtc| (a file time,
  // see clock.h); replaces an earlier arming and clears a signal not yet consumed. A due time
  // already past signals at once.
  void setAbsolute(uint64_t dueUtc);

  // Disarms the timer and clears a signal not yet consumed.
  void cancel();
};

// Waits until one of |objects| is signalled or |timeoutMs| ms have passed (kInfinite: no limit).
// Returns kWaitObject0 + i for the lowest index i that is signalled (consuming the signal of an
// auto-reset object, and of that object only), kWaitTimeout, or kWaitFailed (bad arguments: no
// objects, a null object) with lastError() set.
uint32_t waitAny(Waitable* const* objects, size_t count, uint32_t timeoutMs);

// waitAny for the waits whose moment matters to the microsecond (the script's timed waits, sleeps
// and pulses): the thread sleeps on the system's timer until shortly before the earliest due time
// or time limit, then finishes on the clock itself, so it returns within microseconds after the
// moment and never before it. The finish costs the calling thread a short stretch of processor
// time (well under a millisecond) per wait; other objects signalled meanwhile are seen at once
// before it and right after it.
uint32_t waitAnyPrecisely(Waitable* const* objects, size_t count, uint32_t timeoutMs);

// Test seam: the number of waits blocked on |object| at this moment.
size_t waiterCountForTest(const Waitable& object);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_EVENT_H_
