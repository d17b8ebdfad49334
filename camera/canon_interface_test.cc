#include "camera/canon_interface.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "camera/camera_test_support.h"
#include "camera/canon_camera.h"

namespace {

using camera_test::SimCameraTest;

class CanonInterfaceTest : public SimCameraTest {};

TEST_F(CanonInterfaceTest, IndicesBeyondTheListAreRefusedWithoutAskingTheSdk) {
  start();
  const size_t live = sim_->liveObjectCount();
  EdsDeviceInfo record;
  std::memset(&record, 0x55, sizeof(record));
  EXPECT_EQ(kNoSuchCamera, sdk_->getCameraInfo(2, &record));
  EXPECT_EQ(0, record.szPortName[0]);
  EXPECT_EQ(0u, record.deviceSubType);
  EXPECT_EQ(nullptr, sdk_->NewCamera(2));
  EXPECT_EQ(kNoSuchCamera, sdk_->lastError());
  EXPECT_EQ(nullptr, sdk_->NewCamera(static_cast<uint32_t>(-1)));  // "-camera -1"
  EXPECT_EQ("No cameras found!\nNo cameras found!\nNo cameras found!\n", traces());
  EXPECT_EQ(live, sim_->liveObjectCount());
  EXPECT_TRUE(ptpBody_->commandLog().empty() && legacyBody_->commandLog().empty());
}

TEST_F(CanonInterfaceTest, TheListFollowsCamerasAddedAndRemovedAtRunTime) {
  start();
  SimBodyConfig config = defaultLegacyBodyConfig();
  config.description = "Third body";
  sim_->addCamera(config);
  EXPECT_EQ("Camera added\n", traces());
  EXPECT_EQ(3u, sdk_->getCameraCount());
  EdsDeviceInfo record;
  EXPECT_EQ(0u, sdk_->getCameraInfo(2, &record));
  EXPECT_STREQ("Third body", record.szDeviceDescription);
  EXPECT_EQ(0u, CCanonInterface::CameraAddedCallback(nullptr));

  ptpBody_->shutDownNow();
  traces();
  EXPECT_EQ(0u, sdk_->OnCameraRemoved());
  EXPECT_EQ(2u, sdk_->getCameraCount());
  EXPECT_EQ(0u, sdk_->getCameraInfo(0, &record));
  EXPECT_STREQ("sim:1", record.szPortName);
}

// Here the system refuses the simulated backend its event thread (a low process limit).
TEST_F(CanonInterfaceTest, AnSdkThatDidNotInitialiseRefusesEverything) {
  sim_->refuseEventThread();
  sdk_ = std::make_unique<CCanonInterface>();
  EXPECT_EQ(EDS_ERR_INTERNAL_ERROR, sdk_->initStatus());
  EXPECT_EQ(EDS_ERR_INTERNAL_ERROR, sdk_->lastError());
  EXPECT_EQ("Interface status: 00000002 Internal error\n", traces());
  EXPECT_EQ(0u, sdk_->getCameraCount());
  EXPECT_EQ(0u, sdk_->OnCameraAdded());
  EXPECT_EQ(kSdkNotInitialised, sdk_->lastError());
  EXPECT_EQ(0u, sdk_->getCameraCount());
  EXPECT_EQ(nullptr, sdk_->NewCamera(0));
  EXPECT_EQ(kNoSuchCamera, sdk_->lastError());
  EXPECT_EQ("Camera added\nIF not ready!\nNo cameras found!\n", traces());
}

}  // namespace
