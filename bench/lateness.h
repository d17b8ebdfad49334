// Shared pieces of the lateness benchmarks: the raw timer baseline and the summary of lateness
// samples (100-ns units, negative = early).
#ifndef QUORVALE_BENCH_LATENESS_H_
#define QUORVALE_BENCH_LATENESS_H_

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/event.h"

namespace bench {

struct Summary {
  double medianUs, p99Us, maxUs;
  long early;
};

inline Summary summarize(std::vector<int64_t> units) {
  std::sort(units.begin(), units.end());
  Summary s{};
  s.medianUs = units[units.size() / 2] / 10.0;
  s.p99Us = units[std::min(units.size() - 1, units.size() * 99 / 100)] / 10.0;
  s.maxUs = units.back() / 10.0;
  s.early = std::count_if(units.begin(), units.end(), [](int64_t v) { return v < 0; });
  return s;
}

// Appends the lateness of |waits| raw absolute waits on the platform timer, each due on a whole
// millisecond |intervalMs| ahead.
inline void timerBaseline(int waits, uint32_t intervalMs, std::vector<int64_t>* out) {
  platform::WaitableTimer timer;
  for (int i = 0; i < waits; ++i) {
    const uint64_t due = (platform::utcNow() / platform::kFileTimeUnitsPerMs + intervalMs) *
                         platform::kFileTimeUnitsPerMs;
    timer.setAbsolute(due);
    platform::Waitable* objects[] = {&timer};
    platform::waitAny(objects, 1, platform::kInfinite);
    out->push_back(static_cast<int64_t>(platform::utcNow() - due));
  }
}

// "YYYY-MM-DDTHH:MM:SS.mmm" of a file time, as scripts write moments.
inline std::string momentText(uint64_t fileTime) {
  platform::CalendarTime t{};
  platform::fileTimeToCalendar(fileTime, &t);
  char text[64];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02uT%02u:%02u:%02u.%03u", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.millisecond);
  return text;
}

}  // namespace bench

#endif  // QUORVALE_BENCH_LATENESS_H_
