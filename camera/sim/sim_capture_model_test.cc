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
  // Exposure 1000, processing 150, writing 8 MB at 80 MB/s 100: the image stays in the buffer
  // until it is written.
  EXPECT_EQ(Lines(), after(1000 + 150 + 99));
  EXPECT_EQ(1u, body_->shotsInBuffer());
  EXPECT_EQ(0u, body_->picturesStored());
  EXPECT_EQ(Lines({"state 0x302 1", "state 0x302 0", "property 0x101 0x40a 0"}), after(1));
  EXPECT_EQ(0u, body_->shotsInBuffer());
  EXPECT_EQ(1u, body_->picturesStored());
}

// A release while the shutter is open is refused; RAW frames fill the buffer's bytes at the frame
// the sizes say, and a written frame makes room again.
TEST_F(SimCaptureTest, BusyWhileTheShutterIsOpenAndWhenRawFillsTheBuffer) {
  sim_->useManualTime();
  SimBodyConfig config = defaultPtpBodyConfig();
  config.bufferBytes = 3 * config.rawBytes + config.jpegBytes;  // 3 RAW frames, not 4
  config.writeBytesPerSecond = 10000000;                        // 3 s per RAW frame
  EdsCameraRef camera = openNew(config);
  EdsUInt32 raw = 0x00640F0F;
  ASSERT_EQ(EDS_ERR_OK, EdsSetPropertyData(camera, kEdsPropID_ImageQuality, 0, 4, &raw));
  EXPECT_EQ(EDS_ERR_OK, shoot(camera));           // Tv 1/125: the shutter is open for 8 ms
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, shoot(camera));  // ... and refuses a release meanwhile
  after(8);
  EXPECT_EQ(EDS_ERR_OK, shoot(camera));
  after(8);
  EXPECT_EQ(EDS_ERR_OK, shoot(camera));
  after(8);
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, shoot(camera));  // frame 4 does not fit
  EXPECT_EQ(3u, body_->shotsInBuffer());
  after(8 + 150 + 3000 - 24);  // the first frame is processed and written
  EXPECT_EQ(2u, body_->shotsInBuffer());
  EXPECT_EQ(EDS_ERR_OK, shoot(camera));
  after(20000);
  EXPECT_EQ(4u, body_->picturesStored());
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
