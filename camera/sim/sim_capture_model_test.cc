#include "camera/sim/sim_capture_model.h"

#include <gtest/gtest.h>

#include "camera/sim/sim_test_support.h"

namespace {

TEST(SimCaptureModelTest, ExposureFollowsTheTvCode) {
  EXPECT_EQ(30000u, SimCaptureModel::exposureMs(0x10));
  EXPECT_EQ(20000u, SimCaptureModel::exposureMs(0x14));
  EXPECT_EQ(20000u, SimCaptureModel::exposureMs(0x15));
  EXPECT_EQ(1000u, SimCaptureModel::exposureMs(0x38));
  EXPECT_EQ(4u, SimCaptureModel::exposureMs(0x78));
  EXPECT_EQ(0u, SimCaptureModel::exposureMs(0xA0));
  EXPECT_EQ(1000u, SimCaptureModel::exposureMs(0x0C));  // bulb: one release
  EXPECT_EQ(1000u, SimCaptureModel::exposureMs(0x00));  // unknown to the body
}

TEST(SimCaptureModelTest, ImageSizeFollowsTheQualityParts) {
  EXPECT_EQ(8u, SimCaptureModel::imageBytes(0x00130F0F, 8, 30));   // L, PTP
  EXPECT_EQ(8u, SimCaptureModel::imageBytes(0x0013000F, 8, 30));   // L, legacy
  EXPECT_EQ(30u, SimCaptureModel::imageBytes(0x00640F0F, 8, 30));  // RAW, PTP
  EXPECT_EQ(30u, SimCaptureModel::imageBytes(0x0024000F, 8, 30));  // RAW, legacy
  EXPECT_EQ(38u, SimCaptureModel::imageBytes(0x00640013, 8, 30));  // RAW+L
  EXPECT_EQ(38u, SimCaptureModel::imageBytes(0x00240013, 8, 30));  // RAW+L, legacy
}

using SimCaptureTest = SimTest;

TEST_F(SimCaptureTest, PtpShotHandsOnThenCompletesAndFillsTheCard) {
  SimCamera* body = sim_->addCamera(defaultPtpBodySpec());
  EdsCameraRef camera = openCamera(0);
  EdsUInt32 shotsBefore = property(camera, kEdsPropID_AvailableShots);
  EdsUInt64 freeBefore = body->volumes()[0].freeSpace;

  ASSERT_EQ(EDS_ERR_OK, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(Lines({"state 0x302 1", "state 0x302 0", "property 0x101 0x40a 0"}), events());
  EXPECT_EQ(1u, body->picturesStored());
  EXPECT_EQ(0u, body->shotsInBuffer());
  EXPECT_EQ(freeBefore - 8000000, body->volumes()[0].freeSpace);
  EXPECT_EQ(64000000000u, body->volumes()[1].freeSpace);  // first writable card with room
  EXPECT_EQ(shotsBefore - 1, property(camera, kEdsPropID_AvailableShots));
  EdsRelease(camera);
}

TEST_F(SimCaptureTest, LegacyShotSendsANewDirectoryItemThatTheHandlerReleases) {
  SimCamera* body = sim_->addCamera(defaultLegacyBodySpec());
  EdsCameraRef camera = openCamera(0);
  ASSERT_EQ(EDS_ERR_OK, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  ASSERT_EQ(EDS_ERR_OK, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(
      Lines({"object 0x204", "property 0x101 0x40a 0", "object 0x204", "property 0x101 0x40a 0"}),
      events());
  EXPECT_EQ(2u, body->picturesStored());
  EXPECT_EQ(1500000000u - 2 * 3500000u, body->volumes()[0].freeSpace);
  EXPECT_EQ(1u, sim_->liveObjectCount());  // only the camera: both items were released
  EdsRelease(camera);
}

TEST_F(SimCaptureTest, ModelStepsFollowExposureProcessingAndStorage) {
  SimCamera* body = sim_->addCamera(defaultPtpBodySpec());
  sim_->useManualTime();
  EdsCameraRef camera = openCamera(0);
  EdsUInt32 oneSecond = 0x38;
  ASSERT_EQ(EDS_ERR_OK, EdsSetPropertyData(camera, kEdsPropID_Tv, 0, 4, &oneSecond));
  EXPECT_EQ(Lines({"property 0x101 0x406 0"}), events());
  ASSERT_EQ(EDS_ERR_OK, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  sim_->advanceTime(1000 + 149);  // exposure 1000, processing 150
  EXPECT_EQ(Lines(), events());
  EXPECT_EQ(1u, body->shotsInBuffer());
  sim_->advanceTime(1);
  EXPECT_EQ(Lines({"state 0x302 1"}), events());
  EXPECT_EQ(0u, body->shotsInBuffer());
  sim_->advanceTime(99);  // storage 100
  EXPECT_EQ(Lines(), events());
  EXPECT_EQ(0u, body->picturesStored());
  sim_->advanceTime(1);
  EXPECT_EQ(Lines({"state 0x302 0", "property 0x101 0x40a 0"}), events());
  EXPECT_EQ(1u, body->picturesStored());
  EdsRelease(camera);
}

TEST_F(SimCaptureTest, BulbExposesOneSecondAndReportsIt) {
  sim_->addCamera(defaultPtpBodySpec());
  sim_->useManualTime();
  EdsCameraRef camera = openCamera(0);
  EdsUInt32 bulb = 0x0C;
  ASSERT_EQ(EDS_ERR_OK, EdsSetPropertyData(camera, kEdsPropID_Tv, 0, 4, &bulb));
  ASSERT_EQ(EDS_ERR_OK, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  sim_->advanceTime(1000);
  EXPECT_EQ(Lines({"property 0x101 0x406 0", "state 0x310 1"}), events());
  sim_->advanceTime(250);
  EXPECT_EQ(Lines({"state 0x302 1", "state 0x302 0", "property 0x101 0x40a 0"}), events());
  EdsRelease(camera);
}

TEST_F(SimCaptureTest, FullBufferAnswersBusyUntilAnImageLeavesIt) {
  SimCamera* body = sim_->addCamera(defaultPtpBodySpec());
  body->setBufferLimit(2);
  sim_->useManualTime();
  EdsCameraRef camera = openCamera(0);
  EXPECT_EQ(EDS_ERR_OK, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(EDS_ERR_OK, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(2u, body->shotsInBuffer());
  // Tv 1/125: 8 ms exposure each, back to back; the first image leaves at 8 + 150.
  sim_->advanceTime(158);
  EXPECT_EQ(Lines({"state 0x302 1"}), events());
  EXPECT_EQ(EDS_ERR_OK, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  sim_->advanceTime(10000);
  sim_->waitIdle();
  EXPECT_EQ(3u, body->picturesStored());
  EdsRelease(camera);
}

TEST_F(SimCaptureTest, RefusedShotStoresNothing) {
  SimCamera* body = sim_->addCamera(defaultLegacyBodySpec());
  body->refuseTakePicture(EDS_ERR_DEVICE_BUSY);
  EdsCameraRef camera = openCamera(0);
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(Lines(), events());
  EXPECT_EQ(0u, body->picturesStored());
  EXPECT_EQ(0u, body->shotsInBuffer());
  EdsRelease(camera);
}

TEST_F(SimCaptureTest, FullCardAndInjectedErrorsGiveCaptureErrors) {
  SimCameraSpec spec = defaultPtpBodySpec();
  spec.volumes = {spec.volumes[0]};
  spec.volumes[0].freeSpace = 8000000;  // room for one JPEG
  SimCamera* body = sim_->addCamera(spec);
  EdsCameraRef camera = openCamera(0);

  body->failNextShot(9);
  ASSERT_EQ(EDS_ERR_OK, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(Lines({"state 0x302 1", "state 0x305 9"}), events());
  ASSERT_EQ(EDS_ERR_OK, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(Lines({"state 0x302 1", "state 0x302 0", "property 0x101 0x40a 0"}), events());
  EXPECT_EQ(0u, property(camera, kEdsPropID_AvailableShots));
  ASSERT_EQ(EDS_ERR_OK, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(Lines({"state 0x302 1", "state 0x305 7"}), events());
  EXPECT_EQ(1u, body->picturesStored());
  EXPECT_EQ(0u, body->volumes()[0].freeSpace);
  EdsRelease(camera);
}

TEST_F(SimCaptureTest, LostEventsLeaveTheImageStored) {
  SimCamera* ptp = sim_->addCamera(defaultPtpBodySpec());
  SimCamera* legacy = sim_->addCamera(defaultLegacyBodySpec());
  EdsCameraRef ptpCamera = openCamera(0);
  ptp->loseShotEvents(1, SimLostEvents::kCompletion);
  ASSERT_EQ(EDS_ERR_OK, EdsSendCommand(ptpCamera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(Lines({"state 0x302 1", "property 0x101 0x40a 0"}), events());
  ptp->loseShotEvents(1, SimLostEvents::kAll);
  ASSERT_EQ(EDS_ERR_OK, EdsSendCommand(ptpCamera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(Lines(), events());
  ASSERT_EQ(EDS_ERR_OK, EdsSendCommand(ptpCamera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(Lines({"state 0x302 1", "state 0x302 0", "property 0x101 0x40a 0"}), events());
  EXPECT_EQ(3u, ptp->picturesStored());
  EdsRelease(ptpCamera);

  EdsCameraRef legacyCamera = openCamera(1);
  legacy->loseShotEvents(1, SimLostEvents::kCompletion);
  ASSERT_EQ(EDS_ERR_OK, EdsSendCommand(legacyCamera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(Lines({"property 0x101 0x40a 0"}), events());
  EXPECT_EQ(1u, legacy->picturesStored());
  EXPECT_EQ(1u, sim_->liveObjectCount());
  EdsRelease(legacyCamera);
}

TEST_F(SimCaptureTest, DelayedEventsArriveLate) {
  SimCamera* body = sim_->addCamera(defaultLegacyBodySpec());
  sim_->useManualTime();
  EdsCameraRef camera = openCamera(0);
  body->delayEvents(5000);
  ASSERT_EQ(EDS_ERR_OK, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  sim_->advanceTime(17 + 300 + 200);  // Tv 1/60, processing, storage
  EXPECT_EQ(Lines(), events());
  EXPECT_EQ(1u, body->picturesStored());
  sim_->advanceTime(5000);
  EXPECT_EQ(Lines({"object 0x204", "property 0x101 0x40a 0"}), events());
  EdsRelease(camera);
}

TEST_F(SimCaptureTest, ShutdownAfterShotsEndsTheSessionAndLeavesTheList) {
  SimCamera* body = sim_->addCamera(defaultPtpBodySpec());
  EdsCameraRef camera = openCamera(0);
  body->shutDownAfterShots(2);
  ASSERT_EQ(EDS_ERR_OK, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(3u, events().size());
  EXPECT_TRUE(body->poweredOn());
  ASSERT_EQ(EDS_ERR_OK, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(Lines({"state 0x302 1", "state 0x302 0", "property 0x101 0x40a 0", "state 0x301 0"}),
            events());
  EXPECT_FALSE(body->poweredOn());
  EXPECT_FALSE(body->sessionOpen());

  EdsUInt32 value = 0;
  EXPECT_EQ(EDS_ERR_COMM_DISCONNECTED, EdsGetPropertyData(camera, kEdsPropID_Tv, 0, 4, &value));
  EXPECT_EQ(EDS_ERR_COMM_DISCONNECTED, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(EDS_ERR_COMM_DISCONNECTED, EdsOpenSession(camera));
  EdsCameraListRef list = nullptr;
  ASSERT_EQ(EDS_ERR_OK, EdsGetCameraList(&list));
  EdsUInt32 count = 99;
  EXPECT_EQ(EDS_ERR_OK, EdsGetChildCount(list, &count));
  EXPECT_EQ(0u, count);
  EdsRelease(list);
  EdsRelease(camera);
  EXPECT_EQ(2u, body->picturesStored());
}

TEST_F(SimCaptureTest, ShutdownDuringAShotDropsTheShot) {
  SimCamera* body = sim_->addCamera(defaultLegacyBodySpec());
  sim_->useManualTime();
  EdsCameraRef camera = openCamera(0);
  ASSERT_EQ(EDS_ERR_OK, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  body->shutDownNow();
  sim_->advanceTime(10000);
  EXPECT_EQ(Lines({"state 0x301 0"}), events());
  EXPECT_EQ(0u, body->picturesStored());
  EdsRelease(camera);
}

}  // namespace
