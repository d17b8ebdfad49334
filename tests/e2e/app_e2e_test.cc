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
      {{"-info", "notAnOption", "-help"}, 1, "Unknown command: notAnOption         \n\n"},
      {{"a-very-long-argument-beyond-twenty"}, 1,
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

TEST(AppE2eTest, ScriptAfterInfoReadsTheScript) {
  RunResult r = runQuorvale({"-sim", "-info", "-script", "missing.qvs"});
  EXPECT_EQ(2, r.exitCode);
  EXPECT_EQ(kBanner, r.out);
  EXPECT_EQ("File 'missing.qvs' not found: No such file or directory\n", r.err);
}

TEST(AppE2eTest, ScriptFromStandardInput) {
  RunOptions options;
  options.arguments = {"-sim", "-script", "-"};
  RunResult r = runQuorvale(options);  // no input at all
  EXPECT_EQ(10, r.exitCode);
  EXPECT_EQ(kBanner, r.out);
  EXPECT_EQ("\nRead script from stdin\nScript data not found\n", r.err);

  options.input = "#!quorvale\necho from stdin\n";
  r = runQuorvale(options);
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("from stdin\n")) << r.out;
  EXPECT_EQ(0u, r.err.find("\nRead script from stdin\n")) << r.err;
}

TEST(AppE2eTest, CtrlCStopsAScriptInOrderAndIsLogged) {
  RunOptions options;
  options.arguments = {"-sim", "-log", "-script", "sleep.qvs"};
  options.files = {{"sleep.qvs", "#!quorvale\necho sleeping\nwait sleep=600\necho woke\n"}};
  options.steps = {{"sleeping\n", 100, 0}};
  options.timeoutMs = 30000;
  RunResult r = runQuorvale(options);
  ASSERT_TRUE(r.finished) << "waited for: " << r.failedStep << "\n" << r.out << r.err;
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ(0u, r.err.find("\nCtrl+C\n")) << r.err;
  EXPECT_EQ(std::string::npos, r.out.find("woke")) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("Close session\n")) << r.out;
  const std::string log = normalizeLog(r.log);
  EXPECT_NE(std::string::npos, log.find("T WRN: Ctrl+C\n")) << log;
  EXPECT_EQ(log.size() - kCloseBanner.size(), log.rfind(kCloseBanner)) << log;
}

TEST(AppE2eTest, ASecondConsoleEventEndsTheProgramAtOnce) {
  RunOptions options;
  options.arguments = {"-sim", "-log", "-script", "sleep.qvs"};
  options.files = {{"sleep.qvs", "#!quorvale\necho sleeping\nwait sleep=600\n"}};
  // Two different signals back to back: the second arrives while the script is still stopping.
  options.steps = {{"sleeping\n", 50, 0}, {"", 0, 6}};
  RunResult r = runQuorvale(options);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(130, r.exitCode) << r.out << r.err;
  EXPECT_EQ(0u, r.err.find("\nCtrl+C\n")) << r.err;
  EXPECT_EQ(std::string::npos, r.err.find("Shutdown system")) << r.err;
  EXPECT_NE(std::string::npos, normalizeLog(r.log).find("T WRN: Ctrl+C\n"));  // flushed first
}

}  // namespace
}  // namespace e2e
