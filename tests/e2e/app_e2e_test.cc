// The program frame seen from outside: command line, usage, exit codes, log file, script reading
// and console events.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

const std::string kOpenBanner = "T TRC: Open log file at DATE\n";
const std::string kCloseBanner = "T TRC: Close log file at DATE\n";

TEST(AppE2eTest, BadArgumentsAndMissingValuesPrintUsageAndExitWithOne) {
  for (const char* bad : {"-camera", "--script", "-com", "-s"}) {
    RunResult r = runQuorvale({bad});
    ASSERT_TRUE(r.finished) << bad;
    EXPECT_EQ(1, r.exitCode) << bad;
    EXPECT_EQ("", r.out) << bad;
    char line[64];
    snprintf(line, sizeof(line), "Unknown command: %-20s\n\n", bad);
    EXPECT_EQ(std::string(kBanner) + line + kUsage, r.err) << bad;
  }
  RunResult r = runQuorvale({"-info", "notAnOption", "-help"});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ(std::string(kBanner) + "Unknown command: notAnOption         \n\n" + kUsage, r.err);
  EXPECT_EQ("", r.log);
}

TEST(AppE2eTest, HelpInEveryFormExitsWithZero) {
  for (const char* help : {"-h", "-help", "--help", "-?", "/?", "?"}) {
    RunResult r = runQuorvale({help, "-log"});
    ASSERT_TRUE(r.finished) << help;
    EXPECT_EQ(0, r.exitCode) << help;
    EXPECT_EQ("", r.out) << help;
    EXPECT_EQ(std::string(kBanner) + kUsage, r.err) << help;
    EXPECT_EQ("", r.log) << help;  // parsing stopped before "-log"
  }
}

TEST(AppE2eTest, LogOpensAtItsPositionAndASecondOneReopens) {
  RunResult r = runQuorvale({"-log", "-log", "-bogus"});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ(kOpenBanner + kCloseBanner + kOpenBanner + kCloseBanner, normalizeLog(r.log));

  // Errors reach the log between the banners (the camera layer may trace in between too).
  RunOptions options;
  options.arguments = {"-sim", "-log", "-script", "short.qvs"};
  options.files = {{"short.qvs", "#!quorval\n"}};
  r = runQuorvale(options);
  EXPECT_EQ(2, r.exitCode);
  EXPECT_EQ(kBanner, r.out);
  EXPECT_EQ("File 'short.qvs' too small: 10 bytes only\n", r.err);
  const std::string log = normalizeLog(r.log);
  EXPECT_EQ(0u, log.find(kOpenBanner)) << log;
  EXPECT_NE(std::string::npos, log.find("\nT ERR: File 'short.qvs' too small: 10 bytes only\n"))
      << log;
  EXPECT_EQ(log.size() - kCloseBanner.size(), log.find(kCloseBanner)) << log;
}

TEST(AppE2eTest, LogBeforeListIsOpenedAndAfterListIsNotLookedAt) {
  RunResult before = runQuorvale({"-sim", "-log", "-list"});
  EXPECT_EQ(0, before.exitCode) << before.err;
  const std::string log = normalizeLog(before.log);
  EXPECT_EQ(0u, log.find(kOpenBanner)) << log;
  EXPECT_EQ(log.size() - kCloseBanner.size(), log.find(kCloseBanner)) << log;

  RunResult after = runQuorvale({"-sim", "-list", "-log"});
  EXPECT_EQ(0, after.exitCode) << after.err;
  EXPECT_EQ(before.out, after.out);
  EXPECT_EQ("", after.log);
}

TEST(AppE2eTest, PrecedenceDecidesTheMode) {
  // "-info" after "-script": the script is not even read.
  RunResult info = runQuorvale({"-sim", "-script", "missing.qvs", "-info"});
  EXPECT_EQ(std::string::npos, info.err.find("missing.qvs")) << info.err;
  EXPECT_EQ(std::string::npos, info.out.find("Quorvale v0.1.2")) << info.out;

  // "-script" after "-info" (and "-camera"): the script mode reads the file.
  for (auto args : {std::vector<std::string>{"-sim", "-info", "-script", "missing.qvs"},
                    std::vector<std::string>{"-sim", "-camera", "1", "-script", "missing.qvs"},
                    std::vector<std::string>{"-sim", "-script", "missing.qvs", "-camera", "1"}}) {
    RunResult r = runQuorvale(args);
    EXPECT_EQ(2, r.exitCode);
    EXPECT_EQ(kBanner, r.out);
    EXPECT_EQ("File 'missing.qvs' not found: No such file or directory\n", r.err);
  }

  // "-list" ends parsing: the bad argument after it is not looked at.
  RunResult list = runQuorvale({"-sim", "-list", "-bogus"});
  EXPECT_EQ(std::string::npos, list.err.find("Unknown command")) << list.err;
}

TEST(AppE2eTest, ScriptFileSizeLimits) {
  RunOptions options;
  options.arguments = {"-sim", "-script", "ten.qvs"};
  options.files = {{"ten.qvs", "#!quorval\n"}};
  RunResult r = runQuorvale(options);
  EXPECT_EQ(2, r.exitCode);
  EXPECT_EQ("File 'ten.qvs' too small: 10 bytes only\n", r.err);

  // Eleven bytes pass: the script thread runs (and the header line, without a line feed of its
  // own, gets the one appended by the reader).
  options.arguments = {"-sim", "-script", "eleven.qvs"};
  options.files = {{"eleven.qvs", "#!quorvale "}};
  r = runQuorvale(options);
  EXPECT_EQ(std::string::npos, r.err.find("too small")) << r.err;
  EXPECT_EQ(0, r.exitCode) << r.err;
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

TEST(AppE2eTest, EveryConsoleEventHasItsText) {
  const struct {
    uint32_t event;
    const char* text;
  } cases[] = {{1, "\nCtrl+Break\n"}, {2, "\nClose application\n"}, {6, "\nShutdown system\n"}};
  for (const auto& c : cases) {
    RunOptions options;
    options.arguments = {"-sim", "-script", "sleep.qvs"};
    options.files = {{"sleep.qvs", "#!quorvale\necho sleeping\nwait sleep=600\n"}};
    options.steps = {{"sleeping\n", 50, c.event}};
    RunResult r = runQuorvale(options);
    ASSERT_TRUE(r.finished) << c.text;
    EXPECT_EQ(0, r.exitCode) << c.text;
    EXPECT_EQ(0u, r.err.find(c.text)) << r.err;
  }
}

}  // namespace
}  // namespace e2e
