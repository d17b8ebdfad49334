// The rehearsal clock: shifted and scaled readings and waits mapped back to the base clock. A
// script run on it is tried end to end.
#include "script/rehearsal_script_clock.h"

#include <gtest/gtest.h>

#include "script/script_test_support.h"

namespace {

using script_testing::FakeScriptClock;

constexpr uint64_t kReal = 133944624000000000ULL;  // 2025-06-15 12:00:00 UTC
constexpr uint64_t kSecond = 10000000ULL;
constexpr uint64_t kShifted = kReal + 30 * 86400 * kSecond;  // 30 days later

TEST(RehearsalScriptClockTest, ShiftAndScaleFollowTheBaseClock) {
  FakeScriptClock base(kReal);
  RehearsalScriptClock shifted(&base, kShifted, 1.0);
  RehearsalScriptClock fast(&base, kShifted, 60.0);
  EXPECT_EQ(kShifted, shifted.utcNow());
  base.sleep(1500);  // the base clock moves on, as after a step of the real clock
  EXPECT_EQ(kShifted + 15 * kSecond / 10, shifted.utcNow());
  EXPECT_EQ(kShifted + 90 * kSecond, fast.utcNow());
  // A wait for a moment is armed at the base moment that maps to it; the waits are journaled by
  // the base clock relative to its own "now".
  EXPECT_EQ(platform::kWaitObject0,
            fast.waitForMoment(nullptr, nullptr, fast.utcNow() + 60 * kSecond));
  EXPECT_EQ(kShifted + 150 * kSecond, fast.utcNow());
  EXPECT_EQ(platform::kWaitTimeout, fast.waitForStop(nullptr, 300000));
  fast.sleep(100);
  fast.holdPulse(nullptr, 250);  // a pulse on a real line keeps its length
  EXPECT_EQ("pause 1500 ms\nmoment +1000 ms\nsleep 5000 ms\npause 2 ms\npause 250 ms\n",
            base.journal());
  // A moment before the start maps before the base's start.
  RehearsalScriptClock later(&base, kShifted, 60.0);
  EXPECT_EQ(base.utcNow() - kSecond, later.baseMomentOf(kShifted - 60 * kSecond));
}

}  // namespace
