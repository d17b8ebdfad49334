#include "mt/mt_locker.h"

#include <gtest/gtest.h>

namespace {

// A lockable that keeps its depth and the calls it got, and can be told to fail.
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

// Only the outer level reaches the target; the destructor gives back one level, so a locker at
// depth 3 leaves the target held; nothing held means the target is not called.
TEST(MtLockerTest, OnlyTheOuterLevelReachesTheTargetAndTheDestructorDropsOne) {
  CountingLockable target;
  {
    CMtLocker locker(&target);
    EXPECT_EQ(0, locker.Lock());
    EXPECT_EQ(0, locker.Lock());
    EXPECT_EQ(3u, locker.count());
  }
  EXPECT_EQ(1, target.locks);
  EXPECT_EQ(1, target.depth);
  CMtLocker locker(&target, /*lockNow=*/false);
  EXPECT_EQ(0, locker.Unlock());
  EXPECT_EQ(0, target.unlocks);
  { CMtLocker scoped(&target); }
  EXPECT_EQ(1, target.depth);
  EXPECT_EQ(0, CMtLocker(nullptr).Lock());
}

TEST(MtLockerTest, FailuresPassThroughAndKeepTheCount) {
  CountingLockable target;
  target.failLock = true;
  CMtLocker locker(&target);
  EXPECT_EQ(0u, locker.count());
  EXPECT_EQ(-5, locker.Lock());
  EXPECT_EQ(0u, locker.count());
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
