// Timing commands: checkpoints, moment waits, sleeps, failed waits and the camera lock.
#include <gtest/gtest.h>

#include <string>

#include "camera/canon_camera.h"
#include "platform/error.h"
#include "script/script_parser.h"
#include "script/script_test_support.h"
#include "script/value_parsing.h"

namespace {

using script_testing::FakeScriptClock;

constexpr uint64_t kNow = 133944624000000000ULL;  // 2025-06-15 12:00:00 UTC
constexpr uint64_t kSecond = 10000000ULL;         // in file time units

std::string localText(uint64_t utc) {
  uint64_t local = 0;
  platform::CalendarTime t{};
  platform::utcToLocalFileTime(utc, &local);
  platform::fileTimeToCalendar(local, &t);
  char out[kMomentTextSize];
  formatMoment(t, out);
  return out;
}

class TimingCommandsTest : public testing::Test, protected script_testing::ScriptRunner {
 protected:
  TimingCommandsTest() : ScriptRunner(kNow), camera_(nullptr, nullptr) {}

  std::string run(const std::string& body, ScriptClock* clock = nullptr) {
    return runText(&camera_, "#!quorvale\n" + body, nullptr, clock);
  }

  CCanonCamera camera_;
};

TEST_F(TimingCommandsTest, AnnouncementsAndWaits) {
  const struct {
    std::string body, out, waits;
  } cases[] = {
      // The header's silent checkpoint is at kNow: 12 s later a wait 10 s after it does not wait.
      {"wait sleep=12\nwait point=10\necho next\n",
       "Sleep: 12 seconds\nWait checkpoint for " + localText(kNow + 10 * kSecond) +
           "\nMoment in the past. Continue\nnext\n",
       "sleep 12000 ms\n"},
      {"wait point=0\n", "Wait checkpoint for " + localText(kNow) + "\nContinue\n",
       "moment +0 ms\n"},
      // A later checkpoint replaces the first.
      {"wait sleep=1\ncheckpoint\nwait check=\"1:00:00.5\"\n",
       "Sleep: 1 seconds\nSet checkpoint at " + localText(kNow + kSecond) +
           "\nWait checkpoint for " + localText(kNow + 36015 * kSecond / 10) + "\nContinue\n",
       "sleep 1000 ms\nmoment +3600500 ms\n"},
      // A millisecond count of 1000 carries into the next second: the same moment, now reached.
      {"wait ut=\"2030-1-2\"\nwait utc=\"2030-01-01 23:59:59.9996\"\n",
       "Wait for 01/02/30 00:00:00 GMT\nContinue\nWait for 01/02/30 00:00:00 GMT\nContinue\n",
       "moment +143553600000 ms\nmoment +0 ms\n"},
      {"wait gmt=31.02.2030\nwait local=2030-13-01T10:00\nwait time=25:00\necho next\n",
       "Wait for: no such date or time '31.02.2030'\n"
       "Wait for: no such date or time '2030-13-01T10:00'\n"
       "Wait for: no such date or time '25:00'\nnext\n",
       ""},
      // Hours and minutes of durations pass 32 bits.
      {"wait sleep=1200000:00:00\nwait point=99999999:00\n",
       "Sleep: 4.32e+09 seconds\nWait checkpoint for " + localText(kNow + 5999999940 * kSecond) +
           "\nContinue\n",
       "sleep 4320000000000 ms\nmoment +1679999940000 ms\n"},
      // Sleeps round to milliseconds, print three digits and may exceed 2^32 ms.
      {"wait sleep=0.0004\nwait sleep=1:30\nwait sleep=0.25\nwait sleep=4294968\n",
       "Sleep: 0.0004 seconds\nSleep: 90 seconds\nSleep: 0.25 seconds\n"
       "Sleep: 4.29e+06 seconds\n",
       "sleep 0 ms\nsleep 90000 ms\nsleep 250 ms\nsleep 4294968000 ms\n"},
  };
  for (const auto& c : cases) {
    FakeScriptClock clock(kNow);
    EXPECT_EQ(c.out, run(c.body, &clock)) << c.body;
    EXPECT_EQ(c.waits, clock.journal()) << c.body;
    EXPECT_EQ("end", end_) << c.body;
  }
}

TEST_F(TimingCommandsTest, CameraLockIsReleasedBeforeEveryWait) {
  std::string locks;
  clock_.onWait = [&] { locks += std::to_string(parser_->lockCount()); };
  run("lockui\nlockui\nwait sleep=1\nlockui\nwait point=5\nlockui\nwait utc=2030-1-1\n"
      "lockui\nwait time=1.1.2020\n");
  EXPECT_EQ("000", locks);  // the last wait is in the past: no wait at all
  EXPECT_EQ(0u, camera_.uiLockCount());
}

TEST_F(TimingCommandsTest, FailedWaitIsReportedAndTheScriptGoesOn) {
  clock_.failWaits = true;
  clock_.onWait = [] { platform::setLastError(22); };
  EXPECT_EQ("Wait checkpoint for " + localText(kNow + kSecond) +
                "\nWaitForMultipleObjects fault: " + platform::errorText(22) + "\nnext\n",
            run("wait point=1\necho next\n"));
}

}  // namespace
