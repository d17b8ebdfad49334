// The script thread's routine: the ways a run is set up, ends and is cleaned up.
#include "app/script_thread.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

#include "camera/camera_test_support.h"
#include "platform/error.h"
#include "platform/event.h"
#include "script/script_test_support.h"
#include "tests/fake_serial_line.h"

namespace {

using script_testing::OutputCapture;

const std::string kDescription = defaultPtpBodyConfig().description;

class ScriptThreadTest : public camera_test::SimCameraTest {
 protected:
  ScriptThreadTest() : stop_(true, false) {}

  void SetUp() override {
    SimCameraTest::SetUp();
    publish();
    options_.mode = RunMode::Script;
    options_.stopEvent = &stop_;
  }

  std::string run(const std::string& script) {
    options_.scriptText = script;
    OutputCapture capture;
    code_ = doScript(&options_);
    return capture.out();
  }

  platform::Event stop_;
  ProgramOptions options_;
  uint32_t code_ = 99;
};

// A missing script text is checked end to end.
TEST_F(ScriptThreadTest, WrongParametersAndMissingCamera) {
  OutputCapture capture;
  EXPECT_EQ(1u, doScript(nullptr));
  options_.scriptText = "#!quorvale\n";
  options_.cameraIndex = 3;  // beyond the connected ones
  EXPECT_EQ(5u, doScript(&options_));
  EXPECT_EQ("doScript: wrong params\nCamera not found!: Device not found\n", capture.out());
}

// A lock still held at the end is given back just before the session closes (after a stop too,
// which the end-to-end interruption test checks in the log).
TEST_F(ScriptThreadTest, ALockHeldAtTheEndIsGivenBackJustBeforeTheSessionCloses) {
  EXPECT_EQ("Open session with " + kDescription + "\nCamera locked\nhello\nClose session\n",
            run("#!quorvale\nlockui\necho hello\n"));
  EXPECT_EQ(0u, code_);
  const std::vector<std::string> log = ptpBody_->commandLog();
  EXPECT_EQ("SendStatusCommand 1 -> 0x0", log.at(log.size() - 2));
  EXPECT_EQ("CloseSession -> 0x0", log.back());
}

TEST_F(ScriptThreadTest, PortIsOpenedWithRtsOffAndClosedLastAndItsFailuresEndTheRun) {
  FakeSerialLine line;
  line.installOpener();
  options_.comPortNumber = 12345;
  EXPECT_EQ("Open port COM12345\nOpen session with " + kDescription +
                "\nset ShotComTime=100 ms -> 100 ms\nComFlash\nClose session\n",
            run("#!quorvale\ncomflash shotcomtime=100\n"));
  EXPECT_EQ("open " + platform::comPortDevicePath(12345) +
                "\nreadState\nsetRts(0)\nreadState\nsetRts(1)\nsetRts(0)\nclose\n",
            line.journal());
  const auto calls = line.calls();  // the pulse lasts the set time on the real clock
  EXPECT_GE(calls.at(5).at - calls.at(4).at, std::chrono::milliseconds(100));
  const size_t commands = ptpBody_->commandLog().size();
  line.failNext(FakeSerialLine::kOpen, ENOENT);
  options_.comPortNumber = 5;
  EXPECT_EQ("Can't open port COM5: " + platform::errorText(ENOENT) + "\n", run("#!quorvale\n"));
  EXPECT_EQ(3u, code_);
  EXPECT_EQ(commands, ptpBody_->commandLog().size());  // no camera was touched
  line.failNext(FakeSerialLine::kRtsOff, EIO);
  options_.comPortNumber = -1;
  options_.comPortPath = "/dev/ttyUSB0";
  EXPECT_EQ("Open port /dev/ttyUSB0\nGetCommState(RTS_CONTROL_DISABLE) failure: " +
                platform::errorText(EIO) + "\n",
            run("#!quorvale\n"));
  EXPECT_EQ(3u, code_);
}

}  // namespace
