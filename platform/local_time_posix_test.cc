// Local times around the changes of summer time, under the C library's zone rules (TZ).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/local_time.h"
#include "tests/calendar_testing.h"
#include "tests/scoped_time_zone.h"

namespace platform {
namespace {

using calendar_testing::describe;
using calendar_testing::makeTime;
using calendar_testing::ScopedTimeZone;

// The UTC time of a local time, as "YYYY-MM-DD hh:mm:ss.mmm" with the kind it was.
std::string resolved(const CalendarTime& localTime) {
  uint64_t local = 0;
  uint64_t utc = 0;
  LocalTimeKind kind = LocalTimeKind::kUnique;
  if (!calendarToFileTime(localTime, &local) || !resolveLocalTime(local, &utc, &kind)) return "-";
  CalendarTime t{};
  if (!fileTimeToCalendar(utc, &t)) return "-";
  const char* names[] = {"unique", "repeated", "skipped"};
  return describe(t).substr(0, 23) + " " + names[static_cast<int>(kind)];
}

// The edges of the hours that summer time repeats (the first occurrence) or skips (read with the
// offset before the change); what came before and the times inside them are for the end-to-end
// tests.
TEST(LocalTimeResolutionTest, EdgesOfTheRepeatedAndTheMissingHour) {
  for (const char* zone : {"Europe/Madrid", "CET-1CEST,M3.5.0,M10.5.0/3"}) {
    ScopedTimeZone scoped(zone);
    EXPECT_EQ("2026-10-25 00:00:00.000 repeated", resolved(makeTime(2026, 10, 25, 2, 0))) << zone;
    EXPECT_EQ("2026-10-25 02:00:00.000 unique", resolved(makeTime(2026, 10, 25, 3, 0))) << zone;
    EXPECT_EQ("2026-10-24 23:59:59.000 unique", resolved(makeTime(2026, 10, 25, 1, 59, 59)))
        << zone;
    EXPECT_EQ("2026-03-29 01:00:00.000 skipped", resolved(makeTime(2026, 3, 29, 2, 0))) << zone;
    EXPECT_EQ("2026-03-29 00:59:59.000 unique", resolved(makeTime(2026, 3, 29, 1, 59, 59))) << zone;
    EXPECT_EQ("2026-03-29 01:00:00.000 unique", resolved(makeTime(2026, 3, 29, 3, 0))) << zone;
  }
}

}  // namespace
}  // namespace platform
