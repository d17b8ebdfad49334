#include "platform/clock.h"

#include <gtest/gtest.h>
#include <time.h>

#include <string>

#include "tests/calendar_testing.h"

namespace platform {
namespace {

using calendar_testing::describe;
using calendar_testing::makeTime;

TEST(CalendarTest, ConvertsKnownMomentsBothWays) {
  uint64_t ft = 1;
  ASSERT_TRUE(calendarToFileTime(makeTime(1601, 1, 1), &ft));
  EXPECT_EQ(0u, ft);
  ASSERT_TRUE(calendarToFileTime(makeTime(1970, 1, 1), &ft));
  EXPECT_EQ(116444736000000000ULL, ft);

  CalendarTime back{};
  ASSERT_TRUE(fileTimeToCalendar(116444736000000000ULL, &back));
  EXPECT_EQ("1970-01-01 00:00:00.000 wd4", describe(back));  // a Thursday
  ASSERT_TRUE(fileTimeToCalendar(0, &back));
  EXPECT_EQ("1601-01-01 00:00:00.000 wd1", describe(back));  // a Monday

  ASSERT_TRUE(calendarToFileTime(makeTime(2024, 2, 29, 23, 59, 59, 999), &ft));
  ASSERT_TRUE(fileTimeToCalendar(ft, &back));
  EXPECT_EQ("2024-02-29 23:59:59.999 wd4", describe(back));
  ASSERT_TRUE(fileTimeToCalendar(ft + kFileTimeUnitsPerMs, &back));
  EXPECT_EQ("2024-03-01 00:00:00.000 wd5", describe(back));
  ASSERT_TRUE(calendarToFileTime(makeTime(2000, 2, 29), &ft));  // divisible by 400: leap
}

TEST(CalendarTest, RefusesDatesAndTimesTheCalendarDoesNotHave) {
  // clang-format off
  const CalendarTime refused[] = {
      makeTime(2026, 2, 31),       makeTime(2023, 2, 29),          makeTime(1900 + 200, 2, 29),
      makeTime(2026, 13, 1),       makeTime(2026, 0, 1),           makeTime(2026, 4, 31),
      makeTime(2026, 1, 0),        makeTime(2026, 1, 1, 24),       makeTime(2026, 1, 1, 0, 60),
      makeTime(2026, 1, 1, 0, 0, 60), makeTime(2026, 1, 1, 0, 0, 0, 1000), makeTime(1600, 12, 31)};
  // clang-format on
  for (const CalendarTime& t : refused) {
    uint64_t ft = 42;
    EXPECT_FALSE(calendarToFileTime(t, &ft)) << describe(t);
    EXPECT_EQ(42u, ft) << describe(t);
  }
}

TEST(CalendarTest, UtcNowAgreesWithTheSystemClock) {
  const uint64_t before = static_cast<uint64_t>(time(nullptr));
  const uint64_t now = utcNow() / kFileTimeUnitsPerSecond - 11644473600ULL;
  const uint64_t after = static_cast<uint64_t>(time(nullptr));
  // time() may read a coarse clock that lags the precise one by a tick: allow one second.
  EXPECT_LE(before, now + 1);
  EXPECT_GE(after + 1, now);
}

}  // namespace
}  // namespace platform
