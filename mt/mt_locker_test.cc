#include "mt/mt_locker.h"

#include <gtest/gtest.h>

namespace {

// A lockable that counts the calls it gets and can be told to fail.
class CountingLockable final : public CMtObject {
 public:
  int32_t Lock() override {
    ++locks;
    if (failLock) return -5;
    ++depth;
    return 0;
  }
  int32_t Unlock() override {
    ++unlocks;
    if (failUnlock) return -6;
    --depth;
    return 0;
  }
  int locks = 0;
  int unlocks = 0;
  int depth = 0;
  bool failLock = false;
  bool failUnlock = false;
};

TEST(MtLockerTest, EmptyLockersHoldNothing) {
  CountingLockable target;
  {
    CMtLocker noTarget(nullptr);
    EXPECT_EQ(0, noTarget.Lock());
    EXPECT_EQ(0u, noTarget.count());
    CMtLocker notNow(&target, /*lockNow=*/false);
    EXPECT_EQ(0u, notNow.count());
  }
  EXPECT_EQ(0, target.locks + target.unlocks);
}

TEST(MtLockerTest, OnlyTheOuterLevelReachesTheTarget) {
  CountingLockable target;
  CMtLocker locker(&target, /*lockNow=*/false);
  EXPECT_EQ(0, locker.Lock());
  EXPECT_EQ(0, locker.Lock());
  EXPECT_EQ(0, locker.Unlock());
  EXPECT_EQ(1, target.locks);
  EXPECT_EQ(0, target.unlocks);
  EXPECT_EQ(1u, locker.count());
  EXPECT_EQ(0, locker.Unlock());
  EXPECT_EQ(1, target.unlocks);
  EXPECT_EQ(0u, locker.count());
  EXPECT_EQ(0, locker.Unlock());  // nothing held: the target is not called
  EXPECT_EQ(1, target.unlocks);
}

TEST(MtLockerTest, DestructorDropsExactlyOneLevel) {
  CountingLockable target;
  {
    CMtLocker locker(&target);
    EXPECT_EQ(1u, locker.count());
    locker.Lock();
    locker.Lock();
    EXPECT_EQ(3u, locker.count());
  }
  EXPECT_EQ(1, target.depth);  // still held after the locker at depth 3 went
  EXPECT_EQ(0, target.unlocks);
  { CMtLocker scoped(&target); }
  EXPECT_EQ(1, target.depth);  // a depth-1 locker gives back what it took
  EXPECT_EQ(1, target.unlocks);
}

TEST(MtLockerTest, FailuresPassThroughAndKeepTheCount) {
  CountingLockable target;
  target.failLock = true;
  CMtLocker locker(&target);
  EXPECT_EQ(0u, locker.count());
  EXPECT_EQ(-5, locker.Lock());
  EXPECT_EQ(0u, locker.count());
  EXPECT_EQ(0, locker.Unlock());
  EXPECT_EQ(0, target.unlocks);

  target.failLock = false;
  EXPECT_EQ(0, locker.Lock());
  target.failUnlock = true;
  EXPECT_EQ(-6, locker.Unlock());
  EXPECT_EQ(1u, locker.count());
  target.failUnlock = false;
  EXPECT_EQ(0, locker.Unlock());
  EXPECT_EQ(0u, locker.count());
}

}  // namespace
