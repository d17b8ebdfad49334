#include "mt/mt_event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "mt/mt_critical_section.h"
#include "mt/mt_locker.h"

namespace {

// Unlock() signals and Lock() consumes the signal; that a Lock() without a signal blocks until the
// next one, and the set, reset and pulse under them, are the platform event's own tests.
TEST(MtEventTest, UnlockSignalsOneLock) {
  CMtEvent event;
  EXPECT_EQ(platform::kWaitTimeout, event.waitFor(0));  // starts non-signalled
  EXPECT_EQ(0, event.Unlock());
  EXPECT_EQ(0, event.Lock());  // returns at once
  EXPECT_EQ(platform::kWaitTimeout, event.waitFor(0));
}

TEST(MtCriticalSectionTest, RecursiveForItsOwnerExclusiveForOthers) {
  CMtCriticalSection section;
  int shared = 0;  // guarded by section
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 1000; ++i) {
        CMtLocker outer(&section);
        CMtLocker inner(&section);  // the owner enters again without blocking
        ++shared;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(4000, shared);

  section.Lock();
  std::atomic<bool> otherGotIt{true};
  std::thread other([&] { otherGotIt = section.TryLock(); });
  other.join();
  EXPECT_FALSE(otherGotIt.load());
  EXPECT_TRUE(section.TryLock());  // the owner may
  section.Unlock();
  section.Unlock();
}

}  // namespace
