// The rules of the script language, driven through the generated scanner: the grammar's worked
// examples and the engine's edge cases. The camera here has no session, so every camera command
// reports its error and the matched values show in the messages.
#include <gtest/gtest.h>

#include <string>

#include "camera/canon_camera.h"
#include "camera/error_text.h"
#include "script/script_parser.h"
#include "script/script_test_support.h"

namespace {

using script_testing::FakeScriptClock;
using script_testing::OutputCapture;
using script_testing::runScript;

// 2025-06-15 12:00:00 UTC as a file time.
constexpr uint64_t kNow = 133944624000000000ULL;

class ScriptScannerTest : public testing::Test {
 protected:
  ScriptScannerTest() : camera_(nullptr, nullptr), stop_(true, false), clock_(kNow) {
    setSdkErrorTextSource(edsErrorText);
  }

  // Runs |text| on a fresh parser; returns everything printed, standard output and standard error
  // in their order, and stores how the scan ended in end_.
  std::string run(const std::string& text) {
    OutputCapture capture(true);
    CQuorvaleScriptParser parser(&camera_, nullptr, nullptr, &stop_, &clock_);
    end_ = runScript(&parser, text);
    lockCount_ = parser.lockCount();
    return capture.out();
  }

  // The same with the header line in front.
  std::string runBody(const std::string& body) { return run("#!quorvale\n" + body); }

  CCanonCamera camera_;
  platform::Event stop_;
  FakeScriptClock clock_;
  std::string end_;
  uint32_t lockCount_ = 0;
};

TEST_F(ScriptScannerTest, TextBeforeTheHeaderAndCommentsAreIgnored) {
  EXPECT_EQ("", run("some notes\n#!quorvale, then any text\n\n  // comment\n; semi\n# hash\n"
                    "#!quorvale again: a comment now\n\n\n"));
  EXPECT_EQ("end", end_);
  // Without a header line nothing runs at all.
  EXPECT_EQ("", run("echo hi\nfoo\n"));
  EXPECT_EQ("end", end_);
}

TEST_F(ScriptScannerTest, HeaderMustStartALine) {
  EXPECT_EQ("", run(" #!quorvale\necho hi\n"));
  EXPECT_EQ("hi\n", run("x\n#!QUORVALE\necho hi\n"));
}

TEST_F(ScriptScannerTest, HeaderWithoutCameraEndsWithValueOne) {
  OutputCapture capture(true);
  CQuorvaleScriptParser parser(nullptr, nullptr, nullptr, &stop_, &clock_);
  EXPECT_EQ("value 1", runScript(&parser, "#!quorvale\necho never\n"));
  EXPECT_EQ("Camera not found!\n", capture.out());
}

TEST_F(ScriptScannerTest, SetItemsWithSeparators) {
  EXPECT_EQ(
      "set Tv=1/100 -> : Session open error\n"
      "set Av=8 -> : Session open error\n"
      "set ISO=200 -> : Session open error\n",
      runBody("set Tv=1/100, Av=8 iso=200\n"));
  EXPECT_EQ(3u, lockCount_);
  // Blanks may follow the equals sign, so "x" becomes the value; "=1" is skipped byte by byte.
  EXPECT_EQ("set ISO=x -> : Not supported\n\nSkip: =\n\nSkip: 1\n", runBody("set iso= x=1\n"));
  // An item without a value before the line feed is skipped; a set line without items is silent.
  EXPECT_EQ("\nSkip: i\n\nSkip: s\n\nSkip: o\n\nSkip: =\n", runBody("set iso=\nset\nLET  \n"));
}

TEST_F(ScriptScannerTest, EveryItemKeyReachesItsSetting) {
  EXPECT_EQ(
      "set ImageQuality=RAW -> : Session open error\n"
      "set AEMode=Av -> : Session open error\n"
      "set DriveMode=x -> : Not supported\n"
      "set MeteringMode=y -> : Not supported\n"
      "set ShotTimeout=700 ms -> 700 ms\n"
      "set TimeMultiplier=2x -> 2x\n"
      "set AllocBufferTimeout=9 ms -> 9 ms\n"
      "set BufferSize=3 -> 3\n"
      "set ShotComTime=100 ms -> 100 ms\n",
      runBody("let FORMAT=RAW;ae=Av drivemode=x metering=y processtime=700 shotmul=\"2\" "
              "alloctimeout=9 camerabufsize=3 comflashtime=100\n"));
  EXPECT_EQ(700u, camera_.getShotTimeout());
  EXPECT_DOUBLE_EQ(2.0, camera_.getTimeMultiplier());
  EXPECT_EQ(9u, camera_.getAllocBufferTimeout());
  EXPECT_EQ(3u, camera_.getBufferSize());
}

TEST_F(ScriptScannerTest, FlashLinesHaveNoSeparatorRule) {
  EXPECT_EQ("set ShotComTime=300 ms -> 300 ms\nCOM port not open\n",
            runBody("comflash comflashtime=300\n"));
  EXPECT_EQ("\nSkip: ,\n\nSkip: x\n\nSkip: =\n\nSkip: 1\nCOM port not open\n",
            runBody("comflash ,x=1\n"));
  EXPECT_EQ("COM port not open\nCOM port not open\n", runBody("shotcom\nFlashCom \n"));
}

TEST_F(ScriptScannerTest, LockAndUnlockForms) {
  EXPECT_EQ("Camera locked\nCamera locked\nCamera locked\n",
            runBody("lockui\nlockUI on\nLOCKUI  true \n"));
  EXPECT_EQ(3u, lockCount_);
  EXPECT_EQ("Camera locked\nCamera unlocked\nCamera locked\nCamera unlocked\n",
            runBody("lockui\nlockUI  off\nlockui\nunlockui\n"));
  EXPECT_EQ(0u, lockCount_);
  // "lockui" with blanks is recognised only with true, on, off or false.
  std::string expected;
  for (char c : std::string("lockui yes")) expected += std::string("\nSkip: ") + c + "\n";
  EXPECT_EQ(expected, runBody("lockui yes\n"));
}

TEST_F(ScriptScannerTest, UnknownWordsAreSkippedByteByByte) {
  EXPECT_EQ("\nSkip: f\n\nSkip: o\n\nSkip: o\n", runBody("foo\n"));
  EXPECT_EQ("\nSkip: s\n\nSkip: h\n\nSkip: o\n\nSkip: t\n\nSkip: x\n", runBody("shotx\n"));
}

TEST_F(ScriptScannerTest, EchoForms) {
  EXPECT_EQ("  two\n", runBody("echo   two\n"));
  EXPECT_EQ("\n\n", runBody("echo\n ECHO \t\n"));
  EXPECT_EQ("100% %s %d\n", runBody("echo 100% %s %d\n"));
}

TEST_F(ScriptScannerTest, WaitForms) {
  EXPECT_EQ("Sleep: 1.5 seconds\n", runBody("wait sleep=1.5\n"));
  EXPECT_EQ("Sleep: 90 seconds\n", runBody("wait sleep = \"1:30\"\n"));
  EXPECT_EQ("sleep 1500 ms\nsleep 90000 ms\n", clock_.journal());
  EXPECT_EQ("Wait for 12/31/24 23:59:59\nMoment in the past. Continue\n",
            runBody("wait local=\"31.12.2024 23:59:59.5\"\n"));
  EXPECT_EQ(
      "Wait for 12/31/24 23:59:00 GMT\nMoment in the past. Continue\n"
      "Wait for 12/31/24 23:59:00 GMT\nMoment in the past. Continue\n",
      runBody("wait utc=2024-12-31T23:59\nwait gmt=\"2024-12-31 23:59\"\n"));
  EXPECT_EQ("\nSkip: 5\n\n", runBody("wait 5\n"));
  EXPECT_EQ("\nSkip: utc=2024-12-31 23:59\n\n", runBody("wait utc=2024-12-31 23:59\n"));
  EXPECT_EQ("end", end_);
}

TEST_F(ScriptScannerTest, CheckpointWaitMeasuresFromTheHeader) {
  std::string out = runBody("wait point=1:30\n");
  EXPECT_EQ(0u, out.find("Wait checkpoint for "));
  EXPECT_EQ("Continue\n", out.substr(out.size() - 9));
  EXPECT_EQ("moment +90000 ms\n", clock_.journal());
}

TEST_F(ScriptScannerTest, ADayNumberAloneIsAValidMoment) {
  // Day 5 of this month at midnight: in the past on the 15th.
  std::string out = runBody("wait time=5\n");
  EXPECT_EQ("Moment in the past. Continue\n", out.substr(out.find('\n') + 1));
}

TEST_F(ScriptScannerTest, PlayLineWithoutFileDoesNothing) {
  EXPECT_EQ("", runBody("play\nplay  \n"));
}

TEST_F(ScriptScannerTest, LongEchoLineGrowsTheBufferAndPrintsWhole) {
  std::string line(40000, 'x');
  line[0] = 'a';
  line[39999] = 'z';
  EXPECT_EQ(line + "\n", runBody("echo " + line + "\n"));
}

TEST_F(ScriptScannerTest, LastLineWithoutLineFeed) {
  EXPECT_EQ("Hi", runBody("echo Hi"));
  EXPECT_EQ("end", end_);
  // An argument line cut off by the end of the text runs nothing at its line end.
  EXPECT_EQ("\nSkip: w\n\nSkip: a\n\nSkip: i\n\nSkip: t\n", runBody("wait"));
  EXPECT_EQ("\nSkip: s\n\nSkip: l\n\nSkip: e\n\nSkip: e\n\nSkip: p\n\nSkip: =\n\nSkip: 1\n",
            runBody("wait sleep=1"));
}

TEST_F(ScriptScannerTest, EmptyScript) {
  EXPECT_EQ("", run(""));
  EXPECT_EQ("end", end_);
}

TEST_F(ScriptScannerTest, NulBytesAreSkippedAndReported) {
  std::string body("echo a\0b\n\0echo c\n", 17);
  EXPECT_EQ("a\nSkip: \nb\n\nSkip: \nc\n", runBody(body));
  EXPECT_EQ("end", end_);
}

TEST_F(ScriptScannerTest, StopEndsTheScanMidLine) {
  clock_.onWait = [this] { stop_.set(); };
  EXPECT_EQ("Sleep: 2 seconds\n\nProgram terminated!\n", runBody("wait sleep=2\necho never\n"));
  EXPECT_EQ("value 0", end_);
}

TEST_F(ScriptScannerTest, StopAlreadySetEndsAtTheFirstCheck) {
  stop_.set();
  EXPECT_EQ("\nProgram terminated!\n", run("notes\n#!quorvale\necho never\n"));
  EXPECT_EQ("value 0", end_);
}

}  // namespace
