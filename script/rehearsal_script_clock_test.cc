// The rehearsal clock: shifted readings and waits mapped back to the base clock; at a factor, the
// script's waits hurried on the pace to their very end while the rest runs at real speed.
#include "script/rehearsal_script_clock.h"

#include <gtest/gtest.h>

#include "script/script_test_support.h"

namespace {

using script_testing::FakeScriptClock;

constexpr uint64_t kReal = 133944624000000000ULL;  // 2025-06-15 12:00:00 UTC
constexpr uint64_t kSecond = 10000000ULL;
constexpr uint64_t kMs = 10000ULL;
constexpr uint64_t kShifted = kReal + 30 * 86400 * kSecond;  // 30 days later

// A pace whose real time moves only when told: work() for the program's own work, and a hurried
// wait that ends takes it to the hurry's end, unless |stop| cut the wait short.
class FakePace final : public RehearsalPace {
 public:
  explicit FakePace(platform::Event* stop) : stop_(stop) {}
  double nowMs() override { return now_; }
  void hurryUntil(double untilMs, double factor) override {
    if (untilMs > now_) {
      until_ = untilMs;
      factor_ = factor;
    }
  }
  void endHurry() override {
    if (factor_ > 1.0 && stop_->wait(0) != platform::kWaitObject0) now_ = until_;
    factor_ = 1.0;
  }
  double realMsUntil(double ms) override { return ms > now_ ? (ms - now_) / factor_ : 0.0; }

  void work(double realMs) { now_ += realMs; }

 private:
  platform::Event* const stop_;
  double now_ = 5000.0;
  double until_ = 0.0;
  double factor_ = 1.0;
};

TEST(RehearsalScriptClockTest, ShiftFollowsTheBaseClockExactly) {
  FakeScriptClock base(kReal);
  RehearsalScriptClock shifted(&base, kShifted);
  EXPECT_EQ(kShifted, shifted.utcNow());
  base.sleep(1500);  // the base clock moves on, as after a step of the real clock
  EXPECT_EQ(kShifted + 15 * kSecond / 10, shifted.utcNow());
  EXPECT_EQ(platform::kWaitObject0,
            shifted.waitForMoment(nullptr, nullptr, shifted.utcNow() + 60 * kSecond));
  EXPECT_EQ(platform::kWaitTimeout, shifted.waitForStop(nullptr, 300));
  EXPECT_EQ("pause 1500 ms\nmoment +60000 ms\nsleep 300 ms\n", base.journal());
  // A moment before the start maps before the base's start.
  RehearsalScriptClock later(&base, kShifted);
  EXPECT_EQ(base.utcNow() - kSecond, later.baseMomentOf(kShifted - kSecond));
}

// Sixty times faster: each wait lasts a sixtieth in real time and ends exactly at its moment; the
// program's own work between waits counts once, not sixty times.
TEST(RehearsalScriptClockTest, FasterWaitsEndAtTheirMomentAndWorkCountsAtRealSpeed) {
  FakeScriptClock base(kReal);
  platform::Event stop(true, false);
  FakePace pace(&stop);
  RehearsalScriptClock fast(&base, kShifted, &pace, 60.0);
  pace.work(1.5);
  EXPECT_EQ(kShifted + 15 * kMs / 10, fast.utcNow());
  EXPECT_EQ(platform::kWaitTimeout, fast.waitForStop(&stop, 300000));
  EXPECT_EQ(kShifted + 15 * kMs / 10 + 300 * kSecond, fast.utcNow());
  const uint64_t due = fast.utcNow() + 60 * kSecond + 5 * kMs / 10;
  EXPECT_EQ(platform::kWaitObject0, fast.waitForMoment(nullptr, &stop, due));
  EXPECT_EQ(due, fast.utcNow());
  EXPECT_EQ(platform::kWaitObject0, fast.waitForMoment(nullptr, &stop, due - kSecond));  // past
  fast.sleep(100);
  EXPECT_EQ(due + 100 * kMs, fast.utcNow());
  fast.holdPulse(&stop, 250);  // a pulse on a real line keeps its length, unhurried
  EXPECT_EQ(due + 100 * kMs, fast.utcNow());

  // A stop ends a wait early, and its hurry with it.
  stop.set();
  EXPECT_EQ(platform::kWaitObject0, fast.waitForStop(&stop, 60000));
  EXPECT_EQ(platform::kWaitObject0 + 1, fast.waitForMoment(nullptr, &stop, due + 3600 * kSecond));
  EXPECT_EQ(due + 100 * kMs, fast.utcNow());
  EXPECT_EQ(
      "sleep 5000 ms\nsleep 1001 ms\nsleep 0 ms\npause 2 ms\nsleep 250 ms\nsleep 1000 ms\n"
      "sleep 59999 ms\n",
      base.journal());
}

}  // namespace
