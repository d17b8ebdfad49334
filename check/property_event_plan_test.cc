#include "check/property_event_plan.h"

#include <gtest/gtest.h>

namespace {

// A wait ends at the first event not consumed (at once if it came before), or at its limit.
// Several events before a wait set the event once; one beyond the limit stays for the next wait;
// a reset drops what came up to its moment, that moment included.
TEST(PropertyEventPlanTest, AWaitEndsAtTheFirstEventNotConsumedOrAtItsLimit) {
  constexpr uint64_t kLimit = 2000;
  PropertyEventPlan plan;
  EXPECT_EQ(1000 + kLimit, plan.wait(1000, kLimit));  // nothing comes
  plan.add(900);
  plan.add(3500);
  EXPECT_EQ(3100u, plan.wait(3100, kLimit));
  EXPECT_EQ(3500u, plan.wait(3200, kLimit));
  plan.add(7000);
  plan.add(7100);
  EXPECT_EQ(8000u, plan.wait(8000, kLimit));
  EXPECT_EQ(9000 + kLimit, plan.wait(9000, kLimit));
  plan.add(20000);
  EXPECT_EQ(10000 + kLimit, plan.wait(10000, kLimit));
  EXPECT_EQ(20000u, plan.wait(19000, kLimit));

  plan.add(21000);
  plan.add(21500);
  plan.reset(21100);
  EXPECT_EQ(21500u, plan.wait(21200, kLimit));
  plan.add(21600);
  plan.reset(21600);
  EXPECT_EQ(21700 + kLimit, plan.wait(21700, kLimit));
}

}  // namespace
