// The clocks the POSIX waits sleep on, as timespec: absolute real-time moments for the
// condition variables bound to CLOCK_REALTIME (waitable timers), and CLOCK_MONOTONIC deadlines for
// relative time limits and the precise wait's spin.
//
// Thread safety: plain functions of the clocks; callable from any thread.
#ifndef QUORVALE_PLATFORM_POSIX_WAIT_CLOCKS_H_
#define QUORVALE_PLATFORM_POSIX_WAIT_CLOCKS_H_

#include <time.h>

#include <cstdint>

namespace platform {

// The CLOCK_REALTIME moment of |fileTime| (a UTC file time, clock.h); moments before 1970 give
// the epoch itself.
timespec realtimeOf(uint64_t fileTime);

// The monotonic clock now, and |ms| ms from now.
timespec monotonicNow();
timespec monotonicAfter(uint32_t ms);

// Whether the monotonic clock has reached |deadline|.
bool monotonicPassed(const timespec& deadline);

// Nanoseconds from now until |deadline| on the monotonic clock (negative when passed).
int64_t monotonicRemainingNs(const timespec& deadline);

// Nanoseconds from |from| to |to| (negative when |to| comes first).
int64_t nsBetween(const timespec& from, const timespec& to);

// |ts| moved |ns| nanoseconds earlier (0 <= ns).
timespec minusNs(timespec ts, int64_t ns);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_POSIX_WAIT_CLOCKS_H_
