// The program frame seen from outside: command line, usage, exit codes, log file, script reading
// and console events.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

const std::string kOpenBanner = "T TRC: Open log file at DATE\n";
const std::string kCloseBanner = "T TRC: Close log file at DATE\n";

TEST(AppE2eTest, HelpAndBadArgumentsPrintUsageWithTheirExitCode) {
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    const char* unknownLine;
  } cases[] = {
      {{"-?", "-log"}, 0, ""},  // parsing stops before "-log": no log
      {{"-camera"}, 1, "Unknown command: -camera             \n\n"},
      {{"a-very-long-argument-beyond-twenty"},
       1,
       "Unknown command: a-very-long-argument-beyond-twenty\n\n"},
  };
  for (const auto& c : cases) {
    RunResult r = runQuorvale(c.arguments);
    ASSERT_TRUE(r.finished) << c.arguments[0];
    EXPECT_EQ(c.exitCode, r.exitCode) << c.arguments[0];
    EXPECT_EQ("", r.out) << c.arguments[0];
    EXPECT_EQ(std::string(kBanner) + c.unknownLine + kUsage, r.err) << c.arguments[0];
    EXPECT_EQ("", r.log) << c.arguments[0];
  }
}

TEST(AppE2eTest, LogOpensAtItsPositionAndASecondOneReopens) {
  RunResult r = runQuorvale({"-log", "-log", "-bogus"});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ(kOpenBanner + kCloseBanner + kOpenBanner + kCloseBanner, normalizeLog(r.log));
}

// Runs that end before any script line runs, each with its exit code and its one reason: a script
// after -info is read, no script on standard input, a device without terminal settings (it opens,
// then fails where a port's settings are read).
TEST(AppE2eTest, RunsThatEndBeforeTheScriptKeepTheirCodeAndReason) {
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    std::string out, err;
  } cases[] = {
      {{"-sim", "-info", "-script", "missing.qvs"},
       2,
       kBanner,
       "File 'missing.qvs' not found: No such file or directory\n"},
      {{"-sim", "-script", "-"}, 10, kBanner, "\nRead script from stdin\nScript data not found\n"},
      {{"-sim", "-com", "/dev/null", "-script", "test.qvs"},
       3,
       std::string(kBanner) + "Open port /dev/null\n",
       "GetCommState failure: Inappropriate ioctl for device\n"},
  };
  for (const auto& c : cases) {
    RunOptions options;
    options.arguments = c.arguments;
    options.files = {{"test.qvs", "#!quorvale\ncomflash\n"}};
    const RunResult r = runQuorvale(options);
    EXPECT_EQ(c.exitCode, r.exitCode) << c.err;
    EXPECT_EQ(c.out, r.out) << c.err;
    EXPECT_EQ(c.err, r.err);
  }
}

TEST(AppE2eTest, ScriptFromStandardInput) {
  RunOptions options;
  options.arguments = {"-sim", "-script", "-"};
  options.input = "#!quorvale\necho from stdin\n";
  const RunResult r = runQuorvale(options);
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_NE(npos, r.out.find("from stdin\n")) << r.out;
  EXPECT_EQ(0u, r.err.find("\nRead script from stdin\n")) << r.err;
}

// A run that is killed (a crash, a flat battery) keeps in its log every line it wrote: each line
// reaches the system when it is written, not when a buffer fills or the log closes.
TEST(AppE2eTest, AKilledRunKeepsEveryLineItWroteInTheLog) {
  RunOptions options;
  options.arguments = {"-sim", "-log", "-script", "test.qvs"};
  options.files = {{"test.qvs",
                    "#!quorvale\nset quality=RAW\nshot\nshot\necho before the wait\n"
                    "wait sleep=600\necho woke\n"}};
  // No line end: a Windows program's lines end with CR LF.
  options.steps = {{"Sleep: 600 seconds", 0, 0}};
  options.steps.front().kill = true;
  options.timeoutMs = 30000;
  RunResult r = runQuorvale(options);
  ASSERT_TRUE(r.finished) << "waited for: " << r.failedStep << "\n" << r.out << r.err;
  EXPECT_EQ(128 + 9, r.exitCode) << r.err;
  const std::string log = normalizeLog(r.log);
  EXPECT_EQ(0u, log.find(kOpenBanner)) << log;
  size_t at = 0;
  for (const std::string& line :
       {"T MSG: " + kSession, std::string("T MSG: set ImageQuality=RAW -> RAW\n"),
        std::string("T MSG: Shot #1: ok\n"), std::string("T MSG: Shot #2: ok\n"),
        std::string("T MSG: before the wait\n")}) {
    at = log.find(line, at);
    ASSERT_NE(npos, at) << line << "\n" << log;
  }
  EXPECT_EQ(npos, log.find("woke")) << log;
  EXPECT_EQ(npos, log.find(kCloseBanner)) << log;
}

// Outside a script an event ends the program as the system would: no notice, exit code 130.
TEST(AppE2eTest, AnEventWhileTheScriptIsReadEndsTheProgramWithoutNotice) {
  RunOptions options;
  options.arguments = {"-sim", "-log", "-script", "-"};
  options.input = "#!quorvale\n";
  options.inputStaysOpen = true;
  options.steps = {{"\nRead script from stdin\n", 0, 0}};
  RunResult r = runQuorvale(options);
  ASSERT_TRUE(r.finished) << r.failedStep;
  EXPECT_EQ(130, r.exitCode);
  EXPECT_EQ(kBanner, r.out);
  EXPECT_EQ("\nRead script from stdin\n", r.err);
  // The log's buffer was flushed (the notice read from the console may still have been on its way
  // to the log).
  EXPECT_EQ(0u, normalizeLog(r.log).find(kOpenBanner)) << r.log;
  EXPECT_EQ(npos, r.log.find("Ctrl+C")) << r.log;
}

// Started without standard output or error, the program must not give their descriptor to the
// log: console text would land there raw.
TEST(AppE2eTest, WithoutAStandardStreamTheLogHoldsOnlyItsOwnLines) {
  for (bool withoutOutput : {true, false}) {
    RunOptions options;
    options.arguments = {"-sim", "-log", "-script", "test.qvs"};
    options.files = {{"test.qvs", "#!quorvale\necho hello\n@\n"}};
    options.withoutOutput = withoutOutput;
    options.withoutError = !withoutOutput;
    RunResult r = runQuorvale(options);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(0, r.exitCode) << withoutOutput;
    const std::string log = normalizeLog(r.log);
    EXPECT_NE(npos, log.find("T MSG: hello\n")) << log;
    EXPECT_NE(npos, log.find("T WRN: Skip: @\n")) << log;
    for (size_t line = 0; line < log.size(); line = log.find('\n', line) + 1) {
      EXPECT_EQ(0, log.compare(line, 2, "T ")) << withoutOutput << " at " << line << "\n" << log;
    }
  }
}

}  // namespace
}  // namespace e2e
