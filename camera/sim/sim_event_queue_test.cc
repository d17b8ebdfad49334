#include "camera/sim/sim_event_queue.h"

#include <functional>
#include <mutex>
#include <string>

#include <gtest/gtest.h>

namespace {

// Collects what the steps did, in order.
struct Trail {
  std::mutex mutex;
  std::string text;  // guarded by mutex
  void add(const std::string& step) {
    std::lock_guard<std::mutex> lock(mutex);
    text += step;
  }
  std::string get() {
    std::lock_guard<std::mutex> lock(mutex);
    return text;
  }
};

TEST(SimEventQueueTest, StepsRunByDueTimeThenByOrderOfScheduling) {
  Trail trail;
  SimEventQueue queue;
  queue.useManualTime();
  uint64_t start = queue.modelNowMs();  // real time passed before manual time began
  queue.schedule(20, [&] { trail.add("c"); });
  queue.schedule(10, [&] { trail.add("a"); });
  queue.schedule(10, [&] { trail.add("b"); });
  queue.waitIdle();
  EXPECT_EQ("", trail.get());
  queue.advanceTime(10);
  queue.waitIdle();
  EXPECT_EQ("ab", trail.get());
  queue.advanceTime(10);
  queue.waitIdle();
  EXPECT_EQ("abc", trail.get());
  EXPECT_EQ(start + 20, queue.modelNowMs());
}

TEST(SimEventQueueTest, ScaleZeroJumpsThroughChainedSteps) {
  Trail trail;
  SimEventQueue queue;
  queue.setTimeScale(0.0);
  uint64_t start = queue.modelNowMs();
  queue.schedule(0, [&] { trail.add("0"); });
  queue.schedule(60000, [&] {
    trail.add("1");
    queue.schedule(60000, [&] { trail.add("2"); });
  });
  queue.waitIdle();
  EXPECT_EQ("012", trail.get());
  EXPECT_EQ(start + 120000, queue.modelNowMs());
}

TEST(SimEventQueueTest, ManualTimeRunsEachStepAtItsOwnDueTime) {
  Trail trail;
  SimEventQueue queue;
  queue.useManualTime();
  uint64_t start = queue.modelNowMs();
  // A step every 100 ms, each scheduled by the one before.
  std::function<void()> tick = [&] {
    trail.add(std::to_string(queue.modelNowMs() - start) + " ");
    if (queue.modelNowMs() - start < 300) queue.schedule(100, tick);
  };
  queue.schedule(100, tick);
  queue.advanceTime(1000);
  queue.waitIdle();
  EXPECT_EQ("100 200 300 ", trail.get());
  EXPECT_EQ(start + 1000, queue.modelNowMs());
}

TEST(SimEventQueueTest, StepsRunOnTheQueuesOwnThread) {
  SimEventQueue queue;
  queue.setTimeScale(0.0);
  bool onQueue = false;
  queue.schedule(0, [&] { onQueue = queue.onEventThread(); });
  queue.waitIdle();
  EXPECT_TRUE(onQueue);
  EXPECT_FALSE(queue.onEventThread());
}

TEST(SimEventQueueTest, PendingStepsAreDroppedWithTheQueue) {
  Trail trail;
  {
    SimEventQueue queue;
    queue.useManualTime();
    queue.schedule(1, [&] { trail.add("late"); });
  }
  EXPECT_EQ("", trail.get());
}

}  // namespace
