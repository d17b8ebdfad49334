// The clock on POSIX: the C library's zone rules (TZ) and LC_TIME texts.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>

#include "platform/clock.h"
#include "tests/calendar_testing.h"
#include "tests/scoped_time_zone.h"

namespace platform {
namespace {

using calendar_testing::describe;
using calendar_testing::makeTime;
using calendar_testing::ScopedTimeZone;

TEST(LocalTimeTest, FollowsTheZoneRulesOfEachMoment) {
  ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
  uint64_t winterUtc = 0;
  uint64_t summerUtc = 0;
  ASSERT_TRUE(calendarToFileTime(makeTime(2026, 1, 15, 12, 0, 0, 250), &winterUtc));
  ASSERT_TRUE(calendarToFileTime(makeTime(2026, 7, 15, 12, 0, 0, 250), &summerUtc));

  uint64_t local = 0;
  CalendarTime c{};
  ASSERT_TRUE(utcToLocalFileTime(winterUtc, &local));
  ASSERT_TRUE(fileTimeToCalendar(local, &c));
  EXPECT_EQ("2026-01-15 13:00:00.250 wd4", describe(c));
  ASSERT_TRUE(utcToLocalFileTime(summerUtc, &local));
  ASSERT_TRUE(fileTimeToCalendar(local, &c));
  EXPECT_EQ("2026-07-15 14:00:00.250 wd3", describe(c));

  uint64_t utc = 0;
  ASSERT_TRUE(localToUtcFileTime(local, &utc));
  EXPECT_EQ(summerUtc, utc);
}

// The texts themselves are formatMoment's (its test reads them in the C and a German locale).
TEST(LocalTimeTest, DateTextRefusesASmallBufferAndLeavesIt) {
  char small[8] = "keep";
  EXPECT_FALSE(formatLocaleDate(makeTime(2026, 12, 6, 21, 5, 7), small, sizeof(small)));
  EXPECT_STREQ("keep", small);
}

}  // namespace
}  // namespace platform
