// Scripts run by the program on the simulated cameras, the demo, and interruption at any moment.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

const std::string kSession = "Open session with Canon EOS 5D Mark IV (simulated)\n";
const std::string kClosed = "Close session\n";
constexpr size_t npos = std::string::npos;

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

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), npos, end) == 0;
}

TEST(ScriptE2eTest, CameraCommandsOfTheWorkedExamples) {
  RunResult r = runScriptText(
      "notes before the header\n#!quorvale, then any text\n\n  // comment\n"
      "set Tv=1/100, Av=8 iso=200\nshot\nshot tv = \"1/8000\" ; av=2.8;iso=100\nlockUI  off\n"
      "set iso= x=1\ncomflash ,x=1\nSHOT\r\nset tv=1/9999\n");
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ(kBanner + kSession +
                "set Tv=1/100 -> 1/100\nset Av=8 -> 8\nset ISO=200 -> 200\nShot #1: ok\n"
                "set Tv=1/8000 -> 1/8000\nset Av=2.8 -> 2.8\nset ISO=100 -> 100\nShot #2: ok\n"
                "Camera unlocked\nShot #3: ok\n" +
                kClosed,
            r.out);
  EXPECT_EQ(
      "set ISO=x -> 100: Not supported\n\nSkip: =\n\nSkip: 1\n"
      "\nSkip: ,\n\nSkip: x\n\nSkip: =\n\nSkip: 1\nCOM port not open\n"
      "set Tv=1/9999 -> 1/8000: Not supported\n",
      r.err);
}

// The file's text may hold NUL bytes and lack its last line feed, which the program adds.
TEST(ScriptE2eTest, NulBytesAMissingSoundAndTheEndOfText) {
  const char text[] = "#!quorvale\nfoo\necho a\0b\nplay no_such_sound.wav\nwait sleep=0.3\necho Hi";
  RunResult r = runScriptText(std::string(text, sizeof(text) - 1));
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ(kBanner + kSession + "ab\nSleep: 0.3 seconds\nHi\n" + kClosed, r.out);
  EXPECT_EQ(0u, r.err.find("\nSkip: f\n\nSkip: o\n\nSkip: o\n\nSkip: \n"
                           "Can't open 'no_such_sound.wav': "))
      << r.err;
}

TEST(ScriptE2eTest, DemoRunsInSeconds) {
  // The source tree by its absolute path: __FILE__ is relative when the compiler cache rewrites
  // paths, and the tests run in the build tree.
  std::ifstream in(std::string(QUORVALE_SOURCE_DIR) + "/examples/demo.qvs");
  std::ostringstream demo;
  demo << in.rdbuf();
  RunResult r = runScriptText(demo.str());
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ("COM port not open\n", r.err);
  for (const char* line :
       {"set Tv=1/250 -> 1/250\n", "Shot #4: ok\n", "Camera locked\n", "Camera unlocked\n",
        "three seconds after the checkpoint\n", "Done.\nClose session\n"}) {
    EXPECT_NE(npos, r.out.find(line)) << line << r.out;
  }
}

// Interrupts (now and then shuts down) a script at many moments: each run ends in order.
TEST(ScriptE2eTest, InterruptAtAnyMomentEndsCleanly) {
  const std::string script =
      "#!quorvale\nset tv=1/250 av=8 iso=200\nlockui\nshot tv=1/500\nshot\nwait sleep=0.05\n"
      "set iso=400\nshot\nlockui\nwait point=0.3\nshot\nunlockui\nwait sleep=600\n";
  for (uint32_t trial = 0, interrupts = 0; interrupts < 50; ++trial) {
    const uint32_t delay = (trial * 37) % 700, event = trial % 8 == 7 ? 6 : 0;
    interrupts += event == 0;
    RunResult r = runScriptText(script, {{kSession, delay, event}}, {"-log"});
    const std::string log = normalizeLog(r.log);
    SCOPED_TRACE("trial " + std::to_string(trial) + " delay " + std::to_string(delay) + "\n" +
                 r.out + r.err + log);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(0, r.exitCode);
    EXPECT_NE(npos, r.err.find("\nProgram terminated!\nTermination excepltion\n"));
    const size_t lastLock = log.rfind("T TRC: Lock camera\n");
    const size_t lastUnlock = log.rfind("T TRC: Unlock camera\n");
    EXPECT_TRUE(lastLock == npos || (lastUnlock != npos && lastUnlock > lastLock));
    EXPECT_NE(npos, log.find("T MSG: Close session\n"));
    EXPECT_TRUE(endsWith(log, "T TRC: Close log file at DATE\n"));
  }
}

}  // namespace
}  // namespace e2e
