#include "check/property_event_plan.h"

#include <gtest/gtest.h>

namespace {

constexpr uint64_t kLimit = 2000;

TEST(PropertyEventPlanTest, AWaitEndsAtTheFirstEventNotConsumedOrAtItsLimit) {
  PropertyEventPlan plan;
  EXPECT_EQ(1000 + kLimit, plan.wait(1000, kLimit));  // nothing comes

  plan.add(900);   // before the wait: it returns at once
  plan.add(3500);  // comes during the next wait
  EXPECT_EQ(3100u, plan.wait(3100, kLimit));
  EXPECT_EQ(3500u, plan.wait(3200, kLimit));  // the event of 900 was consumed; this one ends it
  EXPECT_EQ(3600 + kLimit, plan.wait(3600, kLimit));

  // Several events before a wait set the event once.
  plan.add(7000);
  plan.add(7100);
  EXPECT_EQ(8000u, plan.wait(8000, kLimit));
  EXPECT_EQ(9000 + kLimit, plan.wait(9000, kLimit));

  // An event beyond the limit does not end the wait, and is still there for the next one.
  plan.add(20000);
  EXPECT_EQ(10000 + kLimit, plan.wait(10000, kLimit));
  EXPECT_EQ(20000u, plan.wait(19000, kLimit));
}

TEST(PropertyEventPlanTest, AResetDropsWhatCameAndKeepsWhatIsToCome) {
  PropertyEventPlan plan;
  plan.add(100);
  plan.add(500);
  plan.reset(200);
  EXPECT_EQ(500u, plan.wait(300, kLimit));
  plan.add(600);
  plan.reset(600);  // an event at the very moment of the reset is gone too
  EXPECT_EQ(700 + kLimit, plan.wait(700, kLimit));
}

}  // namespace
