#include "check/finding_texts.h"

#include <gtest/gtest.h>

#include "platform/clock.h"

namespace {

TEST(FindingTextsTest, OnlyAPlainWholeNumberTvOfTwoOrMoreIsFound) {
  EXPECT_EQ("tv=2 is 1/2 s (Tv 0\"5); for 2 seconds write tv=2\"",
            tvSecondsFinding("set Tv=2 -> 0\"5\n"));
  EXPECT_EQ("tv=30 is 1/30 s (Tv 1/30); for 30 seconds write tv=30\"",
            tvSecondsFinding("set Tv=30 -> 1/30\n"));
  EXPECT_EQ("", tvSecondsFinding("set Tv=1 -> 1\"\n"));
  EXPECT_EQ("", tvSecondsFinding("set Tv=0 -> 1/4000\n"));
  EXPECT_EQ("", tvSecondsFinding("set Tv=2\" -> 2\"\n"));
  EXPECT_EQ("", tvSecondsFinding("set Tv=1/250 -> 1/250\n"));
  EXPECT_EQ("", tvSecondsFinding("set Tv= -> 1/250\n"));
  EXPECT_EQ("", tvSecondsFinding("set Tv=2"));                   // no echo of the result
  EXPECT_EQ("", tvSecondsFinding("set Av=2 -> 2\n"));            // another property
  EXPECT_EQ("", tvSecondsFinding("set Tv=99999999999 -> ?\n"));  // no table reads it
}

constexpr uint64_t kHour = 3600 * platform::kFileTimeUnitsPerSecond;

TEST(FindingTextsTest, AFirstClockTimeMoreThanTwelveHoursAwayIsFound) {
  const uint64_t start = 1000 * kHour;
  EXPECT_EQ("", farFirstMomentFinding(start, start + 12 * kHour));
  EXPECT_EQ("", farFirstMomentFinding(start, start - 20 * kHour));  // past: a finding of its own
  const std::string far = farFirstMomentFinding(start, start + 12 * kHour + 1000);
  EXPECT_NE(std::string::npos, far.find(", is 12:00:00.000 after the start of the check, ")) << far;
  EXPECT_NE(std::string::npos,
            farFirstMomentFinding(start, start + 9 * 24 * kHour).find(", is 9 days, 0:00:00.000 "));
}

TEST(FindingTextsTest, DatesAreListedOnlyWhenMoreThanOne) {
  EXPECT_EQ("", datesFinding({}));
  EXPECT_EQ("", datesFinding({{"2026-08-12", 5}}));
  EXPECT_EQ("the clock times fall on 2 dates: 2026-08-12 (line 5), 2026-08-21 (line 40)",
            datesFinding({{"2026-08-12", 5}, {"2026-08-21", 40}}));
}

}  // namespace
