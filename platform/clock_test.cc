#include "platform/clock.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>

namespace platform {
namespace {

CalendarTime makeTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                      int millisecond = 0) {
  auto u = [](int v) { return static_cast<uint16_t>(v); };
  return CalendarTime{u(year), u(month), 0, u(day), u(hour), u(minute), u(second), u(millisecond)};
}

std::string describe(const CalendarTime& t) {
  char text[64];
  snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u.%03u wd%u", t.year, t.month, t.day,
           t.hour, t.minute, t.second, t.millisecond, t.dayOfWeek);
  return text;
}

// Sets a fixed time zone for one test and restores the previous one afterwards.
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
  const CalendarTime refused[] = {
      makeTime(2026, 2, 31),          makeTime(2023, 2, 29),
      makeTime(1900 + 200, 2, 29),    makeTime(2026, 13, 1),
      makeTime(2026, 0, 1),           makeTime(2026, 4, 31),
      makeTime(2026, 1, 0),           makeTime(2026, 1, 1, 24),
      makeTime(2026, 1, 1, 0, 60),    makeTime(2026, 1, 1, 0, 0, 60),
      makeTime(2026, 1, 1, 0, 0, 0, 1000), makeTime(1600, 12, 31),
  };
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
  EXPECT_LE(before, now);
  EXPECT_GE(after, now);
}

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

TEST(LocalTimeTest, FormatsDateAndTimeTextsAndRefusesSmallBuffers) {
  // The tests run in the C locale: "%x" is MM/DD/YY and "%X" is HH:MM:SS.
  const CalendarTime t = makeTime(2026, 12, 6, 21, 5, 7);
  char text[32];
  ASSERT_TRUE(formatLocaleDate(t, text, sizeof(text)));
  EXPECT_STREQ("12/06/26", text);
  ASSERT_TRUE(formatLocaleTime(t, text, sizeof(text)));
  EXPECT_STREQ("21:05:07", text);

  char small[8] = "keep";
  EXPECT_FALSE(formatLocaleDate(t, small, sizeof(small)));
  EXPECT_STREQ("keep", small);
}

}  // namespace
}  // namespace platform
