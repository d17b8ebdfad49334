#include "output/output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "camera/camera_test_support.h"

namespace {

// Reads in text mode: the log is a text file, with the system's line ends.
std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Replaces the time-of-day prefixes and banner dates of a log text with fixed marks.
std::string normalizeLog(const std::string& log) {
  static const std::regex kPrefix("[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} ");
  static const std::regex kDate("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}");
  return std::regex_replace(std::regex_replace(log, kPrefix, "T "), kDate, "DATE");
}

// Routes the console streams and the log into temporary files for one test.
class OutputTest : public testing::Test {
 protected:
  void SetUp() override {
    logPath_ = testing::TempDir() + "output_test_" +
               testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
    remove(logPath_.c_str());
    setLogPathForTest(logPath_.c_str());
  }

  void TearDown() override {
    closeLogFile();
    setLogPathForTest(nullptr);
    remove(logPath_.c_str());
  }

  std::string out() { return console_.out(); }
  std::string err() { return console_.err(); }
  // Closes the log (so it reaches the disk) and returns its normalized text.
  std::string log() {
    closeLogFile();
    return normalizeLog(readFile(logPath_));
  }

  camera_test::ConsoleCapture console_;
  std::string logPath_;
};

// Each kind goes to its stream and tag; the log keeps an earlier run's text, drops one leading
// newline and ends every message; an empty text writes nothing; an SDK error may lack a text.
TEST_F(OutputTest, EachKindGoesToItsStreamAndTagAndTheLogEndsEveryMessage) {
  std::ofstream(logPath_) << "earlier run\n";
  openLogFile();
  EXPECT_TRUE(isLogFileOpen());
  for (uint32_t kind = 0; kind <= 7; ++kind) outputPrintf(kind, "kind %u\n", kind);
  outputText(Msg, "\n");
  outputText(Warn, "\nCtrl+C\n");
  outputText(Msg, "\n\nab");
  outputText(Msg, "two\nlines\n");
  outputText(Msg, "");
  outputText(Error, nullptr);
  const SdkErrorTextSource previous = sdkErrorTextSource();
  setSdkErrorTextSource(nullptr);
  printSdkError("Shot error", 0x81);
  setSdkErrorTextSource(previous);
  EXPECT_EQ("kind 0\n\n\n\nabtwo\nlines\n", out());
  EXPECT_EQ("kind 1\nkind 2\n\nCtrl+C\nShot error: Unknown error\n", err());
  EXPECT_EQ(
      "earlier run\n"
      "T TRC: Open log file at DATE\n"
      "T MSG: kind 0\n"
      "T WRN: kind 1\n"
      "T ERR: kind 2\n"
      "T DBG: kind 3\n"
      "T DBG: kind 4\n"
      "T TRC: kind 5\n"
      "T ???: kind 6\n"
      "T ???: kind 7\n"
      "T MSG: \n"
      "T WRN: Ctrl+C\n"
      "T MSG: \nab\n"
      "T MSG: two\nlines\n"
      "T ERR: Shot error: Unknown error\n"
      "T TRC: Close log file at DATE\n",
      log());
  EXPECT_FALSE(isLogFileOpen());
}

// A cut text keeps the line end of its format, so the next message starts on its own line.
TEST_F(OutputTest, FormattedTextIsCutAt1023BytesKeepingItsLineEnd) {
  const std::string longText(2000, 'x');
  printMsg("%s|", longText.c_str());
  printMsg("%s\n", longText.c_str());
  printMsg("%s", std::string(1023, 'y').c_str());
  EXPECT_EQ(std::string(1023, 'x') + std::string(1022, 'x') + "\n" + std::string(1023, 'y'), out());
}

TEST_F(OutputTest, LogThatCannotOpenIsReportedOnce) {
  setLogPathForTest("/nonexistent-quorvale-dir/quorvale.log");
  openLogFile();
  EXPECT_FALSE(isLogFileOpen());
  printTrace("lost\n");
  EXPECT_EQ(
      "Log file '/nonexistent-quorvale-dir/quorvale.log' not open: No such file or directory\n",
      err());
}

// Each writer's lines arrive whole and in its order, on the console and in the log alike.
TEST_F(OutputTest, ConcurrentWritersNeverInterleaveLines) {
  openLogFile();
  constexpr int kThreads = 4;
  constexpr int kLines = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) printMsg("writer %d line %03d of the test\n", t, i);
    });
  }
  for (std::thread& thread : threads) thread.join();
  const std::regex line("(T MSG: )?writer ([0-9]) line ([0-9]{3}) of the test");
  for (const std::string& text : {out(), log()}) {
    std::istringstream lines(text);
    int next[kThreads] = {};
    std::smatch match;
    for (std::string l; std::getline(lines, l);) {
      if (l.find("log file at") != std::string::npos) continue;
      ASSERT_TRUE(std::regex_match(l, match, line)) << l;
      EXPECT_EQ(next[std::stoi(match[2])]++, std::stoi(match[3])) << l;
    }
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(kLines, next[t]);
  }
}

}  // namespace
