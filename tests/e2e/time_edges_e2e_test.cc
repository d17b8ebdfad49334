// Hostile and edge inputs of the time and rehearsal paths: local times in the hours that summer
// time repeats or skips, world-file moments, numbers and files that are not files, a session that
// never opens, and -at / -atutc values that are no moments.
#include <gtest/gtest.h>

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
  for (const std::string before : {"", "wait time=01:30:00\n", "wait time=\"2026-10-25 03:30\"\n"}) {
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
  // The run waits for the first 02:45 (a second away), and -at of the same instant gives the same
  // run as -atutc: the local start 02:44:59 is itself the first one.
  for (const auto& at : std::vector<std::vector<std::string>>{
           {"-atutc", "2026-10-25 00:44:59"}, {"-at", "2026-10-25 02:44:59"}}) {
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
  r = runIn("Europe/Madrid", {"-sim", "-speed", "100", "-atutc", "2026-03-29 01:29:59"},
            "wait time=02:30:00\n");
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(kBanner + kSession + "Wait for 03/29/26 02:30:00\nContinue\nClose session\n", r.out);
}

}  // namespace
}  // namespace e2e
