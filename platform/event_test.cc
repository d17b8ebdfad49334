#include "platform/event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/clock.h"
#include "platform/error.h"

namespace platform {
namespace {

void awaitWaiters(const Waitable& object, size_t n) {
  while (waiterCountForTest(object) < n) std::this_thread::yield();
}

uint32_t waitOne(Waitable& object, uint32_t timeoutMs) {
  Waitable* objects[] = {&object};
  return waitAny(objects, 1, timeoutMs);
}

TEST(EventTest, AutoResetSignalIsConsumedByOneWait) {
  Event event(/*manualReset=*/false, /*initiallySignalled=*/false);
  EXPECT_EQ(kWaitTimeout, event.wait(0));
  event.set();
  event.set();  // signals do not accumulate
  EXPECT_EQ(kWaitObject0, event.wait(0));
  EXPECT_EQ(kWaitTimeout, event.wait(0));
}

TEST(EventTest, ManualResetStaysSetUntilReset) {
  Event event(/*manualReset=*/true, /*initiallySignalled=*/false);
  event.set();
  EXPECT_EQ(kWaitObject0, event.wait(0));
  EXPECT_EQ(kWaitObject0, event.wait(kInfinite));
  event.reset();
  EXPECT_EQ(kWaitTimeout, event.wait(0));
  event.set();
  event.pulse();  // with nobody waiting, leaves the event non-signalled
  EXPECT_EQ(kWaitTimeout, event.wait(0));
}

TEST(EventTest, TimedWaitTimesOutNotBeforeItsLimit) {
  Event event(false, false);
  const uint32_t start = tickCount();
  EXPECT_EQ(kWaitTimeout, event.wait(30));
  EXPECT_GE(static_cast<uint32_t>(tickCount() - start), 30u);
  EXPECT_EQ(0u, waiterCountForTest(event));
}

TEST(EventTest, ManualPulseReleasesAllCurrentWaitersOnly) {
  Event event(/*manualReset=*/true, false);
  std::atomic<int> released{0};
  std::thread a([&] {
    if (event.wait(kInfinite) == kWaitObject0) ++released;
  });
  std::thread b([&] {
    if (event.wait(kInfinite) == kWaitObject0) ++released;
  });
  awaitWaiters(event, 2);
  event.pulse();
  a.join();
  b.join();
  EXPECT_EQ(2, released.load());
  // A wait that starts after the pulse does not see it.
  EXPECT_EQ(kWaitTimeout, event.wait(10));
}

TEST(EventTest, AutoPulseReleasesExactlyOneWaiter) {
  Event event(/*manualReset=*/false, false);
  std::atomic<int> released{0};
  auto body = [&] {
    if (event.wait(kInfinite) == kWaitObject0) ++released;
  };
  std::thread a(body);
  std::thread b(body);
  awaitWaiters(event, 2);
  event.pulse();
  while (released.load() == 0) std::this_thread::yield();
  awaitWaiters(event, 1);
  EXPECT_EQ(1u, waiterCountForTest(event));
  EXPECT_EQ(1, released.load());
  EXPECT_EQ(kWaitTimeout, event.wait(0));  // the pulse left no signal behind
  event.set();                             // releases the other one
  a.join();
  b.join();
  EXPECT_EQ(2, released.load());
}

TEST(WaitAnyTest, ReturnsLowestSignalledIndexAndConsumesOnlyThatObject) {
  Event first(false, false);
  Event second(false, true);
  Event third(false, true);
  Waitable* objects[] = {&first, &second, &third};
  EXPECT_EQ(kWaitObject0 + 1, waitAny(objects, 3, 0));
  EXPECT_EQ(kWaitObject0 + 2, waitAny(objects, 3, 0));
  EXPECT_EQ(kWaitTimeout, waitAny(objects, 3, 0));

  Event manual(true, true);
  Event automatic(false, true);
  Waitable* mixed[] = {&manual, &automatic};
  EXPECT_EQ(kWaitObject0, waitAny(mixed, 2, 0));
  EXPECT_EQ(kWaitObject0, waitAny(mixed, 2, 0));  // manual reset stays set
  EXPECT_EQ(kWaitObject0, automatic.wait(0));     // never consumed by the waits above
}

TEST(WaitAnyTest, WakesForTheObjectSetOrPulsedByAnotherThread) {
  for (const bool pulse : {false, true}) {
    Event stop(true, false);
    Event work(false, false);
    Waitable* objects[] = {&stop, &work};
    std::atomic<uint32_t> result{12345};
    std::thread waiter([&] { result = waitAny(objects, 2, kInfinite); });
    awaitWaiters(work, 1);
    pulse ? work.pulse() : work.set();
    waiter.join();
    EXPECT_EQ(kWaitObject0 + 1, result.load()) << pulse;
    EXPECT_EQ(0u, waiterCountForTest(stop) + waiterCountForTest(work)) << pulse;
    EXPECT_EQ(kWaitTimeout, work.wait(0)) << pulse;
  }
}

TEST(WaitAnyTest, RefusesBadArguments) {
  setLastError(0);
  EXPECT_EQ(kWaitFailed, waitAny(nullptr, 1, 0));
  EXPECT_NE(0u, lastError());
  Event event(false, true);
  Waitable* objects[] = {&event, nullptr};
  EXPECT_EQ(kWaitFailed, waitAny(objects, 2, 0));
  EXPECT_EQ(kWaitFailed, waitAny(objects, 0, 0));
  EXPECT_EQ(kWaitObject0, event.wait(0));  // untouched by the refused waits
}

TEST(WaitableTimerTest, FiresAtItsDueTimeAndNotBefore) {
  WaitableTimer timer;
  Event stop(true, false);
  const uint64_t due = utcNow() + 40 * kFileTimeUnitsPerMs;
  timer.setAbsolute(due);
  EXPECT_EQ(kWaitTimeout, waitOne(timer, 0));
  Waitable* objects[] = {&stop, &timer};
  EXPECT_EQ(kWaitObject0 + 1, waitAny(objects, 2, kInfinite));
  EXPECT_GE(utcNow(), due);
  EXPECT_EQ(kWaitTimeout, waitOne(timer, 0));  // auto reset: the firing was consumed
}

TEST(WaitableTimerTest, PastDueSignalsAtOnceAndRearmingReplaces) {
  WaitableTimer timer;
  timer.setAbsolute(utcNow() - kFileTimeUnitsPerSecond);
  EXPECT_EQ(kWaitObject0, waitOne(timer, 0));

  // A far due time replaced by a near one fires at the near one.
  timer.setAbsolute(utcNow() + 3600 * kFileTimeUnitsPerSecond);
  const uint64_t near = utcNow() + 20 * kFileTimeUnitsPerMs;
  timer.setAbsolute(near);
  EXPECT_EQ(kWaitObject0, waitOne(timer, kInfinite));
  EXPECT_GE(utcNow(), near);

  // A past due time that nobody consumed is cleared by cancel() and by re-arming.
  timer.setAbsolute(0);
  timer.cancel();
  EXPECT_EQ(kWaitTimeout, waitOne(timer, 20));
  timer.setAbsolute(utcNow() + 3600 * kFileTimeUnitsPerSecond);
  EXPECT_EQ(kWaitTimeout, waitOne(timer, 0));
}

TEST(WaitableTimerTest, ShorterTimeLimitOrStopEventEndsTheWaitFirst) {
  WaitableTimer timer;
  Event stop(true, false);
  Waitable* objects[] = {&stop, &timer};
  timer.setAbsolute(utcNow() + 3600 * kFileTimeUnitsPerSecond);
  EXPECT_EQ(kWaitTimeout, waitAny(objects, 2, 20));

  std::atomic<uint32_t> result{12345};
  std::thread waiter([&] { result = waitAny(objects, 2, kInfinite); });
  awaitWaiters(stop, 1);
  stop.set();
  waiter.join();
  EXPECT_EQ(kWaitObject0, result.load());
}

TEST(WaitableTimerTest, RearmingWakesAWaiterAlreadyBlocked) {
  WaitableTimer timer;
  timer.setAbsolute(utcNow() + 3600 * kFileTimeUnitsPerSecond);
  std::atomic<uint32_t> result{12345};
  std::thread waiter([&] { result = waitOne(timer, kInfinite); });
  awaitWaiters(timer, 1);
  timer.setAbsolute(utcNow() + 10 * kFileTimeUnitsPerMs);
  waiter.join();
  EXPECT_EQ(kWaitObject0, result.load());
}

}  // namespace
}  // namespace platform
