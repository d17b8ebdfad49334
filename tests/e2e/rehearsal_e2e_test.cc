// Rehearsals through the program: the time shift across midnight and a summer-time change, the
// time scale, refused options, and world files with their bodies, faults and errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

constexpr size_t npos = std::string::npos;
const std::string kSession = "Open session with Canon EOS 5D Mark IV (simulated)\n";

RunResult rehearse(const std::string& script, std::vector<std::string> arguments,
                   std::vector<std::pair<std::string, std::string>> files = {}) {
  RunOptions options;
  options.arguments = std::move(arguments);
  options.arguments.insert(options.arguments.end(), {"-script", "test.qvs", "-log"});
  options.files = std::move(files);
  options.files.push_back({"test.qvs", "#!quorvale\n" + script});
  options.environment = {{"TZ", std::string("Europe/Berlin")}};
  // A scale that did not work would need a minute and more for these scripts.
  options.timeoutMs = 20000;
  return runQuorvale(options);
}

TEST(RehearsalE2eTest, ShiftedClockCrossesMidnightAndTheSummerTimeChange) {
  // Local 01:59:58 on the night Europe/Berlin moves from 02:00 CET to 03:00 CEST: four seconds
  // later the clock reads 03:00:02; the waits keep their length, the moments are the shifted ones.
  RunResult r = rehearse(
      "wait sleep=4\ncheckpoint\nwait time=\"2026-03-29 03:00:03\"\nwait utc=2026-03-29T00:00\n"
      "wait point=2\n",
      {"-sim", "-speed", "10", "-at", "2026-03-29 01:59:58"});
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ(kBanner + kSession +
                "Sleep: 4 seconds\nSet checkpoint at 03/29/26 03:00:02\n"
                "Wait for 03/29/26 03:00:03\nContinue\n"
                "Wait for 03/29/26 00:00:00 GMT\nMoment in the past. Continue\n"
                "Wait checkpoint for 03/29/26 03:00:04\nContinue\nClose session\n",
            r.out);
  EXPECT_NE(npos, normalizeLog(r.log).find("T TRC: Script clock: starts at 03/29/26 01:59:58 "))
      << r.log;

  // In UTC, across midnight and the new year, at real speed: the start moment is read at once.
  r = rehearse("checkpoint\nwait sleep=1.5\ncheckpoint\n",
               {"-sim", "-atutc", "2026-12-31 22:59:59"});
  EXPECT_EQ(kBanner + kSession +
                "Set checkpoint at 12/31/26 23:59:59\nSleep: 1.5 seconds\n"
                "Set checkpoint at 01/01/27 00:00:00\nClose session\n",
            r.out);
}

TEST(RehearsalE2eTest, SpeedRunsAMinuteOfWaitsInOrderWithTheirOwnTexts) {
  RunResult r = rehearse(
      "echo go\nwait sleep=20\nshot\nwait point=40\nshot tv=1/4\nwait sleep=0:10\n"
      "wait point=60\necho done\n",
      {"-sim", "-speed", "100"});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(0, r.exitCode) << r.err;
  const std::string out = r.out;
  size_t at = 0;
  for (const char* line :
       {"go\n", "Sleep: 20 seconds\n", "Shot #1: ok\n", "Wait checkpoint for ", "Continue\n",
        "set Tv=1/4 -> 1/4\n", "Shot #2: ok\n", "Sleep: 10 seconds\n", "Wait checkpoint for ",
        "Continue\n", "done\n", "Close session\n"}) {
    at = out.find(line, at);
    ASSERT_NE(npos, at) << line << "\n" << out;
    at += 1;
  }
  EXPECT_EQ("", r.err);
}

TEST(RehearsalE2eTest, BadRehearsalOptionsStopBeforeAnythingRuns) {
  const struct {
    std::vector<std::string> arguments;
    std::string err;
  } cases[] = {
      {{"-speed", "10", "-list"},
       "-speed works with the simulated cameras only (-sim); real cameras run in real time\n"},
      {{"-sim", "-speed", "1001"}, "-speed 1001: the factor goes from 1 to 1000\n"},
      {{"-sim", "-speed", "0.5x"}, "-speed 0.5x: the factor goes from 1 to 1000\n"},
      {{"-sim", "-at", "tomorrow"}, "-at tomorrow: not a date or time\n"},
      {{"-sim", "-atutc", "2026-02-30"}, "-atutc 2026-02-30: not a date or time\n"},
      {{"-sim", "missing.ini"}, "World file 'missing.ini' not found: No such file or directory\n"},
  };
  for (const auto& c : cases) {
    RunOptions options;
    options.arguments = c.arguments;
    options.arguments.insert(options.arguments.end(), {"-script", "test.qvs"});
    options.files = {{"test.qvs", "#!quorvale\necho never\n"}};
    RunResult r = runQuorvale(options);
    EXPECT_EQ(1, r.exitCode) << c.err;
    EXPECT_EQ("", r.out) << c.err;
    EXPECT_EQ(c.err, r.err);
  }
}

// The body shuts down after the first shot and is switched on again during the wait: the
// console says so both times, and the next shot is taken on the body again.
TEST(RehearsalE2eTest, ABodyThatComesBackIsUsedAgain) {
  RunResult r =
      rehearse("lockui\nshot\nwait sleep=5\nshot\necho end\n", {"-sim", "w.txt", "-speed", "10"},
               {{"w.txt", "[camera ptp]\nshutdown_after_shot = 1\nback_after = 2\n"}});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ(kBanner + kSession +
                "Camera locked\nShot #1: ok\nSleep: 5 seconds\n"
                "Camera back: Canon EOS 5D Mark IV (simulated)\nShot #2: ok\nend\nClose session\n",
            r.out);
  EXPECT_EQ("Camera lost: Canon EOS 5D Mark IV (simulated)\n", r.err);
  EXPECT_NE(npos, normalizeLog(r.log).find("T TRC: Camera added\n")) << r.log;
}

}  // namespace
}  // namespace e2e
