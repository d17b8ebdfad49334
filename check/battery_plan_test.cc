#include "check/battery_plan.h"

#include <gtest/gtest.h>

#include "platform/clock.h"

namespace {

constexpr uint64_t kHour = 3600 * platform::kFileTimeUnitsPerSecond;

TEST(BatteryPlanTest, ShotsAndHoursDrainItUntilAReleaseFindsItEmpty) {
  BatteryPlan battery;
  battery.start(3.0, 1.0, 0.0, 0);
  bool changed = false;
  for (int shot = 1; shot <= 3; ++shot) {
    EXPECT_TRUE(battery.release(0, &changed)) << shot;
    EXPECT_TRUE(changed);
  }
  EXPECT_FALSE(battery.release(0, &changed));  // the fourth finds 0 %
  EXPECT_TRUE(battery.empty());
  EXPECT_FALSE(battery.release(0, &changed));

  // Hours count too; the reported level is rounded, so a small use changes it only now and then.
  battery.start(85.0, 0.1, 2.0, kHour);
  EXPECT_EQ(85u, battery.levelAt(kHour));
  EXPECT_EQ(84u, battery.levelAt(kHour + kHour / 2));
  EXPECT_TRUE(battery.release(kHour, &changed));
  EXPECT_FALSE(changed);  // 84.9 still reads 85
  for (int shot = 0; shot < 4; ++shot) battery.release(kHour, &changed);
  EXPECT_FALSE(changed);  // 84.5 still reads 85
  battery.release(kHour, &changed);
  EXPECT_TRUE(changed);  // 84.4 reads 84
  EXPECT_EQ(84u, battery.levelAt(kHour));

  // Mains power (a level above 100) and a body that uses nothing are not planned.
  battery.start(101.0, 0.1, 2.0, 0);
  EXPECT_FALSE(battery.known());
  EXPECT_TRUE(battery.release(0, &changed));
  battery.start(50.0, 0.0, 0.0, 0);
  EXPECT_FALSE(battery.known());
}

}  // namespace
