#include "platform/posix/wait_clocks.h"

#include <algorithm>

#include "platform/clock.h"

namespace platform {

namespace {

constexpr int64_t kEpochDeltaSeconds = 11644473600LL;

}  // namespace

timespec realtimeOf(uint64_t fileTime) {
  timespec ts;
  const int64_t seconds =
      static_cast<int64_t>(fileTime / kFileTimeUnitsPerSecond) - kEpochDeltaSeconds;
  ts.tv_sec = static_cast<time_t>(std::max<int64_t>(seconds, 0));
  ts.tv_nsec = seconds < 0 ? 0 : static_cast<long>(fileTime % kFileTimeUnitsPerSecond) * 100;
  return ts;
}

timespec monotonicNow() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
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

int64_t monotonicRemainingNs(const timespec& deadline) {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (static_cast<int64_t>(deadline.tv_sec) - now.tv_sec) * 1000000000LL +
         (deadline.tv_nsec - now.tv_nsec);
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

}  // namespace platform
