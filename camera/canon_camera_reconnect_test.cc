// A simulated body that shuts down and is switched on again while its camera object lives.
#include <gtest/gtest.h>

#include <string>

#include "camera/camera_test_support.h"
#include "camera/canon_camera.h"
#include "camera/canon_interface.h"

namespace {

using camera_test::ConsoleCapture;
using camera_test::SimCameraTest;

class CanonCameraReconnectTest : public SimCameraTest {};

TEST_F(CanonCameraReconnectTest, TheSameBodyComesBackWithTheUiLockAndWorksAgain) {
  CCanonCamera* camera = open(0);
  camera->Lock();
  ASSERT_TRUE(ptpBody_->uiLocked());
  ConsoleCapture console;  // "Camera lost" and "Camera back" are checked end to end
  // A shot whose events the body loses stays open, holding its buffer, when the body goes.
  ptpBody_->loseShotEvents(1, SimLostEvents::kAll);
  camera->setShotTimeout(0);
  EXPECT_EQ(0u, camera->setTv("1/4000"));
  camera->takePicture();
  EXPECT_EQ(1u, camera->buffersInUse());

  ptpBody_->shutDownNow();
  traces();
  EXPECT_TRUE(camera->isLost());
  EXPECT_EQ(kSessionNotOpen, camera->setTv("1/250"));
  EXPECT_NE(0u, camera->takePicture());
  // Another body of the same model on another port is not taken for it.
  SimBodyConfig other = defaultPtpBodyConfig();
  other.portName = "sim:7";
  SimCamera* stranger = sim_->addCamera(other);
  traces();
  EXPECT_TRUE(camera->isLost());
  EXPECT_FALSE(stranger->sessionOpen());

  ptpBody_->comeBackAfter(0);
  const std::string log = traces();
  EXPECT_FALSE(camera->isLost());
  EXPECT_TRUE(ptpBody_->sessionOpen());
  EXPECT_TRUE(ptpBody_->uiLocked());
  EXPECT_EQ(1u, camera->uiLockCount());
  EXPECT_EQ(0u, camera->buffersInUse());
  EXPECT_EQ(0u, camera->setTv("1/250"));
  camera->setShotTimeout(kDefaultShotTimeoutMs);
  EXPECT_EQ(0u, camera->takePicture());
  EXPECT_NE(std::string::npos, log.find("Camera added\nSession ready\n")) << log;

  camera->Unlock();
  EXPECT_FALSE(ptpBody_->uiLocked());
}

// The script's camera goes (its object deleted) while its body is away: a later return finds no
// camera to give it to.
TEST_F(CanonCameraReconnectTest, ABodyBackAfterItsCameraWasDeletedIsOnlyListed) {
  ConsoleCapture console;
  open(0);
  ptpBody_->shutDownNow();
  traces();
  camera_.reset();
  ptpBody_->comeBackAfter(0);
  EXPECT_NE(std::string::npos, traces().find("Camera added\n"));
  EXPECT_FALSE(ptpBody_->sessionOpen());
  EXPECT_EQ(2u, sdk_->getCameraCount());
}

}  // namespace
