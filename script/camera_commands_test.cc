// The set, shot, COM flash, lock and unlock commands on a simulated body that never waits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>

#include "camera/camera_test_support.h"
#include "camera/canon_camera.h"
#include "platform/error.h"
#include "script/script_parser.h"
#include "script/script_test_support.h"
#include "tests/fake_serial_line.h"

namespace {

using script_testing::OutputCapture;

// The script's camera is body 0 (PTP) unless a test opens the legacy body 1.
class CameraCommandsTest : public camera_test::SimCameraTest,
                           protected script_testing::ScriptRunner {
 protected:
  void SetUp() override {
    SimCameraTest::SetUp();
    useBody(0);
  }

  void useBody(uint32_t index) {
    body_ = sim_->camera(index);
    ASSERT_EQ(0u, open(index)->sessionStatus());  // a session is open
  }

  std::string run(const std::string& body, platform::SerialLine* port = nullptr,
                  ScriptClock* clock = nullptr) {
    return runText(camera_.get(), "#!quorvale\n" + body, port, clock);
  }

  SimCamera* body_ = nullptr;
  FakeSerialLine line_;
};

// Locks take one level each and so does each set item; the values held are reported.
TEST_F(CameraCommandsTest, LocksAndSetsLockTheBodyOnceEachAndReportTheValuesHeld) {
  EXPECT_EQ("Camera locked\nCamera locked\nCamera unlocked\nset Tv=1/250 -> 1/250\nset Av=8 -> 8\n",
            run("lockui\nlockui on\nunlockui\nset Tv=1/250 Av=8\n"));
  EXPECT_EQ(2u, lockCount_);  // one level per set item
  EXPECT_EQ(0x38u, body_->propertyValue(0x405));
  EXPECT_EQ("pause 100 ms\npause 100 ms\n", clock_.journal());  // settling after each write
  EXPECT_EQ(
      "SendStatusCommand 0 -> 0x0\nSendStatusCommand 1 -> 0x0\n"
      "SendStatusCommand 0 -> 0x0\nSendStatusCommand 1 -> 0x0\n",
      camera_test::callsOf(body_, {"SendStatusCommand"}));
  EXPECT_EQ(
      "set Tv=30\" -> 30\"\nset Tv=30\" -> 30\"\nset TimeMultiplier=1.5x -> 1.5x\n"
      "set ShotTimeout=2147483647 ms -> 2147483647 ms\nset AllocBufferTimeout=0 ms -> 0 ms\nnext\n",
      run("set tv=30\"\nset tv=\"30\"\"\nset mul=1.5\nset shottime=99999999999\nset buftimeout=0\n"
          "echo next\n"));
}

// A refused shot and one that a capture error ended are failed shots: not counted.
TEST_F(CameraCommandsTest, ShotsAreCountedAcrossFailedShotsAndShotItemsComeFirst) {
  int waits = 0;
  clock_.onWait = [&] {
    ++waits;
    body_->refuseTakePicture(waits == 1 ? 0x81 : 0);
    if (waits == 2) body_->failNextShot(7);
  };
  EXPECT_EQ(
      "Shot #1: ok\nSleep: 0 seconds\nShot error: Device busy! Camera unstable!\n"
      "Sleep: 0 seconds\nCapture error: Card error (including CARD-FULL/No.-FULL)\n"
      "Shot error: Card error (including CARD-FULL/No.-FULL)\n"
      "Sleep: 0 seconds\nset Tv=1/100 -> 1/100\nset ISO=400 -> 400\nShot #2: ok\n",
      run("shot\nwait sleep=0\nshot\nwait sleep=0\nshot\nwait sleep=0\nshot tv=1/100, iso=400\n"));
  EXPECT_EQ(2u, shots_);
  EXPECT_EQ(2u, lockCount_);  // the items' levels: a shot leaves the depth as it found it
  const std::string log = camera_test::callsOf(body_, {""});
  EXPECT_LT(log.rfind("SetPropertyData 0x402"), log.rfind("SendCommand 0 "));
  useBody(1);  // a legacy body shoots after its property change too
  body_->failNextShot(9);
  EXPECT_EQ(
      "set Tv=1/250 -> 1/250\nCapture error: Unknown error\nShot error: Unknown error\n"
      "set Tv=1/250 -> 1/250\nShot #1: ok\n",
      run("shot tv=1/250\nshot tv=1/250\n"));
}

TEST_F(CameraCommandsTest, FlashReleasesTheLockBeforeThePulseAndFailuresStopItAtTheirStep) {
  std::unique_ptr<platform::SerialLine> port = line_.newHandle();
  EXPECT_EQ("Camera locked\nset ShotComTime=100 ms -> 100 ms\nComFlash\n",
            run("lockui\nset shotcomtime=100\ncomflash\n", port.get()));
  EXPECT_FALSE(body_->uiLocked());
  EXPECT_EQ(0u, lockCount_);
  EXPECT_EQ("readState\nsetRts(1)\nsetRts(0)\n", line_.journal());
  EXPECT_EQ("sleep 100 ms\n", clock_.journal());
  line_.failNext(FakeSerialLine::kReadState, EIO);
  line_.failNext(FakeSerialLine::kRtsOn, EBUSY);
  line_.failNext(FakeSerialLine::kRtsOff, EPERM);
  EXPECT_EQ(
      "doComFlash: GetCommState failure: " + platform::errorText(EIO) +
          "\ndoComFlash: GetCommState (RTS_CONTROL_ENABLE) failure: " + platform::errorText(EBUSY) +
          "\ndoComFlash: GetCommState (RTS_CONTROL_DISABLE) failure: " +
          platform::errorText(EPERM) + "\nnext\n",
      run("comflash\ncomflash\ncomflash\necho next\n", port.get()));

  // A stop ends the pulse at once: the line is lowered, then the script ends in order.
  FakeSerialLine stopped;
  std::unique_ptr<platform::SerialLine> stoppedPort = stopped.newHandle();
  clock_.onWait = [this] { stop_.set(); };
  EXPECT_EQ("\nProgram terminated!\n", run("comflash\necho after\n", stoppedPort.get()));
  EXPECT_EQ("value 0", end_);
  EXPECT_EQ("readState\nsetRts(1)\nsetRts(0)\n", stopped.journal());
}

// The body goes mid-script and comes back at the next wait: the commands in between fail.
TEST_F(CameraCommandsTest, ABodyLostMidScriptFailsCommandsUntilItIsBack) {
  int waits = 0;
  clock_.onWait = [&] {
    if (waits++ == 0) {
      body_->shutDownNow();
    } else {
      body_->comeBackAfter(0);
    }
    sim_->waitIdle();
  };
  EXPECT_EQ(
      "Shot #1: ok\nSleep: 0 seconds\nCamera lost: Canon EOS 5D Mark IV (simulated)\n"
      "set Tv=1/250 -> : Session open error\nShot error: Handle error\n"
      "Sleep: 0 seconds\nCamera back: Canon EOS 5D Mark IV (simulated)\n"
      "set Tv=1/500 -> 1/500\nShot #2: ok\nend\n",
      run("shot\nwait sleep=0\nset tv=1/250\nshot\nwait sleep=0\nshot tv=1/500\necho end\n"));
  EXPECT_EQ("end", end_);
  EXPECT_EQ(2u, shots_);
}

// The shot is taken even though the stop arrived: the check follows it.
TEST_F(CameraCommandsTest, DirectShotAfterAStopIsTakenBeforeTheCheck) {
  OutputCapture capture;
  CQuorvaleScriptParser parser(camera_.get(), nullptr, nullptr, &stop_, &clock_);
  stop_.set();
  EXPECT_THROW(parser.doShot(), uint32_t);
  EXPECT_EQ("\nProgram terminated!\n", capture.out());
  const std::string shots = camera_test::callsOf(body_, {"SendCommand 0 "});
  EXPECT_EQ(1, std::count(shots.begin(), shots.end(), '\n'));
}

}  // namespace
