// Timing commands: checkpoints, moment waits, sleeps, the stop event and the camera lock.
// Most tests run on a clock that never waits; a few use the real clock with waits of a few tens of
// milliseconds to prove the timer and the stop event really end the waits.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "camera/canon_camera.h"
#include "platform/error.h"
#include "script/script_parser.h"
#include "script/script_test_support.h"
#include "script/value_parsing.h"

namespace {

using script_testing::FakeScriptClock;
using script_testing::OutputCapture;
using script_testing::runScript;

constexpr uint64_t kNow = 133944624000000000ULL;  // 2025-06-15 12:00:00 UTC

// The local date-time text of a UTC file time, as the announcements show it.
std::string localText(uint64_t utc) {
  uint64_t local = 0;
  platform::CalendarTime t{};
  platform::utcToLocalFileTime(utc, &local);
  platform::fileTimeToCalendar(local, &t);
  char out[kMomentTextSize];
  formatMoment(t, out);
  return out;
}

class TimingCommandsTest : public testing::Test {
 protected:
  TimingCommandsTest() : camera_(nullptr, nullptr), stop_(true, false), clock_(kNow) {}

  std::string run(const std::string& body, ScriptClock* clock = nullptr) {
    OutputCapture capture(true);
    CQuorvaleScriptParser parser(&camera_, nullptr, nullptr, &stop_,
                                 clock != nullptr ? clock : &clock_);
    parser_ = &parser;
    end_ = runScript(&parser, "#!quorvale\n" + body);
    parser_ = nullptr;
    return capture.out();
  }

  CCanonCamera camera_;
  platform::Event stop_;
  FakeScriptClock clock_;
  CQuorvaleScriptParser* parser_ = nullptr;
  std::string end_;
};

TEST_F(TimingCommandsTest, CheckpointCommandAnnouncesItsMoment) {
  clock_.advance(5000);
  EXPECT_EQ("Set checkpoint at " + localText(kNow + 5000 * 10000) + "\n", run("checkpoint\n"));
}

TEST_F(TimingCommandsTest, CheckpointWaitInThePastDoesNotWait) {
  // The header's silent checkpoint is at kNow; the wait comes 12 s later for 10 s after it.
  clock_.onWait = nullptr;
  std::string out = run("wait sleep=12\nwait point=10\necho next\n");
  EXPECT_EQ("Sleep: 12 seconds\nWait checkpoint for " + localText(kNow + 10 * 10000000ULL) +
                "\nMoment in the past. Continue\nnext\n",
            out);
  EXPECT_EQ("sleep 12000 ms\n", clock_.journal());
}

TEST_F(TimingCommandsTest, CheckpointWaitEqualToNowWaitsForTheTimer) {
  EXPECT_EQ("Wait checkpoint for " + localText(kNow) + "\nContinue\n", run("wait point=0\n"));
  EXPECT_EQ("moment +0 ms\n", clock_.journal());
}

TEST_F(TimingCommandsTest, LaterCheckpointReplacesTheFirst) {
  std::string out = run("wait sleep=1\ncheckpoint\nwait check=\"1:00:00.5\"\n");
  EXPECT_EQ("sleep 1000 ms\nmoment +3600500 ms\n", clock_.journal());
  EXPECT_NE(std::string::npos, out.find("Wait checkpoint for " +
                                        localText(kNow + 3601500ULL * 10000) + "\nContinue\n"));
}

TEST_F(TimingCommandsTest, GmtMomentWaitsUntilItsMoment) {
  EXPECT_EQ("Wait for 01/02/30 00:00:00 GMT\nContinue\n", run("wait ut=\"2030-1-2\"\n"));
  EXPECT_EQ("moment +143553600000 ms\n", clock_.journal());
}

TEST_F(TimingCommandsTest, MillisecondThousandCarriesIntoTheNextSecond) {
  EXPECT_EQ("Wait for 01/02/30 00:00:00 GMT\nContinue\n",
            run("wait utc=\"2030-01-01 23:59:59.9996\"\n"));
  EXPECT_EQ("moment +143553600000 ms\n", clock_.journal());
}

TEST_F(TimingCommandsTest, ImpossibleDateIsReportedAndNotWaited) {
  EXPECT_EQ(
      "Wait for: no such date or time '31.02.2030'\n"
      "Wait for: no such date or time '2030-13-01T10:00'\n"
      "Wait for: no such date or time '25:00'\n"
      "next\n",
      run("wait gmt=31.02.2030\nwait local=2030-13-01T10:00\nwait time=25:00\necho next\n"));
  EXPECT_EQ("", clock_.journal());
  EXPECT_EQ("end", end_);
}

TEST_F(TimingCommandsTest, LocalMomentUsesTheZoneRulesOfItsOwnDate) {
  if (!std::ifstream("/usr/share/zoneinfo/Europe/Berlin")) {
    GTEST_SKIP() << "no time zone data (install tzdata)";
  }
  const char* saved = std::getenv("TZ");
  std::string savedTz = saved != nullptr ? saved : "";
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  // Today is in winter (UTC+1); the target in summer is UTC+2: 12:00 local is 10:00 UTC.
  FakeScriptClock winter(133814160000000000ULL);  // 2025-01-15 12:00:00 UTC
  std::string out = run("wait local=2025-07-01T12:00\n", &winter);
  if (saved != nullptr) {
    setenv("TZ", savedTz.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
  EXPECT_EQ("Wait for 07/01/25 12:00:00\nContinue\n", out);
  EXPECT_EQ("moment +14421600000 ms\n", winter.journal());
}

TEST_F(TimingCommandsTest, SleepRoundsToMillisecondsAndPrintsThreeDigits) {
  EXPECT_EQ("Sleep: 0.0004 seconds\nSleep: 90 seconds\nSleep: 0.25 seconds\n",
            run("wait sleep=0.0004\nwait sleep=1:30\nwait sleep=0.25\n"));
  EXPECT_EQ("sleep 0 ms\nsleep 90000 ms\nsleep 250 ms\n", clock_.journal());
}

TEST_F(TimingCommandsTest, SleepOfMoreThanTwoToThe32MillisecondsKeepsItsLength) {
  EXPECT_EQ("Sleep: 4.29e+06 seconds\n", run("wait sleep=4294968\n"));
  EXPECT_EQ("sleep 4294968000 ms\n", clock_.journal());
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
  EXPECT_EQ("Wait checkpoint for " + localText(kNow + 10000000ULL) +
                "\nWaitForMultipleObjects fault: " + platform::errorText(22) + "\nnext\n",
            run("wait point=1\necho next\n"));
}

TEST_F(TimingCommandsTest, StopDuringAFakeWaitEndsTheScript) {
  clock_.onWait = [this] { stop_.set(); };
  EXPECT_EQ("Wait for 01/01/30 00:00:00 GMT\n\nProgram terminated!\n",
            run("wait utc=2030-1-1\necho never\n"));
  EXPECT_EQ("value 0", end_);
}

// The real clock: a wait for a moment 30 ms ahead ends by the timer.
TEST_F(TimingCommandsTest, RealTimerEndsAMomentWait) {
  std::string out = run("wait point=0.03\necho next\n", systemScriptClock());
  EXPECT_EQ("Continue\nnext\n", out.substr(out.find('\n') + 1));
  EXPECT_EQ("end", end_);
}

// The real clock: the stop event ends a long sleep and a far moment wait at once.
TEST_F(TimingCommandsTest, RealStopEndsSleepAndMomentWaits) {
  for (const char* body : {"wait sleep=600\necho never\n", "wait point=600\necho never\n"}) {
    stop_.reset();
    std::thread stopper([this] {
      platform::sleepMs(30);
      stop_.set();
    });
    std::string out = run(body, systemScriptClock());
    stopper.join();
    EXPECT_EQ("\nProgram terminated!\n", out.substr(out.find('\n') + 1)) << body;
    EXPECT_EQ("value 0", end_);
  }
}

}  // namespace
