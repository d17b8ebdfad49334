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

// The lines takePicture itself writes on the calling thread.
std::string shotLines(const std::string& traces) {
  return linesStartingWith(
      traces, {"takePicture", "AllocCameraBuffer", "Lock camera", "Unlock camera", "SendCommand"});
}

int sendsOf(SimCamera* body, const char* command) {
  int n = 0;
  for (const std::string& line : body->commandLog()) n += line.rfind(command, 0) == 0 ? 1 : 0;
  return n;
}

TEST_F(CanonCaptureTest, PtpShotCompletesThroughJobStatusEvents) {
  open(0);
  ASSERT_EQ(0u, camera_->setTv("1/8000"));
  traces();
  EXPECT_EQ(0u, camera_->takePicture());
  const std::string log = traces();
  EXPECT_EQ(
      "Lock camera\n"
      "AllocCameraBuffer successful = 1/5\n"
      "takePicture: Tv=0xa0 timeout=505 (55)\n"
      "takePicture: continue by completion event\n"
      "Unlock camera\n",
      shotLines(log));
  EXPECT_EQ(
      "OnStateJobStatusChanged: need transfer=1\n"
      "FreeCameraBuffer 0/5\n"
      "OnStateJobStatusChanged: need transfer=0\n"
      "onTakePictureCompletion: ok\n",
      linesStartingWith(log, {"OnState", "FreeCameraBuffer", "onTakePicture"}));
  EXPECT_EQ(0u, camera_->buffersInUse());
  EXPECT_EQ(1u, ptpBody_->picturesStored());
  EXPECT_FALSE(ptpBody_->uiLocked());
}

TEST_F(CanonCaptureTest, LegacyShotWaitsForPropertiesAndCompletesByNewFile) {
  open(1);
  ASSERT_EQ(0u, camera_->setTv("1/4000"));  // the write's event releases the property wait
  traces();
  EXPECT_EQ(0u, camera_->takePicture());
  const std::string log = traces();
  EXPECT_EQ(
      "Lock camera\n"
      "AllocCameraBuffer successful = 1/5\n"
      "takePicture: properties continue by update event\n"
      "takePicture: Tv=0x98 timeout=505 (55)\n"
      "takePicture: continue by completion event\n"
      "Unlock camera\n",
      shotLines(log));
  // The new file gives the buffer back before it completes the shot.
  EXPECT_EQ(
      "OnObjectDirItemCreated: ref=$REF\n"
      "FreeCameraBuffer 0/5\n"
      "onTakePictureCompletion: ok\n",
      linesStartingWith(log, {"OnObject", "FreeCameraBuffer", "onTakePicture"}));
  EXPECT_FALSE(camera_->volumesValid());
  EXPECT_EQ(1u, legacyBody_->picturesStored());
}

TEST_F(CanonCaptureTest, TimeoutArithmetic) {
  open(0);
  camera_->setTv("30\"");
  camera_->setTimeMultiplier(2.0);
  traces();
  camera_->takePicture();
  EXPECT_EQ("takePicture: Tv=0x10 timeout=66560 (66110)\n",
            linesStartingWith(traces(), {"takePicture: Tv"}));

  camera_->setTv("1");
  camera_->setTimeMultiplier(0.5);  // 1155 x 0.5 + 0.9 = 578.4
  traces();
  camera_->takePicture();
  EXPECT_EQ("takePicture: Tv=0x38 timeout=1028 (578)\n",
            linesStartingWith(traces(), {"takePicture: Tv"}));

  // A Tv that cannot be read counts as code 0, outside the exposure table; the read's code is
  // the result although the shutter was released.
  camera_->setTimeMultiplier(1.0);
  camera_->setShotTimeout(0);
  ptpBody_->failPropertyRead(kEdsPropID_Tv, 0x81);
  traces();
  EXPECT_EQ(0x81u, camera_->takePicture());
  EXPECT_EQ("takePicture: Tv=0x0 timeout=1000 (1000)\n",
            linesStartingWith(traces(), {"takePicture: Tv"}));
  EXPECT_EQ(3u, ptpBody_->picturesStored());
}

TEST_F(CanonCaptureTest, ExhaustedBuffersTimeOutAndTheShotIsTakenAnyway) {
  open(0);
  camera_->setTv("1/8000");
  camera_->setShotTimeout(0);
  camera_->setAllocBufferTimeout(20);
  ptpBody_->loseShotEvents(6, SimLostEvents::kAll);  // no buffer ever comes back
  for (int i = 0; i < 5; ++i) EXPECT_EQ(0u, camera_->takePicture());
  EXPECT_EQ(5u, camera_->buffersInUse());
  traces();
  ptpBody_->clearCommandLog();
  EXPECT_EQ(0u, camera_->takePicture());
  EXPECT_EQ(
      "Lock camera\n"
      "AllocCameraBuffer timeout = 5/5\n"
      "takePicture: Tv=0xa0 timeout=55 (55)\n"
      "takePicture: continue by timeout\n"
      "Unlock camera\n",
      shotLines(traces()));
  EXPECT_EQ(1, sendsOf(ptpBody_, "SendCommand 0"));
  EXPECT_EQ(5u, camera_->buffersInUse());
}

TEST_F(CanonCaptureTest, ABufferFreedDuringTheWaitIsTaken) {
  open(0);
  camera_->setBufferSize(1);
  ASSERT_TRUE(camera_->AllocCameraBuffer());
  traces();
  // Freed while the allocation waits, or just before it starts waiting (the pulse is then lost):
  // either way the next examination of the count takes it.
  std::thread freer([this] {
    platform::sleepMs(20);
    camera_->FreeCameraBuffer();
  });
  EXPECT_TRUE(camera_->AllocCameraBuffer());
  freer.join();
  EXPECT_EQ("FreeCameraBuffer 0/1\nAllocCameraBuffer successful = 1/1\n", traces());
  EXPECT_EQ(1u, camera_->buffersInUse());
}

TEST_F(CanonCaptureTest, ASmallerBufferSizeBlocksNewAllocationsUntilEnoughAreFreed) {
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
  EXPECT_EQ(
      "AllocCameraBuffer successful = 1/5\n"
      "AllocCameraBuffer successful = 2/5\n"
      "AllocCameraBuffer timeout = 2/1\n"
      "FreeCameraBuffer 1/1\n"
      "AllocCameraBuffer timeout = 1/1\n"
      "FreeCameraBuffer 0/1\n"
      "AllocCameraBuffer successful = 1/1\n",
      traces());
}

TEST_F(CanonCaptureTest, FreeingWithNoBufferTakenStaysAtZero) {
  open(0);
  camera_->FreeCameraBuffer();
  EXPECT_EQ("FreeCameraBuffer 0/5\n", traces());
  EXPECT_EQ(0u, camera_->buffersInUse());
}

TEST_F(CanonCaptureTest, ACompletionAfterATimedOutWaitIsConsumedByTheNextReset) {
  open(0);
  camera_->setTv("1/8000");
  camera_->setShotTimeout(0);
  ptpBody_->loseShotEvents(2, SimLostEvents::kCompletion);
  camera_->takePicture();
  EXPECT_EQ("takePicture: continue by timeout\n",
            linesStartingWith(traces(), {"takePicture: continue"}));
  // The late completion of the first shot arrives between the shots.
  ptpBody_->fireStateEvent(kEdsStateEvent_JobStatusChanged, 0);
  EXPECT_EQ("OnStateJobStatusChanged: need transfer=0\nonTakePictureCompletion: ok\n", traces());
  camera_->takePicture();
  EXPECT_EQ("takePicture: continue by timeout\n",
            linesStartingWith(traces(), {"takePicture: continue"}));
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
  EXPECT_EQ(0u, camera_->buffersInUse());
  EXPECT_EQ(0u, camera_->uiLockCount());
}

TEST_F(CanonCaptureTest, CaptureErrorCompletesTheShotAsFailedOnTheConsole) {
  camera_test::ConsoleCapture console;
  open(1);
  camera_->setTv("1/4000");
  legacyBody_->failNextShot(9);
  traces();
  EXPECT_EQ(0u, camera_->takePicture());
  const std::string log = traces(true);
  EXPECT_EQ(
      "TRC OnStateCaptureError: error=9\n"
      "ERR Capture error: Unknown error\n"
      "TRC onTakePictureCompletion: error\n"
      "TRC FreeCameraBuffer 0/5\n",
      linesStartingWith(log, {"TRC OnState", "ERR", "TRC onTake", "TRC FreeCamera"}));
  EXPECT_EQ("TRC takePicture: continue by completion event\n",
            linesStartingWith(log, {"TRC takePicture: continue"}));
  EXPECT_EQ("Capture error: Unknown error\n", console.err());
  EXPECT_EQ("", console.out());
  EXPECT_EQ(0u, legacyBody_->picturesStored());
}

TEST_F(CanonCaptureTest, ShutdownMidScriptLeavesAClosedCamera) {
  open(0);
  ptpBody_->shutDownAfterShots(1);
  camera_->setTv("1/8000");
  camera_->takePicture();  // its Tv read may already meet the powered-off body
  EXPECT_EQ("OnStateShutdown / remove camera\n", linesStartingWith(traces(), {"OnStateShutdown"}));
  EXPECT_EQ(kSessionNotOpen, camera_->sessionStatus());
  EXPECT_EQ(nullptr, camera_->cameraRef());
  EXPECT_EQ(1u, sdk_->getCameraCount());  // the owner re-read the list
  EXPECT_EQ(kSessionNotOpen, camera_->setTv("1/250"));
  EXPECT_EQ(EDS_ERR_INVALID_HANDLE, camera_->takePicture());
  EXPECT_EQ(0u, camera_->buffersInUse());
}

}  // namespace
