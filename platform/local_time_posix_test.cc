// Local times around the changes of summer time, under the C library's zone rules (TZ).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/local_time.h"
#include "tests/calendar_testing.h"

namespace platform {
namespace {

using calendar_testing::describe;
using calendar_testing::makeTime;

struct ScopedTimeZone {
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    old_ ? setenv("TZ", old_->c_str(), 1) : unsetenv("TZ");
    tzset();
  }
  std::optional<std::string> old_;
};

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

TEST(LocalTimeResolutionTest, TakesTheFirstOfARepeatedHourWhateverCameBefore) {
  for (const char* zone : {"Europe/Madrid", "CET-1CEST,M3.5.0,M10.5.0/3"}) {
    ScopedTimeZone scoped(zone);
    const std::string first = "2026-10-25 00:45:00.000 repeated";
    EXPECT_EQ(first, resolved(makeTime(2026, 10, 25, 2, 45))) << zone;
    // A summer time, then a winter time converted before it: the answer stays.
    EXPECT_EQ("2026-10-24 23:30:00.000 unique", resolved(makeTime(2026, 10, 25, 1, 30))) << zone;
    EXPECT_EQ(first, resolved(makeTime(2026, 10, 25, 2, 45))) << zone;
    EXPECT_EQ("2026-10-25 02:30:00.000 unique", resolved(makeTime(2026, 10, 25, 3, 30))) << zone;
    EXPECT_EQ(first, resolved(makeTime(2026, 10, 25, 2, 45))) << zone;
    // The edges of the repeated hour.
    EXPECT_EQ("2026-10-25 00:00:00.000 repeated", resolved(makeTime(2026, 10, 25, 2, 0))) << zone;
    EXPECT_EQ("2026-10-25 02:00:00.000 unique", resolved(makeTime(2026, 10, 25, 3, 0))) << zone;
    EXPECT_EQ("2026-10-24 23:59:59.000 unique", resolved(makeTime(2026, 10, 25, 1, 59, 59)))
        << zone;
  }
}

TEST(LocalTimeResolutionTest, ReadsAMissingTimeWithTheOffsetBeforeTheChange) {
  ScopedTimeZone zone("Europe/Madrid");
  // Clocks go from 02:00 CET to 03:00 CEST on 29 March 2026 (01:00 UTC).
  EXPECT_EQ("2026-03-29 01:30:00.000 skipped", resolved(makeTime(2026, 3, 29, 2, 30)));
  EXPECT_EQ("2026-03-29 01:00:00.000 skipped", resolved(makeTime(2026, 3, 29, 2, 0)));
  EXPECT_EQ("2026-03-29 00:59:59.000 unique", resolved(makeTime(2026, 3, 29, 1, 59, 59)));
  EXPECT_EQ("2026-03-29 01:00:00.000 unique", resolved(makeTime(2026, 3, 29, 3, 0)));
  // localToUtcFileTime follows the same rule.
  uint64_t local = 0;
  uint64_t utc = 0;
  ASSERT_TRUE(calendarToFileTime(makeTime(2026, 3, 29, 2, 30, 0, 250), &local));
  ASSERT_TRUE(localToUtcFileTime(local, &utc));
  CalendarTime t{};
  ASSERT_TRUE(fileTimeToCalendar(utc, &t));
  EXPECT_EQ("2026-03-29 01:30:00.250", describe(t).substr(0, 23));
}

TEST(LocalTimeResolutionTest, IsPlainInAZoneWithoutChanges) {
  ScopedTimeZone zone("UTC");
  EXPECT_EQ("2026-10-25 02:45:00.000 unique", resolved(makeTime(2026, 10, 25, 2, 45)));
  ScopedTimeZone tokyo("Asia/Tokyo");
  EXPECT_EQ("2026-10-24 17:45:00.000 unique", resolved(makeTime(2026, 10, 25, 2, 45)));
}

}  // namespace
}  // namespace platform
