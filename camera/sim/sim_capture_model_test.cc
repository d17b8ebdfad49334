#include "camera/sim/sim_capture_model.h"

#include <gtest/gtest.h>

#include <string>

#include "camera/sim/sim_test_support.h"

namespace {

using SimCaptureTest = SimTest;

const Lines kPtpShot = {"state 0x302 1", "state 0x302 0", "property 0x101 0x40a 0"};

TEST_F(SimCaptureTest, ModelStepsFollowExposureProcessingAndStorage) {
  sim_->useManualTime();
  EdsCameraRef camera = openNew(defaultPtpBodyConfig());
  EdsUInt32 oneSecond = 0x38;
  ASSERT_EQ(EDS_ERR_OK, EdsSetPropertyData(camera, kEdsPropID_Tv, 0, 4, &oneSecond));
  EXPECT_EQ(Lines({"property 0x101 0x406 0"}), events());
  ASSERT_EQ(EDS_ERR_OK, shoot(camera));
  EXPECT_EQ(Lines(), after(1000 + 149));  // exposure 1000, processing 150
  EXPECT_EQ(1u, body_->shotsInBuffer());
  EXPECT_EQ(Lines({"state 0x302 1"}), after(1));
  EXPECT_EQ(0u, body_->shotsInBuffer());
  EXPECT_EQ(Lines(), after(99));  // storage 100
  EXPECT_EQ(0u, body_->picturesStored());
  EXPECT_EQ(Lines({"state 0x302 0", "property 0x101 0x40a 0"}), after(1));
  EXPECT_EQ(1u, body_->picturesStored());
}

TEST_F(SimCaptureTest, AFullBufferAnswersBusy) {
  sim_->useManualTime();
  EdsCameraRef camera = openNew(defaultPtpBodyConfig());
  body_->setBufferLimit(2);
  EXPECT_EQ(EDS_ERR_OK, shoot(camera));
  EXPECT_EQ(EDS_ERR_OK, shoot(camera));
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, shoot(camera));
  EXPECT_EQ(2u, body_->shotsInBuffer());
  after(158);  // Tv 1/125: the first image leaves the buffer at 8 + 150
  EXPECT_EQ(EDS_ERR_OK, shoot(camera));
  after(10000);
  EXPECT_EQ(3u, body_->picturesStored());
}

TEST_F(SimCaptureTest, AFullCardGivesACaptureError) {
  SimBodyConfig config = defaultPtpBodyConfig();
  config.volumes = {config.volumes[0]};
  config.volumes[0].freeSpace = 8000000;  // room for one JPEG
  EdsCameraRef camera = openNew(config);
  EXPECT_EQ(kPtpShot, shotEvents(camera));
  EXPECT_EQ(0u, property(camera, kEdsPropID_AvailableShots));
  EXPECT_EQ(Lines({"state 0x302 1", "state 0x305 7"}), shotEvents(camera));
  EXPECT_EQ(1u, body_->picturesStored());
  EXPECT_EQ(0u, body_->volumes()[0].freeSpace);
}

TEST_F(SimCaptureTest, ShutdownDuringAShotDropsTheShot) {
  sim_->useManualTime();
  EdsCameraRef camera = openNew(defaultLegacyBodyConfig());
  ASSERT_EQ(EDS_ERR_OK, shoot(camera));
  body_->shutDownNow();
  EXPECT_EQ(Lines({"state 0x301 0"}), after(10000));
  EXPECT_EQ(0u, body_->picturesStored());
}

}  // namespace
