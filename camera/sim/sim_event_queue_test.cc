#include "camera/sim/sim_event_queue.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include <gtest/gtest.h>

namespace {

// A queue whose steps write what they did into a trail, in order.
class SimEventQueueTest : public ::testing::Test {
 protected:
  void add(const std::string& step) {
    std::lock_guard<std::mutex> lock(mutex_);
    trail_ += step;
  }
  // Manual time: the trail once |ms| more have passed.
  std::string after(uint32_t ms) {
    queue_->advanceTime(ms);
    queue_->waitIdle();
    std::lock_guard<std::mutex> lock(mutex_);
    return trail_;
  }

  std::mutex mutex_;
  std::string trail_;  // guarded by mutex_
  std::unique_ptr<SimEventQueue> queue_ = std::make_unique<SimEventQueue>();
};

TEST_F(SimEventQueueTest, StepsRunByDueTimeThenByOrderOfScheduling) {
  queue_->useManualTime();
  uint64_t start = queue_->modelNowMs();  // real time passed before manual time began
  queue_->schedule(20, [&] { add("c"); });
  queue_->schedule(10, [&] { add("a"); });
  queue_->schedule(10, [&] { add("b"); });
  EXPECT_EQ("", after(9));
  EXPECT_EQ("ab", after(1));
  EXPECT_EQ("abc", after(10));
  EXPECT_EQ(start + 20, queue_->modelNowMs());
}

TEST_F(SimEventQueueTest, ScaleZeroJumpsThroughChainedStepsOnTheQueuesThread) {
  queue_->setTimeScale(0.0);
  uint64_t start = queue_->modelNowMs();
  bool onQueue = false;
  queue_->schedule(0, [&] { add("0"); });
  queue_->schedule(60000, [&] {
    add("1");
    onQueue = queue_->onEventThread();
    queue_->schedule(60000, [&] { add("2"); });
  });
  queue_->waitIdle();
  EXPECT_EQ("012", trail_);
  EXPECT_EQ(start + 120000, queue_->modelNowMs());
  EXPECT_TRUE(onQueue);
  EXPECT_FALSE(queue_->onEventThread());
}

TEST_F(SimEventQueueTest, ManualTimeRunsEachStepAtItsOwnDueTime) {
  queue_->useManualTime();
  uint64_t start = queue_->modelNowMs();
  // A step every 100 ms, each scheduled by the one before.
  std::function<void()> tick = [&] {
    add(std::to_string(queue_->modelNowMs() - start) + " ");
    if (queue_->modelNowMs() - start < 300) queue_->schedule(100, tick);
  };
  queue_->schedule(100, tick);
  EXPECT_EQ("100 200 300 ", after(1000));
  EXPECT_EQ(start + 1000, queue_->modelNowMs());
}

TEST_F(SimEventQueueTest, PendingStepsAreDroppedWithTheQueue) {
  queue_->useManualTime();
  queue_->schedule(1, [&] { add("late"); });
  queue_.reset();
  EXPECT_EQ("", trail_);
}

}  // namespace
