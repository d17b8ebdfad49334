// Lateness of an absolute wait on platform::WaitableTimer (the mechanism of the script's timed
// waits), side by side with a raw clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME) baseline in the
// same run. The two kinds of wait alternate so both see the same system load.
//
// Usage: timer_wait_bench [waits=200] [interval_ms=5]
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/clock.h"
#include "platform/event.h"

namespace {

// File time of 1970-01-01 (100-ns units since 1601).
constexpr int64_t kUnixEpochFileTime = 116444736000000000LL;

int64_t realtimeNs() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// Lateness in ns of one wait on the platform timer, due |intervalMs| from now (on a 100-ns tick).
int64_t timerWait(platform::WaitableTimer* timer, platform::Event* stop, uint32_t intervalMs) {
  const uint64_t due = platform::utcNow() + intervalMs * platform::kFileTimeUnitsPerMs;
  timer->setAbsolute(due);
  platform::Waitable* objects[] = {stop, timer};
  platform::waitAny(objects, 2, platform::kInfinite);
  return realtimeNs() - (static_cast<int64_t>(due) - kUnixEpochFileTime) * 100;
}

// Lateness in ns of one raw absolute sleep on the real-time clock.
int64_t baselineWait(uint32_t intervalMs) {
  const int64_t due = (realtimeNs() / 100 + intervalMs * 10000LL) * 100;
  timespec at;
  at.tv_sec = due / 1000000000LL;
  at.tv_nsec = due % 1000000000LL;
  while (clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &at, nullptr) != 0) {
  }
  return realtimeNs() - due;
}

struct Summary {
  double minUs, medianUs, p99Us, maxUs;
  int early;
};

Summary summarize(std::vector<int64_t> ns) {
  std::sort(ns.begin(), ns.end());
  Summary s{};
  s.minUs = ns.front() / 1000.0;
  s.medianUs = ns[ns.size() / 2] / 1000.0;
  s.p99Us = ns[std::min(ns.size() - 1, ns.size() * 99 / 100)] / 1000.0;
  s.maxUs = ns.back() / 1000.0;
  s.early = static_cast<int>(std::count_if(ns.begin(), ns.end(), [](int64_t v) { return v < 0; }));
  return s;
}

void print(const char* name, const Summary& s) {
  printf("%-28s min %8.1f  median %8.1f  p99 %8.1f  max %8.1f us   early %d\n", name, s.minUs,
         s.medianUs, s.p99Us, s.maxUs, s.early);
}

}  // namespace

int main(int argc, char** argv) {
  const int waits = argc > 1 ? atoi(argv[1]) : 200;
  const uint32_t intervalMs = argc > 2 ? static_cast<uint32_t>(atoi(argv[2])) : 5;
  if (waits < 1) return 2;

  platform::WaitableTimer timer;
  platform::Event stop(/*manualReset=*/true, false);
  std::vector<int64_t> timerNs;
  std::vector<int64_t> baselineNs;
  for (int i = 0; i < waits; ++i) {
    timerNs.push_back(timerWait(&timer, &stop, intervalMs));
    baselineNs.push_back(baselineWait(intervalMs));
  }

  const Summary t = summarize(timerNs);
  const Summary b = summarize(baselineNs);
  printf("%d absolute waits of %u ms each, lateness:\n", waits, intervalMs);
  print("platform::WaitableTimer", t);
  print("clock_nanosleep(ABSTIME)", b);
  const double ratio = b.medianUs > 0 ? t.medianUs / b.medianUs : 0;
  printf("median ratio timer/baseline: %.2f (target <= 1.5, never early)\n", ratio);
  return t.early == 0 ? 0 : 1;
}
