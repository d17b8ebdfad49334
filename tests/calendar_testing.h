// Calendar times in the tests: one made from its fields, and one written as a comparable text.
#ifndef QUORVALE_TESTS_CALENDAR_TESTING_H_
#define QUORVALE_TESTS_CALENDAR_TESTING_H_

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/clock.h"

namespace calendar_testing {

inline platform::CalendarTime makeTime(int year, int month, int day, int hour = 0, int minute = 0,
                                       int second = 0, int millisecond = 0) {
  auto u = [](int v) { return static_cast<uint16_t>(v); };
  return platform::CalendarTime{u(year), u(month),  0,         u(day),
                                u(hour), u(minute), u(second), u(millisecond)};
}

// "YYYY-MM-DD hh:mm:ss.mmm wdN" with N the day of the week (0 is Sunday).
inline std::string describe(const platform::CalendarTime& t) {
  char text[64];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u.%03u wd%u", t.year, t.month,
                t.day, t.hour, t.minute, t.second, t.millisecond, t.dayOfWeek);
  return text;
}

}  // namespace calendar_testing

#endif  // QUORVALE_TESTS_CALENDAR_TESTING_H_
