// The model clock's hurry: a rehearsal's wait passes the model quickly to its end, and the model
// runs at its scale again from there. That steps due within a hurry run in it is tested end to
// end (busy frames at 1x and at the highest factor).
#include "camera/sim/sim_event_queue.h"

#include <gtest/gtest.h>

namespace {

TEST(SimEventQueueTest, AHurryRunsTheModelFasterUntilItsEndOnly) {
  SimEventQueue queue;
  ASSERT_TRUE(queue.start());
  const double end = queue.modelTimeMs() + 60000.0;  // a minute's wait, hurried a thousand times
  queue.hurry(1000.0, end);
  // The minute lasts at most 60 real ms from the hurry on; the model time after it runs at scale 1.
  const double left = queue.realMsUntil(end);
  EXPECT_LE(left, 60.0);
  const double beyond = queue.realMsUntil(end + 1000.0);
  EXPECT_GE(beyond, 1000.0);
  EXPECT_LE(beyond, left + 1000.0);

  // Ended early, the model is back at its scale: the rest of the minute would take its real time.
  queue.endHurry();
  EXPECT_GT(queue.realMsUntil(end), 1000.0);
  EXPECT_LT(queue.modelTimeMs(), end);
}

}  // namespace
