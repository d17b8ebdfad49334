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

std::string findings(const std::string& out) {
  const size_t at = out.find("Findings: ");
  return at == npos ? out : out.substr(at);
}

TEST(TimeEdgesE2eTest, RepeatedAutumnHourIsItsFirstOccurrenceWhateverCameBefore) {
  const std::string zone = "Europe/Madrid";
  // The check shows each wait's UTC moment: 02:45 is 00:45 UTC alone and after 01:30 or 03:30.
  for (const std::string before :
       {"", "wait time=01:30:00\n", "wait time=\"2026-10-25 03:30\"\n"}) {
    RunResult r = runIn(zone, {"-check", "-sim", "-atutc", "2026-10-24T23:00:00"},
                        before + "wait time=02:45:00\n");
    EXPECT_EQ(4, r.exitCode) << before;
    // After 03:30 the wait is for a moment gone by: the plan line stays at 03:30.
    if (before.find("03:30") == npos) {
      EXPECT_NE(npos, r.out.find("2026-10-25 02:45:00.000 (00:45:00.000 UTC)   wait "
                                 "time=02:45:00\n"))
          << r.out;
    }
    const uint32_t line = before.empty() ? 2 : 3;
    EXPECT_NE(npos, findings(r.out).find(
                        "  line " + std::to_string(line) +
                        ": local time 2026-10-25 02:45:00 comes twice (the clocks go back): the "
                        "wait is for the first, 2026-10-25 02:45:00.000 (00:45:00.000 UTC)\n"))
        << r.out;
  }
  // The run waits for the first 02:45 (a minute away), and -at of the same instant gives the same
  // run as -atutc: the local start 02:44 is itself the first one.
  for (const auto& at : std::vector<std::vector<std::string>>{{"-atutc", "2026-10-25 00:44:59"},
                                                              {"-at", "2026-10-25 02:44:59"}}) {
    std::vector<std::string> arguments = {"-sim", "-speed", "100"};
    arguments.insert(arguments.end(), at.begin(), at.end());
    RunResult r = runIn(zone, arguments, "wait time=01:30:00\nwait time=02:45:00\n");
    ASSERT_TRUE(r.finished) << at[0];
    EXPECT_EQ(0, r.exitCode) << r.err;
    EXPECT_EQ(kBanner + kSession +
                  "Wait for 10/25/26 01:30:00\nMoment in the past. Continue\n"
                  "Wait for 10/25/26 02:45:00\nContinue\nClose session\n",
              r.out)
        << at[0];
  }
}

TEST(TimeEdgesE2eTest, MissingSpringHourIsReadWithTheOffsetBeforeTheChange) {
  RunResult r = runIn("Europe/Madrid", {"-check", "-sim", "-atutc", "2026-03-29T00:00:00"},
                      "wait time=02:30:00\n");
  EXPECT_EQ(4, r.exitCode);
  EXPECT_NE(npos, r.out.find("2026-03-29 03:30:00.000 (01:30:00.000 UTC)   wait "
                             "time=02:30:00\n"))
      << r.out;
  EXPECT_NE(npos, findings(r.out).find(
                      "\n  line 2: local time 2026-03-29 02:30:00 does not exist (the clocks go "
                      "forward): the wait is for 2026-03-29 03:30:00.000 (01:30:00.000 UTC)\n"))
      << r.out;
  // The run prints the moment as written and waits until 01:30 UTC.
  r = runIn("Europe/Madrid", {"-sim", "-speed", "100", "-atutc", "2026-03-29 01:29:00"},
            "wait time=02:30:00\n");
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(kBanner + kSession + "Wait for 03/29/26 02:30:00\nContinue\nClose session\n", r.out);
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

TEST(TimeEdgesE2eTest, AtTakesWholeScriptMomentsOnly) {
  for (const char* bad : {"0", "00", "1:2:3:4:5", "00.00", "0.8", "12.0", "2026-00-12",
                          "2026-08-00", "12.8.2026 10:00 x", "10:00:", "2026-08-12T", "  ",
                          " 17:34", "123", "2026-08-12 10:00:00:00", "17:34:30.2.5", "12.08.202"}) {
    expectRefused({"-sim", "-atutc", bad}, std::string("-atutc ") + bad + ": not a date or time\n");
  }
  expectRefused({"-sim", "-at", "25:00"}, "-at 25:00: not a date or time\n");
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

TEST(TimeEdgesE2eTest, WorldFileIsARegularFileOfBoundedSize) {
  expectRefused({"-sim", "."}, "World file '.' is not a regular file\n");
  expectRefused({"-sim", "/dev/zero"}, "World file '/dev/zero' is not a regular file\n");
  const std::string fifo = "/tmp/quorvale_e2e_world_fifo_" + std::to_string(getpid());
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  expectRefused({"-sim", fifo}, "World file '" + fifo + "' is not a regular file\n");
  unlink(fifo.c_str());
  expectRefused({"-sim", "big.ini"}, "World file 'big.ini' too large: more than 1048576 bytes\n",
                {{"big.ini", "[world]\n" + std::string(1 << 20, '#')}});
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

// A time-only shutdown moment is on the script clock's date (UTC, or local with -at): the body
// goes 30 seconds in.
TEST(TimeEdgesE2eTest, WorldFileTimeOnlyMomentsAreOnTheScriptClocksDate) {
  for (const auto& c : std::vector<std::vector<std::string>>{
           {"UTC", "-atutc", "2030-01-01 10:00:00", "shutdown_at_utc = 10:00:30\n"},
           {"Europe/Madrid", "-at", "2030-01-01 11:00:00", "shutdown_at = 11:00:30\n"}}) {
    const RunResult r = runIn(c[0], {"-sim", "w.ini", "-speed", "20", c[1], c[2]},
                              "shot\nwait sleep=60\nshot\n", {{"w.ini", "[camera ptp]\n" + c[3]}});
    EXPECT_NE(npos, r.out.find(kSession + "Shot #1: ok\nSleep: 60 seconds\n")) << r.out;
    EXPECT_EQ(npos, r.out.find("Shot #2: ok")) << r.out;
    EXPECT_NE(npos, r.err.find("Camera lost: Canon EOS 5D Mark IV (simulated)\n")) << r.err;
  }
}

TEST(TimeEdgesE2eTest, ASessionThatNeverOpensOrAnSdkThatWillNotStartIsNoSuccess) {
  const std::string world = "[camera ptp]\nsession_error = 0x81\n";
  RunResult r = runIn("UTC", {"-sim", "w.ini"}, "echo never\nshot\n", {{"w.ini", world}});
  EXPECT_EQ(6, r.exitCode);
  EXPECT_EQ(kBanner, r.out);
  EXPECT_EQ("Camera session did not open: Device busy! Camera unstable!\n", r.err);
  // The check says so, and plans nothing.
  r = runIn("UTC", {"-check", "-sim", "w.ini"}, "echo never\nshot\n", {{"w.ini", world}});
  EXPECT_EQ(4, r.exitCode);
  EXPECT_EQ(npos, r.out.find("Card: ")) << r.out;
  EXPECT_NE(npos, r.out.find("Findings: 1\n  script: the camera's session does not open (Device "
                             "busy! Camera unstable!): a run ends at once with exit code 6\n"))
      << r.out;

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
