#include "camera/sim/sim_capture_model.h"

#include <gtest/gtest.h>

#include <string>

#include "camera/sim/sim_test_support.h"

namespace {

TEST(SimCaptureModelTest, ExposureAndImageSizeFollowTheSettings) {
  std::string ms;
  for (uint32_t tv : {0x10, 0x14, 0x15, 0x38, 0x78, 0xA0, 0x0C, 0x00}) {
    ms += std::to_string(SimCaptureModel::exposureMs(tv)) + " ";
  }
  EXPECT_EQ("30000 20000 20000 1000 4 0 1000 1000 ", ms);  // bulb: one release; unknown: 1000
  std::string bytes;  // L, RAW and RAW+L in the PTP and the legacy form
  for (uint32_t quality :
       {0x00130F0F, 0x0013000F, 0x00640F0F, 0x0024000F, 0x00640013, 0x00240013}) {
    bytes += std::to_string(SimCaptureModel::imageBytes(quality, 8, 30)) + " ";
  }
  EXPECT_EQ("8 8 30 30 38 38 ", bytes);
}

using SimCaptureTest = SimTest;

const Lines kPtpShot = {"state 0x302 1", "state 0x302 0", "property 0x101 0x40a 0"};

TEST_F(SimCaptureTest, PtpShotHandsOnThenCompletesAndFillsTheCard) {
  EdsCameraRef camera = openNew(defaultPtpBodyConfig());
  EdsUInt32 shotsBefore = property(camera, kEdsPropID_AvailableShots);
  EdsUInt64 freeBefore = body_->volumes()[0].freeSpace;
  EXPECT_EQ(kPtpShot, shotEvents(camera));
  EXPECT_EQ(1u, body_->picturesStored());
  EXPECT_EQ(0u, body_->shotsInBuffer());
  EXPECT_EQ(freeBefore - 8000000, body_->volumes()[0].freeSpace);
  EXPECT_EQ(64000000000u, body_->volumes()[1].freeSpace);  // first writable card with room
  EXPECT_EQ(shotsBefore - 1, property(camera, kEdsPropID_AvailableShots));
}

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

TEST_F(SimCaptureTest, BulbExposesOneSecondAndReportsIt) {
  sim_->useManualTime();
  EdsCameraRef camera = openNew(defaultPtpBodyConfig());
  EdsUInt32 bulb = 0x0C;
  ASSERT_EQ(EDS_ERR_OK, EdsSetPropertyData(camera, kEdsPropID_Tv, 0, 4, &bulb));
  ASSERT_EQ(EDS_ERR_OK, shoot(camera));
  EXPECT_EQ(Lines({"property 0x101 0x406 0", "state 0x310 1"}), after(1000));
  EXPECT_EQ(kPtpShot, after(250));
}

TEST_F(SimCaptureTest, FullBufferOrARefusalAnswersBusy) {
  sim_->useManualTime();
  EdsCameraRef camera = openNew(defaultPtpBodyConfig());
  body_->setBufferLimit(2);
  EXPECT_EQ(EDS_ERR_OK, shoot(camera));
  EXPECT_EQ(EDS_ERR_OK, shoot(camera));
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, shoot(camera));
  EXPECT_EQ(2u, body_->shotsInBuffer());
  // Tv 1/125: 8 ms exposure each, back to back; the first image leaves at 8 + 150.
  EXPECT_EQ(Lines({"state 0x302 1"}), after(158));
  EXPECT_EQ(EDS_ERR_OK, shoot(camera));
  after(10000);
  EXPECT_EQ(3u, body_->picturesStored());

  body_->refuseTakePicture(EDS_ERR_DEVICE_BUSY);
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, shoot(camera));
  EXPECT_EQ(Lines(), after(10000));
  EXPECT_EQ(3u, body_->picturesStored());
  EXPECT_EQ(0u, body_->shotsInBuffer());
}

TEST_F(SimCaptureTest, FullCardAndInjectedErrorsGiveCaptureErrors) {
  SimBodyConfig config = defaultPtpBodyConfig();
  config.volumes = {config.volumes[0]};
  config.volumes[0].freeSpace = 8000000;  // room for one JPEG
  EdsCameraRef camera = openNew(config);
  body_->failNextShot(9);
  EXPECT_EQ(Lines({"state 0x302 1", "state 0x305 9"}), shotEvents(camera));
  EXPECT_EQ(kPtpShot, shotEvents(camera));
  EXPECT_EQ(0u, property(camera, kEdsPropID_AvailableShots));
  EXPECT_EQ(Lines({"state 0x302 1", "state 0x305 7"}), shotEvents(camera));
  EXPECT_EQ(1u, body_->picturesStored());
  EXPECT_EQ(0u, body_->volumes()[0].freeSpace);
}

// Lost events for a number of shots; the camera's tests lose the PTP completion.
TEST_F(SimCaptureTest, LostEventsLeaveTheImageStored) {
  EdsCameraRef ptp = openNew(defaultPtpBodyConfig());
  body_->loseShotEvents(1, SimLostEvents::kAll);
  EXPECT_EQ(Lines(), shotEvents(ptp));
  EXPECT_EQ(kPtpShot, shotEvents(ptp));
  EXPECT_EQ(2u, body_->picturesStored());
  EdsRelease(ptp);

  EdsCameraRef legacy = openNew(defaultLegacyBodyConfig());
  body_->loseShotEvents(1, SimLostEvents::kCompletion);
  EXPECT_EQ(Lines({"property 0x101 0x40a 0"}), shotEvents(legacy));
  EXPECT_EQ(1u, body_->picturesStored());
  EXPECT_EQ(1u, sim_->liveObjectCount());
}

TEST_F(SimCaptureTest, LegacyShotEventsDelayedArriveLate) {
  sim_->useManualTime();
  EdsCameraRef camera = openNew(defaultLegacyBodyConfig());
  body_->delayEvents(5000);
  ASSERT_EQ(EDS_ERR_OK, shoot(camera));
  EXPECT_EQ(Lines(), after(17 + 300 + 200));  // Tv 1/60, processing, storage
  EXPECT_EQ(1u, body_->picturesStored());
  EXPECT_EQ(Lines({"object 0x204", "property 0x101 0x40a 0"}), after(5000));
  EXPECT_EQ(1u, sim_->liveObjectCount());  // the handler released the new item
}

TEST_F(SimCaptureTest, ShutdownAfterShotsEndsTheSessionAndLeavesTheList) {
  EdsCameraRef camera = openNew(defaultPtpBodyConfig());
  body_->shutDownAfterShots(2);
  EXPECT_EQ(kPtpShot, shotEvents(camera));
  EXPECT_TRUE(body_->poweredOn());
  EXPECT_EQ(Lines({"state 0x302 1", "state 0x302 0", "property 0x101 0x40a 0", "state 0x301 0"}),
            shotEvents(camera));
  EXPECT_FALSE(body_->poweredOn());
  EXPECT_FALSE(body_->sessionOpen());
  EXPECT_EQ(2u, body_->picturesStored());
  EXPECT_EQ(EDS_ERR_COMM_DISCONNECTED, shoot(camera));
  EXPECT_EQ(EDS_ERR_COMM_DISCONNECTED, EdsOpenSession(camera));
  EXPECT_EQ(0u, listedCameras());
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
