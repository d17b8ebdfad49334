// Scripts run by the program on the simulated cameras: the language end to end, the examples,
// and interruption at any moment.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

const std::string kSession = "Open session with Canon EOS 5D Mark IV (simulated)\n";
const std::string kCloseBanner = "T TRC: Close log file at DATE\n";

RunResult runScriptText(const std::string& script, std::vector<ConsoleStep> steps = {},
                        std::vector<std::string> extra = {}) {
  RunOptions options;
  options.arguments = {"-sim", "-script", "test.qvs"};
  options.arguments.insert(options.arguments.end(), extra.begin(), extra.end());
  options.files = {{"test.qvs", script}};
  options.steps = std::move(steps);
  options.timeoutMs = 30000;
  return runQuorvale(options);
}

// A file of the source tree, found from this file's own path.
std::string readSource(const std::string& relative) {
  std::string root = __FILE__;
  root = root.substr(0, root.rfind("tests/e2e/"));
  std::ifstream in(root + relative, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ScriptE2eTest, CameraCommandsOfTheWorkedExamples) {
  RunResult r = runScriptText(
      "notes before the header\n"
      "#!quorvale, then any text\n"
      "\n"
      "  // comment\n"
      "set Tv=1/100, Av=8 iso=200\n"
      "shot\n"
      "shot tv = \"1/8000\" ; av=2.8;iso=100\n"
      "lockUI  off\n"
      "set iso= x=1\n"
      "comflash ,x=1\n"
      "SHOT\r\n"
      "set tv=1/9999\n");
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ(std::string(kBanner) + kSession +
                "set Tv=1/100 -> 1/100\n"
                "set Av=8 -> 8\n"
                "set ISO=200 -> 200\n"
                "Shot #1: ok\n"
                "set Tv=1/8000 -> 1/8000\n"
                "set Av=2.8 -> 2.8\n"
                "set ISO=100 -> 100\n"
                "Shot #2: ok\n"
                "Camera unlocked\n"
                "Shot #3: ok\n"
                "Close session\n",
            r.out);
  EXPECT_EQ(
      "set ISO=x -> 100: Not supported\n"
      "\nSkip: =\n\nSkip: 1\n"
      "\nSkip: ,\n\nSkip: x\n\nSkip: =\n\nSkip: 1\n"
      "COM port not open\n"
      "set Tv=1/9999 -> 1/8000: Not supported\n",
      r.err);
}

TEST(ScriptE2eTest, TextCommandsAndTheEndOfText) {
  RunResult r = runScriptText("#!quorvale\necho   two\necho\necho 100% done\nfoo\nwait 5\necho Hi");
  EXPECT_EQ(0, r.exitCode);
  // The program adds a line feed to the file's text, so the last line ends as usual.
  EXPECT_EQ(std::string(kBanner) + kSession + "  two\n\n100% done\nHi\nClose session\n", r.out);
  EXPECT_EQ("\nSkip: f\n\nSkip: o\n\nSkip: o\n\nSkip: 5\n\n", r.err);
}

TEST(ScriptE2eTest, NulBytesDoNotCutTheScriptShort) {
  const char text[] = "#!quorvale\necho a\0b\necho after\n";
  RunResult r = runScriptText(std::string(text, sizeof(text) - 1));
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ(std::string(kBanner) + kSession + "ab\nafter\nClose session\n", r.out);
  EXPECT_EQ("\nSkip: \n", r.err);
}

TEST(ScriptE2eTest, PlayOfAMissingFileIsReportedAndTheScriptGoesOn) {
  RunResult r = runScriptText("#!quorvale\nplay no_such_sound.wav\nwait sleep=0.3\necho next\n");
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ(0u, r.err.find("Can't open 'no_such_sound.wav': ")) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("next\nClose session\n")) << r.out;
}

TEST(ScriptE2eTest, StopDuringAMomentWaitEndsInOrder) {
  RunResult r = runScriptText("#!quorvale\nlockui\nwait utc=2099-01-01\necho never\n",
                              {{"GMT\n", 100, 0}}, {"-log"});
  ASSERT_TRUE(r.finished) << r.out << r.err;
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ("\nCtrl+C\n\nProgram terminated!\nTermination excepltion\n", r.err);
  EXPECT_EQ("Close session\n", r.out.substr(r.out.size() - 14));
  EXPECT_EQ(std::string::npos, r.out.find("never"));
  const std::string log = normalizeLog(r.log);
  EXPECT_LT(log.find("T TRC: Lock camera\n"), log.find("T TRC: Unlock camera\n")) << log;
}

TEST(ScriptE2eTest, PortThatIsNoSerialLineEndsWithCodeThree) {
  RunResult r = runScriptText("#!quorvale\necho never\n", {}, {"-com", "/dev/null"});
  EXPECT_EQ(3, r.exitCode);
  EXPECT_EQ(std::string(kBanner), r.out);
  EXPECT_EQ("Can't open port /dev/null: Inappropriate ioctl for device\n", r.err);
}

TEST(ScriptE2eTest, DemoRunsInSeconds) {
  RunOptions options;
  options.arguments = {"-sim", "-script", "demo.qvs"};
  options.files = {{"demo.qvs", readSource("examples/demo.qvs")}};
  RunResult r = runQuorvale(options);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ("COM port not open\n", r.err);
  for (const char* line :
       {"set Tv=1/250 -> 1/250\n", "Shot #4: ok\n", "Camera locked\n", "Camera unlocked\n",
        "three seconds after the checkpoint\n", "Done.\nClose session\n"}) {
    EXPECT_NE(std::string::npos, r.out.find(line)) << line << r.out;
  }
}

// Interrupts a script that mixes settings, shots, locks, sleeps and waits at many different
// moments: every run must end in order, with the camera given back and the session closed.
TEST(ScriptE2eTest, InterruptAtAnyMomentEndsCleanly) {
  const std::string script =
      "#!quorvale\n"
      "set tv=1/250 av=8 iso=200\n"
      "lockui\n"
      "shot tv=1/500\n"
      "shot\n"
      "wait sleep=0.05\n"
      "set iso=400\n"
      "shot\n"
      "lockui\n"
      "wait point=0.3\n"
      "shot\n"
      "unlockui\n"
      "wait sleep=600\n";
  for (uint32_t trial = 0; trial < 50; ++trial) {
    uint32_t delay = (trial * 37) % 700;
    RunResult r = runScriptText(script, {{kSession, delay, trial % 7 == 6 ? 6u : 0u}}, {"-log"});
    ASSERT_TRUE(r.finished) << "trial " << trial << " delay " << delay << "\n" << r.out << r.err;
    EXPECT_EQ(0, r.exitCode) << "trial " << trial << "\n" << r.err;
    EXPECT_NE(std::string::npos, r.err.find("\nProgram terminated!\nTermination excepltion\n"))
        << "trial " << trial << "\n"
        << r.err;
    const std::string log = normalizeLog(r.log);
    size_t lastLock = log.rfind("T TRC: Lock camera\n");
    size_t lastUnlock = log.rfind("T TRC: Unlock camera\n");
    if (lastLock != std::string::npos) {
      EXPECT_NE(std::string::npos, lastUnlock) << "trial " << trial << "\n" << log;
      EXPECT_GT(lastUnlock, lastLock) << "trial " << trial << "\n" << log;
    }
    EXPECT_NE(std::string::npos, log.find("T MSG: Close session\n")) << "trial " << trial;
    ASSERT_GE(log.size(), kCloseBanner.size());
    EXPECT_EQ(log.size() - kCloseBanner.size(), log.rfind(kCloseBanner)) << "trial " << trial;
  }
}

}  // namespace
}  // namespace e2e
