#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "camera/camera_test_support.h"
#include "camera/canon_camera.h"
#include "platform/clock.h"

namespace {

using camera_test::linesStartingWith;
using camera_test::SimCameraTest;

class CanonCaptureTest : public SimCameraTest {};

// PTP bodies complete a shot by job status events, legacy ones by the new file after a wait.
// That the completions go to their frames is checked end to end; here, which event ends the wait
// and gives back the buffer.
TEST_F(CanonCaptureTest, ShotsCompleteThroughTheBodysEvents) {
  const struct {
    uint32_t index;
    const char* tv;
    const char* waits;   // on the calling thread
    const char* events;  // on the body's
  } cases[] = {
      {0, "1/8000",
       "takePicture: Tv=0xa0 timeout=505 (55)\ntakePicture: continue by completion event\n",
       "OnStateJobStatusChanged: need transfer=1\nFreeCameraBuffer 0/5\n"
       "OnStateJobStatusChanged: need transfer=0\nonTakePictureCompletion: ok\n"},
      // The write's event releases the property wait; the new file gives the buffer back first.
      {1, "1/4000",
       "takePicture: properties continue by update event\ntakePicture: Tv=0x98 timeout=505 (55)\n"
       "takePicture: continue by completion event\n",
       "OnObjectDirItemCreated: ref=$REF\nFreeCameraBuffer 0/5\nonTakePictureCompletion: ok\n"},
  };
  for (const auto& c : cases) {
    open(c.index);
    ASSERT_EQ(0u, camera_->setTv(c.tv));
    traces();
    EXPECT_EQ(0u, camera_->takePicture());
    const std::string log = traces();
    EXPECT_EQ(c.waits, linesStartingWith(log, {"takePicture"}));
    EXPECT_EQ(c.events,
              linesStartingWith(log, {"OnState", "OnObject", "FreeCameraBuffer", "onTakePicture"}));
    EXPECT_EQ(1u, sim_->camera(c.index)->picturesStored());
    camera_.reset();
  }
}

TEST_F(CanonCaptureTest, TimeoutArithmetic) {
  const struct {
    const char* tv;
    double multiplier;
    uint32_t shotTimeout;
    EdsError tvReadFault;
    const char* line;
  } cases[] = {
      {"30\"", 2.0, 450, 0, "takePicture: Tv=0x10 timeout=66560 (66110)\n"},
      {"1", 0.5, 450, 0, "takePicture: Tv=0x38 timeout=1028 (578)\n"},  // 1155 x 0.5 + 0.9
      // An unreadable Tv counts as code 0, outside the exposure table; the shot is still ok.
      {"1", 1.0, 0, 0x81, "takePicture: Tv=0x0 timeout=1000 (1000)\n"},
  };
  open(0);
  for (const auto& c : cases) {
    camera_->setTv(c.tv);
    camera_->setTimeMultiplier(c.multiplier);
    camera_->setShotTimeout(c.shotTimeout);
    if (c.tvReadFault != 0) ptpBody_->failPropertyRead(kEdsPropID_Tv, c.tvReadFault);
    traces();
    EXPECT_EQ(0u, camera_->takePicture());
    EXPECT_EQ(c.line, linesStartingWith(traces(), {"takePicture: Tv"}));
  }
}

TEST_F(CanonCaptureTest, ExhaustedBuffersTimeOutAndTheShotIsTakenAnyway) {
  open(0);
  camera_->setTv("1/8000");
  camera_->setShotTimeout(0);
  camera_->setAllocBufferTimeout(20);
  ptpBody_->loseShotEvents(6, SimLostEvents::kAll);  // no buffer ever comes back
  for (int i = 0; i < 5; ++i) EXPECT_EQ(0u, camera_->takePicture());
  traces();
  ptpBody_->clearCommandLog();
  EXPECT_EQ(0u, camera_->takePicture());
  EXPECT_EQ("AllocCameraBuffer timeout = 5/5\ntakePicture: continue by timeout\n",
            linesStartingWith(traces(), {"AllocCameraBuffer", "takePicture: continue"}));
  EXPECT_EQ("SendCommand 0 -> 0x0\n", camera_test::callsOf(ptpBody_, {"SendCommand 0"}));
  EXPECT_EQ(5u, camera_->buffersInUse());
}

TEST_F(CanonCaptureTest, ASmallerBufferSizeBlocksAllocationsUntilEnoughAreFreedDuringTheWait) {
  open(0);
  ASSERT_TRUE(camera_->AllocCameraBuffer());
  ASSERT_TRUE(camera_->AllocCameraBuffer());
  camera_->setBufferSize(1);
  camera_->setAllocBufferTimeout(0);
  EXPECT_FALSE(camera_->AllocCameraBuffer());
  camera_->FreeCameraBuffer();
  EXPECT_FALSE(camera_->AllocCameraBuffer());
  camera_->FreeCameraBuffer();
  EXPECT_TRUE(camera_->AllocCameraBuffer());
  camera_->FreeCameraBuffer();
  camera_->FreeCameraBuffer();  // none taken: stays at zero
  EXPECT_EQ(0u, camera_->buffersInUse());

  camera_->setAllocBufferTimeout(kDefaultAllocBufferTimeoutMs);
  ASSERT_TRUE(camera_->AllocCameraBuffer());
  traces();
  // Freed while the allocation waits or just before (the pulse is then lost): either way taken.
  std::thread freer([this] {
    platform::sleepMs(20);
    camera_->FreeCameraBuffer();
  });
  EXPECT_TRUE(camera_->AllocCameraBuffer());
  freer.join();
  EXPECT_EQ("FreeCameraBuffer 0/1\nAllocCameraBuffer successful = 1/1\n", traces());
  EXPECT_EQ(1u, camera_->buffersInUse());
}

TEST_F(CanonCaptureTest, ARefusedCommandFreesTheBufferOnceAndReturnsItsCode) {
  open(0);
  ptpBody_->refuseTakePicture(EDS_ERR_DEVICE_BUSY);
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, camera_->takePicture());
  EXPECT_EQ(
      "Lock camera\n"
      "AllocCameraBuffer successful = 1/5\n"
      "SendCommand error: 00000081 Device busy! Camera unstable!\n"
      "takePicture error: 00000081 Device busy! Camera unstable!\n"
      "FreeCameraBuffer 0/5\n"
      "Unlock camera\n",
      traces());
  EXPECT_EQ(0u, camera_->uiLockCount());
}

// A capture error fails the shot, which gives back its one buffer (the PTP body's job status has
// done so before the error); another shot's buffer stays taken. The texts are checked end to end.
TEST_F(CanonCaptureTest, ACaptureErrorFailsTheShotWhichGivesBackOneBuffer) {
  camera_test::ConsoleCapture console;
  for (uint32_t index : {0u, 1u}) {
    open(index);
    SimCamera* body = sim_->camera(index);
    ASSERT_TRUE(camera_->AllocCameraBuffer());
    camera_->setTv("1/4000");
    body->failNextShot(9);
    EXPECT_EQ(captureErrorResult(9), camera_->takePicture()) << index;
    EXPECT_EQ(1u, camera_->buffersInUse()) << index;
    EXPECT_EQ(0u, body->picturesStored()) << index;
    camera_.reset();
  }
}

// The shutdown's close code must not become the result of the shot stored just before.
TEST_F(CanonCaptureTest, AShotStoredRightBeforeAShutdownIsOkAndLaterShotsFail) {
  open(0);
  ptpBody_->shutDownAfterShots(1);
  camera_->setTv("1/8000");
  EXPECT_EQ(0u, camera_->takePicture());
  EXPECT_EQ("OnStateShutdown / remove camera\n", linesStartingWith(traces(), {"OnStateShutdown"}));
  EXPECT_EQ(kSessionNotOpen, camera_->sessionStatus());
  EXPECT_EQ(nullptr, camera_->cameraRef());
  EXPECT_EQ(EDS_ERR_INVALID_HANDLE, camera_->takePicture());
  EXPECT_EQ(0u, camera_->buffersInUse());
}

}  // namespace
