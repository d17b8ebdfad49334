// The model clock's hurry: a rehearsal's wait passes the model quickly to its end, and the model
// runs at its scale again from there.
#include "camera/sim/sim_event_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

TEST(SimEventQueueTest, AHurryRunsTheModelFasterUntilItsEndOnly) {
  SimEventQueue queue;
  ASSERT_TRUE(queue.start());
  const double start = queue.modelTimeMs();
  const double end = start + 60000.0;  // a minute's wait, hurried a thousand times
  queue.hurry(1000.0, end);
  // The minute lasts at most 60 real ms from the hurry on; the model time after it runs at scale 1.
  const double left = queue.realMsUntil(end);
  EXPECT_LE(left, 60.0);
  const double beyond = queue.realMsUntil(end + 1000.0);
  EXPECT_GE(beyond, 1000.0);
  EXPECT_LE(beyond, left + 1000.0);

  // A step half way through the minute runs after some 30 real ms, not 30 s. (Should the hurry
  // not work, it would not run within the ten seconds the test gives it.)
  std::mutex mutex;
  std::condition_variable ran;
  double ranAt = 0.0;
  queue.schedule(30000, [&] {
    std::lock_guard<std::mutex> lock(mutex);
    ranAt = queue.modelTimeMs();
    ran.notify_all();
  });
  {
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(ran.wait_for(lock, std::chrono::seconds(10), [&] { return ranAt > 0.0; }));
  }
  EXPECT_GE(ranAt, start + 29999.0);  // due times are whole model ms

  // Ended early, the model is back at its scale: the rest of the minute would take its real time.
  queue.endHurry();
  EXPECT_GT(queue.realMsUntil(end), 1000.0);
  EXPECT_LT(queue.modelTimeMs(), end);
}

}  // namespace
