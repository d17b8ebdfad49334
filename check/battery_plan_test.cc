#include "check/battery_plan.h"

#include <gtest/gtest.h>

#include "platform/clock.h"

namespace {

// (Where a battery runs out is tested end to end against a run.) The reported level is rounded,
// so a small use changes it only now and then; mains power and a body that uses nothing are not
// planned.
TEST(BatteryPlanTest, TheLevelChangesWhenItsRoundedFigureDoesAndMainsIsNotPlanned) {
  constexpr uint64_t kHour = 3600 * platform::kFileTimeUnitsPerSecond;
  BatteryPlan battery;
  bool changed = false;
  battery.start(85.0, 0.1, 2.0, kHour);
  EXPECT_EQ(85u, battery.levelAt(kHour));
  EXPECT_EQ(84u, battery.levelAt(kHour + kHour / 2));
  for (int shot = 0; shot < 5; ++shot) {
    EXPECT_TRUE(battery.release(kHour, &changed));
    EXPECT_FALSE(changed) << shot;  // 84.5 still reads 85
  }
  battery.release(kHour, &changed);
  EXPECT_TRUE(changed);  // 84.4 reads 84
  EXPECT_EQ(84u, battery.levelAt(kHour));

  battery.start(101.0, 0.1, 2.0, 0);
  EXPECT_FALSE(battery.known());
  EXPECT_TRUE(battery.release(0, &changed));
  battery.start(50.0, 0.0, 0.0, 0);
  EXPECT_FALSE(battery.known());
}

}  // namespace
