#include "check/finding_texts.h"

#include <gtest/gtest.h>

#include "platform/clock.h"

namespace {

// What a run echoes for a Tv write, and the finding: only a plain whole number of 2 or more.
TEST(FindingTextsTest, OnlyAPlainWholeNumberTvOfTwoOrMoreIsFound) {
  EXPECT_EQ("tv=30 is 1/30 s (Tv 1/30); for 30 seconds write tv=30\"",
            tvSecondsFinding("set Tv=30 -> 1/30\n"));
  for (const char* echo : {"set Tv=1 -> 1\"\n", "set Tv=0 -> 1/4000\n", "set Tv=2\" -> 2\"\n",
                           "set Tv=1/250 -> 1/250\n", "set Tv= -> 1/250\n", "set Tv=2",
                           "set Av=2 -> 2\n", "set Tv=99999999999 -> ?\n"}) {
    EXPECT_EQ("", tvSecondsFinding(echo)) << echo;
  }
}

// Just over 12 hours is found, 12 hours is not, nor a past moment (a finding of its own).
TEST(FindingTextsTest, AFirstClockTimeMoreThanTwelveHoursAwayIsFound) {
  constexpr uint64_t kHour = 3600 * platform::kFileTimeUnitsPerSecond;
  const uint64_t start = 1000 * kHour;
  EXPECT_EQ("", farFirstMomentFinding(start, start + 12 * kHour));
  EXPECT_EQ("", farFirstMomentFinding(start, start - 20 * kHour));
  const std::string far = farFirstMomentFinding(start, start + 12 * kHour + 1000);
  EXPECT_NE(std::string::npos, far.find(", is 12:00:00.000 after the start of the check, ")) << far;
}

}  // namespace
