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

// With nobody waiting: an auto-reset signal does not accumulate and is consumed by one wait, a
// manual-reset one stays until reset, and a pulse leaves no signal behind.
TEST(EventTest, SignalsWithoutWaiters) {
  Event automatic(/*manualReset=*/false, /*initiallySignalled=*/false);
  EXPECT_EQ(kWaitTimeout, automatic.wait(0));
  automatic.set();
  automatic.set();
  EXPECT_EQ(kWaitObject0, automatic.wait(0));
  EXPECT_EQ(kWaitTimeout, automatic.wait(0));

  Event manual(/*manualReset=*/true, /*initiallySignalled=*/false);
  manual.set();
  EXPECT_EQ(kWaitObject0, manual.wait(0));
  EXPECT_EQ(kWaitObject0, manual.wait(kInfinite));
  manual.reset();
  EXPECT_EQ(kWaitTimeout, manual.wait(0));
  manual.set();
  manual.pulse();
  EXPECT_EQ(kWaitTimeout, manual.wait(0));
}

// A pulse releases all current waiters (manual reset) or one (auto reset), none that come later.
TEST(EventTest, PulseReleasesCurrentWaitersOnly) {
  for (const bool manualReset : {true, false}) {
    Event event(manualReset, false);
    std::atomic<int> released{0};
    auto waiter = [&] {
      if (event.wait(kInfinite) == kWaitObject0) ++released;
    };
    std::thread a(waiter);
    std::thread b(waiter);
    awaitWaiters(event, 2);
    event.pulse();
    const int expected = manualReset ? 2 : 1;
    while (released.load() < expected) std::this_thread::yield();
    EXPECT_EQ(static_cast<size_t>(2 - expected), waiterCountForTest(event)) << manualReset;
    EXPECT_EQ(expected, released.load()) << manualReset;
    EXPECT_EQ(kWaitTimeout, event.wait(0)) << manualReset;
    event.set();  // releases the auto-reset event's other waiter
    a.join();
    b.join();
    EXPECT_EQ(2, released.load()) << manualReset;
  }
}

TEST(WaitAnyTest, ReturnsLowestSignalledIndexAndConsumesOnlyThatObject) {
  Event first(false, false);
  Event second(false, true);
  Event third(false, true);
  Waitable* objects[] = {&first, &second, &third};
  EXPECT_EQ(kWaitObject0 + 1, waitAny(objects, 3, 0));
  EXPECT_EQ(kWaitObject0 + 2, waitAny(objects, 3, 0));
  EXPECT_EQ(kWaitTimeout, waitAny(objects, 3, 0));
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

// A past due time signals at once; one that nobody consumed is cleared by cancel() and re-arming.
TEST(WaitableTimerTest, PastDueSignalsAtOnceUntilCancelledOrRearmed) {
  WaitableTimer timer;
  timer.setAbsolute(utcNow() - kFileTimeUnitsPerSecond);
  EXPECT_EQ(kWaitObject0, waitOne(timer, 0));
  timer.setAbsolute(0);
  timer.cancel();
  EXPECT_EQ(kWaitTimeout, waitOne(timer, 0));
  timer.setAbsolute(0);
  timer.setAbsolute(utcNow() + 3600 * kFileTimeUnitsPerSecond);
  EXPECT_EQ(kWaitTimeout, waitOne(timer, 0));
}

// A time limit shorter than the due time ends the wait, leaving no waiter.
TEST(WaitableTimerTest, ShorterTimeLimitEndsTheWaitFirst) {
  WaitableTimer timer;
  Event stop(true, false);
  Waitable* objects[] = {&stop, &timer};
  timer.setAbsolute(utcNow() + 3600 * kFileTimeUnitsPerSecond);
  const uint32_t start = tickCount();
  EXPECT_EQ(kWaitTimeout, waitAny(objects, 2, 30));
  EXPECT_GE(static_cast<uint32_t>(tickCount() - start), 30u);
  EXPECT_EQ(0u, waiterCountForTest(stop) + waiterCountForTest(timer));
}

// A far due time replaced by a near one wakes a waiter already blocked on the far one, not before.
TEST(WaitableTimerTest, RearmingWakesAWaiterAlreadyBlockedAtTheDueTime) {
  WaitableTimer timer;
  timer.setAbsolute(utcNow() + 3600 * kFileTimeUnitsPerSecond);
  std::atomic<uint32_t> result{12345};
  std::thread waiter([&] { result = waitOne(timer, kInfinite); });
  awaitWaiters(timer, 1);
  const uint64_t near = utcNow() + 10 * kFileTimeUnitsPerMs;
  timer.setAbsolute(near);
  waiter.join();
  EXPECT_EQ(kWaitObject0, result.load());
  EXPECT_GE(utcNow(), near);
  EXPECT_EQ(kWaitTimeout, waitOne(timer, 0));  // auto reset: the firing was consumed
}

// A precise wait ends on its moment, never before it, for a timer and for a time limit; it sees
// the other objects as a plain wait does, also during its last stretch before the moment.
TEST(PreciseWaitTest, EndsNeverBeforeTheMomentAndSeesTheOtherObjects) {
  WaitableTimer timer;
  Event stop(/*manualReset=*/true, false);
  Waitable* objects[] = {&timer, &stop};
  for (int i = 0; i < 20; ++i) {
    const uint64_t due = utcNow() + (i % 4) * kFileTimeUnitsPerMs + (i % 3) * 1000;
    timer.setAbsolute(due);
    ASSERT_EQ(kWaitObject0, waitAnyPrecisely(objects, 2, kInfinite)) << i;
    ASSERT_GE(utcNow(), due) << i;
    EXPECT_EQ(kWaitTimeout, waitOne(timer, 0)) << i;  // the firing was consumed
  }
  EXPECT_EQ(0u, waiterCountForTest(timer) + waiterCountForTest(stop));

  // A time limit before the timer's moment: the limit ends the wait, not before it.
  timer.setAbsolute(utcNow() + 3600 * kFileTimeUnitsPerSecond);
  const uint32_t start = tickCount();
  EXPECT_EQ(kWaitTimeout, waitAnyPrecisely(objects, 2, 3));
  EXPECT_GE(static_cast<uint32_t>(tickCount() - start), 3u);

  // The stop event and a pulse end a precise wait at once, whatever its moment.
  std::atomic<uint32_t> result{12345};
  std::thread waiter([&] { result = waitAnyPrecisely(objects, 2, kInfinite); });
  awaitWaiters(stop, 1);
  stop.set();
  waiter.join();
  EXPECT_EQ(kWaitObject0 + 1, result.load());
  stop.reset();
  Event pulsed(/*manualReset=*/false, false);
  Waitable* withPulse[] = {&timer, &pulsed};
  std::thread pulseWaiter([&] { result = waitAnyPrecisely(withPulse, 2, 3600000); });
  awaitWaiters(pulsed, 1);
  pulsed.pulse();
  pulseWaiter.join();
  EXPECT_EQ(kWaitObject0 + 1, result.load());

  // A stop set within the last stretch (the timer due in 50 us) is seen right after the moment.
  timer.setAbsolute(utcNow() + 500);
  stop.set();
  EXPECT_NE(kWaitTimeout, waitAnyPrecisely(objects, 2, kInfinite));
}

}  // namespace
}  // namespace platform
