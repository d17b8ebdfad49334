// Hostile and edge inputs of the time and rehearsal paths: local times in the hours that summer
// time repeats or skips, world-file moments, numbers and files that are not files, a session that
// never opens, and -at / -atutc values that are no moments.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

RunResult runIn(const std::string& zone, std::vector<std::string> arguments,
                const std::string& script,
                std::vector<std::pair<std::string, std::string>> files = {}) {
  RunOptions options;
  options.arguments = std::move(arguments);
  options.arguments.insert(options.arguments.end(), {"-script", "test.qvs"});
  options.files = std::move(files);
  options.files.push_back({"test.qvs", "#!quorvale\n" + script});
  options.environment = {{"TZ", zone}};
  // A wait resolved to the wrong hour would take 36 s at -speed 100.
  options.timeoutMs = 20000;
  return runQuorvale(options);
}

// A local time in the hour that summer time repeats is its first occurrence, whatever came before;
// one in the hour it skips is read with the offset before the change. The check shows each wait's
// UTC moment and points the time out; a run waits for it, the same with -at as with -atutc.
TEST(TimeEdgesE2eTest, LocalTimesInTheRepeatedOrMissingHourResolveByOneRule) {
  const std::string autumn = "2026-10-25 02:45:00.000 (00:45:00.000 UTC)   wait time=02:45:00\n";
  const std::string twice =
      ": local time 2026-10-25 02:45:00 comes twice (the clocks go back): the wait is for the "
      "first, 2026-10-25 02:45:00.000 (00:45:00.000 UTC)\n";
  const struct {
    const char* start;
    std::string script, planLine, finding;
  } checks[] = {
      {"2026-10-24T23:00:00", "wait time=02:45:00\n", autumn, "  line 2" + twice},
      {"2026-10-24T23:00:00", "wait time=01:30:00\nwait time=02:45:00\n", autumn,
       "  line 3" + twice},
      // After 03:30 the wait is for a moment gone by: the plan line stays at 03:30.
      {"2026-10-24T23:00:00", "wait time=\"2026-10-25 03:30\"\nwait time=02:45:00\n", "",
       "  line 3" + twice},
      {"2026-03-29T00:00:00", "wait time=02:30:00\n",
       "2026-03-29 03:30:00.000 (01:30:00.000 UTC)   wait time=02:30:00\n",
       "  line 2: local time 2026-03-29 02:30:00 does not exist (the clocks go forward): the wait "
       "is for 2026-03-29 03:30:00.000 (01:30:00.000 UTC)\n"},
  };
  for (const auto& c : checks) {
    const RunResult r = runIn("Europe/Madrid", {"-check", "-sim", "-atutc", c.start}, c.script);
    EXPECT_EQ(4, r.exitCode) << c.script;
    EXPECT_NE(npos, r.out.find(c.planLine)) << r.out;
    const size_t findings = r.out.find("Findings: ");
    EXPECT_NE(npos, r.out.find(c.finding, findings == npos ? 0 : findings)) << r.out;
  }
  // The runs wait for the first 02:45 (the local start 02:44 is itself the first one) and for
  // 01:30 UTC, each a minute away.
  const std::string autumnRun = "wait time=01:30:00\nwait time=02:45:00\n";
  const std::string autumnWaits =
      "Wait for 10/25/26 01:30:00\nMoment in the past. Continue\nWait for 10/25/26 02:45:00\n";
  const struct {
    const char *option, *start;
    std::string script, waits;
  } runs[] = {
      {"-atutc", "2026-10-25 00:44:59", autumnRun, autumnWaits},
      {"-at", "2026-10-25 02:44:59", autumnRun, autumnWaits},
      {"-atutc", "2026-03-29 01:29:00", "wait time=02:30:00\n", "Wait for 03/29/26 02:30:00\n"},
  };
  for (const auto& c : runs) {
    const RunResult r =
        runIn("Europe/Madrid", {"-sim", "-speed", "100", c.option, c.start}, c.script);
    ASSERT_TRUE(r.finished) << c.start;
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ(kBanner + kSession + c.waits + "Continue\nClose session\n", r.out) << c.start;
  }
}

// Refused before anything runs: one line, exit code 1.
void expectRefused(std::vector<std::string> arguments, const std::string& err,
                   std::vector<std::pair<std::string, std::string>> files = {}) {
  RunResult r = runIn("UTC", std::move(arguments), "echo never\n", std::move(files));
  ASSERT_TRUE(r.finished) << err;
  EXPECT_EQ(1, r.exitCode) << err;
  EXPECT_EQ("", r.out) << err;
  EXPECT_EQ(err, r.err);
}

TEST(TimeEdgesE2eTest, AtAndSpeedTakeWholeScriptMomentsAndFactorsOnly) {
  for (const char* bad : {"0", "00", "1:2:3:4:5", "00.00", "0.8", "12.0", "2026-00-12",
                          "2026-08-00", "12.8.2026 10:00 x", "10:00:", "2026-08-12T", "  ",
                          " 17:34", "123", "2026-08-12 10:00:00:00", "17:34:30.2.5", "12.08.202"}) {
    expectRefused({"-sim", "-atutc", bad}, std::string("-atutc ") + bad + ": not a date or time\n");
  }
  const struct {
    std::vector<std::string> arguments;
    std::string err;
  } cases[] = {
      {{"-sim", "-at", "25:00"}, "-at 25:00: not a date or time\n"},
      {{"-sim", "-at", "tomorrow"}, "-at tomorrow: not a date or time\n"},
      {{"-sim", "-atutc", "2026-02-30"}, "-atutc 2026-02-30: not a date or time\n"},
      {{"-speed", "10", "-list"},
       "-speed works with the simulated cameras only (-sim); real cameras run in real time\n"},
      {{"-sim", "-speed", "1001"}, "-speed 1001: the factor goes from 1 to 1000\n"},
      {{"-sim", "-speed", "0.5x"}, "-speed 0.5x: the factor goes from 1 to 1000\n"},
  };
  for (const auto& c : cases) expectRefused(c.arguments, c.err);
  // The forms scripts write pass: the log's script clock line shows the moment taken.
  for (const auto& good : std::vector<std::pair<std::string, std::string>>{
           {"2026-08-12 17:34:30", "08/12/26 17:34:30"},
           {"12.08.2026t17:34", "08/12/26 17:34:00"},
           {"26-8-12", "08/12/26 00:00:00"},
           {"12.08", "08/12/"}}) {
    RunResult r = runIn("UTC", {"-sim", "-atutc", good.first, "-log"}, "echo ok\n");
    EXPECT_EQ(0, r.exitCode) << good.first << r.err;
    EXPECT_NE(npos, r.log.find("Script clock: starts at " + good.second)) << r.log;
  }
}

TEST(TimeEdgesE2eTest, WorldFileIsAReadableRegularFileOfBoundedSizeAndKnownKeys) {
  expectRefused({"-sim", "."}, "World file '.' is not a regular file\n");
  expectRefused({"-sim", "/dev/zero"}, "World file '/dev/zero' is not a regular file\n");
  const std::string fifo = "/tmp/quorvale_e2e_world_fifo_" + std::to_string(getpid());
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  expectRefused({"-sim", fifo}, "World file '" + fifo + "' is not a regular file\n");
  unlink(fifo.c_str());
  expectRefused({"-sim", "big.ini"}, "World file 'big.ini' too large: more than 1048576 bytes\n",
                {{"big.ini", "[world]\n" + std::string(1 << 20, '#')}});
  expectRefused({"-sim", "missing.ini"},
                "World file 'missing.ini' not found: No such file or directory\n");
  expectRefused({"-sim", "w.ini"}, "World file 'w.ini' line 4: unknown key 'flash' in [camera]\n",
                {{"w.ini", "# rehearsal\n[camera ptp]\nbattery = 40\nflash = yes\n"}});
}

TEST(TimeEdgesE2eTest, WorldFileNumbersAreDecimalAndTimesPass32Bits) {
  // 010 is shot 10, not 8: eight shots all go.
  RunResult r = runIn("UTC", {"-sim", "w.ini", "-speed", "50"},
                      "shot\nshot\nshot\nshot\nshot\nshot\nshot\nshot\n",
                      {{"w.ini", "[camera ptp]\nbusy_on_shot = 010\n"}});
  EXPECT_NE(npos, r.out.find("Shot #8: ok\n")) << r.out;
  EXPECT_EQ("", r.err);

  // A body that comes back after 49.7 days is not back two seconds later.
  r = runIn("UTC", {"-sim", "w.ini", "-speed", "10"}, "shot\nwait sleep=2\nshot\n",
            {{"w.ini", "[camera ptp]\nshutdown_after_shot = 1\nback_after = 4294968\n"}});
  EXPECT_EQ(npos, r.out.find("Camera back")) << r.out;
  EXPECT_EQ(npos, r.out.find("Shot #2: ok")) << r.out;
}

// A time-only shutdown moment is on the script clock's date (UTC, or local with -at), as a whole
// local moment is: the body goes 30 seconds in.
TEST(TimeEdgesE2eTest, WorldFileTimeOnlyMomentsAreOnTheScriptClocksDate) {
  for (const auto& c : std::vector<std::vector<std::string>>{
           {"UTC", "-atutc", "2030-01-01 10:00:00", "shutdown_at_utc = 10:00:30\n"},
           {"Europe/Madrid", "-at", "2030-01-01 11:00:00", "shutdown_at = 11:00:30\n"},
           {"Europe/Madrid", "-at", "2030-01-01 11:00:00",
            "shutdown_at = 2030-01-01 11:00:30\n"}}) {
    const RunResult r = runIn(c[0], {"-sim", "w.ini", "-speed", "20", c[1], c[2]},
                              "shot\nwait sleep=60\nshot\n", {{"w.ini", "[camera ptp]\n" + c[3]}});
    EXPECT_NE(npos, r.out.find(kSession + "Shot #1: ok\nSleep: 60 seconds\n")) << r.out;
    EXPECT_EQ(npos, r.out.find("Shot #2: ok")) << r.out;
    EXPECT_NE(npos, r.err.find("Camera lost: Canon EOS 5D Mark IV (simulated)\n")) << r.err;
  }
}

TEST(TimeEdgesE2eTest, ASessionThatNeverOpensOrAnSdkThatWillNotStartIsNoSuccess) {
  const std::string world = "[camera ptp]\nsession_error = 0x2003\n";
  RunResult r = runIn("UTC", {"-sim", "w.ini", "-log"}, "echo never\nshot\n", {{"w.ini", world}});
  EXPECT_EQ(6, r.exitCode);
  EXPECT_EQ(kBanner, r.out);
  EXPECT_EQ("Camera session did not open: Session open error\n", r.err);
  EXPECT_NE(npos, r.log.find("Session not ready: 00002003 Session open error\n")) << r.log;
  // The check says so, and plans nothing.
  r = runIn("UTC", {"-check", "-sim", "w.ini"}, "echo never\nshot\n", {{"w.ini", world}});
  EXPECT_EQ(4, r.exitCode);
  EXPECT_EQ(npos, r.out.find("Card: ")) << r.out;
  EXPECT_NE(npos, r.out.find("Findings: 1\n  script: the camera's session does not open (Session "
                             "open error): a run ends at once with exit code 6\n"))
      << r.out;
  // Its info lists it without identity (the rest of the listing is the info printer's own).
  RunOptions info;
  info.arguments = {"-sim", "w.ini", "-camera", "0"};
  info.files = {{"w.ini", world}};
  r = runQuorvale(info);
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ(0u, r.out.find("\nCamera      : \nProtocol    : \nPort        : \nVolume      : 0\n"))
      << r.out;
  EXPECT_EQ("", r.err);

  // An SDK that will not start: one reason and one code in every mode.
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"-sim", "w.ini", "-list"},
           {"-sim", "w.ini", "-camera", "0"},
           {"-sim", "w.ini", "-script", "test.qvs"},
           {"-sim", "w.ini", "-com", "/dev/no_such_port", "-script", "test.qvs"},
           {"-check", "-sim", "w.ini", "-script", "test.qvs"}}) {
    RunOptions options;
    options.arguments = arguments;
    options.files = {{"w.ini", "[world]\ninitialize_error = 0x1\n"},
                     {"test.qvs", "#!quorvale\necho never\n"}};
    r = runQuorvale(options);
    EXPECT_EQ(1, r.exitCode) << arguments[2];
    EXPECT_EQ("Canon interface not ready: Not implemented\n", r.err) << arguments[2];
    EXPECT_EQ(npos, r.out.find("never")) << r.out;
  }
}

}  // namespace
}  // namespace e2e
