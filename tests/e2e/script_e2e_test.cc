// Scripts run by the program on the simulated cameras, the demo, and interruption at any moment.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

const std::string kClosed = "Close session\n";

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

// A sound file of |ms| milliseconds of silence: 8 kHz, mono, 16 bits.
std::string silentWave(uint32_t ms) {
  auto number = [](uint32_t value, int bytes) {
    std::string text;
    for (int i = 0; i < bytes; ++i) text += static_cast<char>((value >> (8 * i)) & 0xFF);
    return text;
  };
  const uint32_t dataSize = 16 * ms;
  return "RIFF" + number(36 + dataSize, 4) + "WAVEfmt " + number(16, 4) + number(1, 2) +
         number(1, 2) + number(8000, 4) + number(16000, 4) + number(2, 2) + number(16, 2) + "data" +
         number(dataSize, 4) + std::string(dataSize, '\0');
}

// A script file read in place: a NUL byte is the only byte out of place in its line, the last
// line feed may lack. A sound that cannot play says why: a missing file, or no sound output.
TEST(ScriptE2eTest, NulBytesSoundsThatCannotPlayAndTheEndOfText) {
  const char text[] =
      "no\0tes\n#!quorvale\0\n// com\0ment\nfoo\necho a\0b\nplay no_such_sound.wav\n"
      "wait sleep=0.\0003\nplay beep.wav\nwait sleep=0.3\necho Hi";
  RunOptions options;
  options.arguments = {"-sim", "-script", "test.qvs"};
  options.files = {{"test.qvs", std::string(text, sizeof(text) - 1)},
                   {"beep.wav", silentWave(100)},
                   {"alsa.conf", "pcm.!default { type hw card 31 device 31 }\n"}};
  options.environment = {{"ALSA_CONFIG_PATH", "alsa.conf"}};
  RunResult r = runQuorvale(options);
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ(kBanner + kSession + "ab\nSleep: 0.3 seconds\nSleep: 0.3 seconds\nHi\n" + kClosed,
            r.out);
  EXPECT_EQ(
      "\nSkip: f\n\nSkip: o\n\nSkip: o\n"
      "Can't open 'no_such_sound.wav': System error : No such file or directory.\n"
      "Can't open 'beep.wav': Sound output could not be opened: No such file or directory\n",
      r.err);
}

// A 64 MB script (one line of it) is scanned in place: it runs, and is checked, within 120 MB of
// data; memory refused later (a command's copy of the line) ends the script or the check in order.
TEST(ScriptE2eTest, LargeScriptRunsInLittleMoreThanItsSize) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "a sanitizer's own memory does not fit a data limit";
#endif
  const std::string big(64 << 20, 'x');
  RunOptions options;
  options.arguments = {"-sim", "-script", "test.qvs", "-log"};
  options.dataLimitBytes = 120 << 20;
  options.files = {{"test.qvs", "#!quorvale\necho start\n// " + big + "\necho end\n"}};
  RunResult r = runQuorvale(options);
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ(kBanner + kSession + "start\nend\n" + kClosed, r.out);

  options.files = {{"test.qvs", "#!quorvale\necho start\nplay " + big + "\necho never\n"}};
  r = runQuorvale(options);
  EXPECT_EQ(2, r.exitCode);
  EXPECT_EQ(kBanner + kSession + "start\n" + kClosed, r.out);
  EXPECT_EQ("Not enough memory to run the script\n", r.err);
  EXPECT_TRUE(
      endsWith(normalizeLog(r.log), "T MSG: Close session\nT TRC: Close log file at DATE\n"))
      << r.log;

  // The check reads the text in place too, and ends in order when memory is refused.
  options.arguments = {"-check", "-sim", "-script", "test.qvs"};
  options.files = {{"test.qvs", "#!quorvale\necho start\n// " + big + "\necho end\n"}};
  r = runQuorvale(options);
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_NE(npos, r.out.find("\n    4  start +0.000 s")) << r.out.substr(0, 1000);
  EXPECT_NE(npos, r.out.find("\nFindings: none\n")) << r.out.substr(0, 1000);
  options.files = {{"test.qvs", "#!quorvale\necho start\nplay " + big + "\necho never\n"}};
  r = runQuorvale(options);
  EXPECT_EQ(2, r.exitCode);
  EXPECT_EQ(kBanner, r.out);
  EXPECT_EQ("Not enough memory to check the script\n", r.err);
}

TEST(ScriptE2eTest, DemoRunsInSeconds) {
  RunResult r = runScriptText(exampleText("demo.qvs"));
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

// A script blocked in a console write (its reader stopped reading) holds the output lock: the
// first event cannot stop it in order, a second ends the program at once, the log's buffer written.
TEST(ScriptE2eTest, InterruptWithTheOutputBlocked) {
  RunOptions options;
  options.arguments = {"-sim", "-log", "-script", "test.qvs"};
  options.files = {{"test.qvs", "#!quorvale\necho " + std::string(300000, 'x') + "\n"}};
  options.outputUnread = true;
  ConsoleStep first;
  first.afterOutputBlocks = true;
  options.steps = {first, {"", 0, 6}};
  options.timeoutMs = 30000;
  RunResult r = runQuorvale(options);
  ASSERT_TRUE(r.finished) << r.failedStep << r.err;
  EXPECT_EQ(130, r.exitCode);
  EXPECT_EQ(npos, r.err.find("Shutdown system")) << r.err;
  EXPECT_NE(npos, normalizeLog(r.log).find("T MSG: " + kSession)) << r.log;
}

}  // namespace
}  // namespace e2e
