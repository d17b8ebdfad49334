#include "camera/canon_camera.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "camera/camera_test_support.h"
#include "mt/mt_locker.h"

namespace {

using Strings = std::vector<std::string>;

class CanonCameraTest : public camera_test::SimCameraTest {
 protected:
  static std::string writesOf(SimCamera* body) {
    return camera_test::callsOf(body, {"SetPropertyData"});
  }
  // The text |getter| reads; on failure the code and the untouched buffer.
  std::string read(EdsError (CCanonCamera::*getter)(char*, size_t)) {
    char value[64] = "untouched";
    const EdsError code = (camera_.get()->*getter)(value, sizeof(value));
    if (code == 0) return value;
    char failure[96];
    std::snprintf(failure, sizeof(failure), "0x%x %s", code, value);
    return failure;
  }
};

SimVolume volume(EdsUInt32 access, EdsUInt64 capacity, EdsUInt64 freeSpace) {
  SimVolume v;
  v.access = access;
  v.maxCapacity = capacity;
  v.freeSpace = freeSpace;
  return v;
}

// The PTP body lists the second members of the Tv/Av code pairs, the legacy one the first.
TEST_F(CanonCameraTest, SettingsAreSentInTheBodysFormAndReadBack) {
  const struct {
    uint32_t index;
    bool variant;
    const char* writes;
  } cases[] = {
      {0, true,
       "SetPropertyData 0x406 0x23 -> 0x0\nSetPropertyData 0x406 0x15 -> 0x0\n"
       "SetPropertyData 0x405 0x43 -> 0x0\nSetPropertyData 0x405 0xd -> 0x86\n"
       "SetPropertyData 0x100 0x640013 -> 0x0\nSetPropertyData 0x100 0x640f0f -> 0x0\n"},
      {1, false,
       "SetPropertyData 0x406 0x24 -> 0x0\nSetPropertyData 0x406 0x14 -> 0x0\n"
       "SetPropertyData 0x405 0x44 -> 0x0\nSetPropertyData 0x405 0xc -> 0x86\n"
       "SetPropertyData 0x100 0x240013 -> 0x0\nSetPropertyData 0x100 0x24000f -> 0x0\n"},
  };
  for (const auto& c : cases) {
    open(c.index);
    EXPECT_EQ(c.variant, camera_->avCodeVariant());
    EXPECT_EQ(c.variant, camera_->tvCodeVariant());
    for (const char* tv : {"6s", "20s"}) EXPECT_EQ(0u, camera_->setTv(tv)) << tv;
    EXPECT_EQ(0u, camera_->setAv("13"));
    EXPECT_EQ(kSimErrInvalidPropertyValue, camera_->setAv("1.2"));  // neither body has f/1.2
    EXPECT_EQ(kSimErrInvalidPropertyValue, camera_->lastError());
    EXPECT_EQ(0u, camera_->setImageQuality("RAW+L"));
    EXPECT_EQ(0u, camera_->setImageQuality("RAW"));
    EXPECT_EQ(c.writes, writesOf(sim_->camera(c.index)));
    EXPECT_EQ("20\"", read(&CCanonCamera::getTv));           // 0x15 shares its name with 0x14
    EXPECT_EQ("RAW", read(&CCanonCamera::getImageQuality));  // 0x24000F has no row: decoded
    camera_.reset();
  }
}

TEST_F(CanonCameraTest, OneDecidingDescriptionSetsBothVariantsAndFailuresAreTraced) {
  SimBodyConfig config = defaultPtpBodyConfig();
  config.properties[kEdsPropID_Av].allowed = {0x20, 0x30};              // no pair member
  config.properties[kEdsPropID_Tv].allowed = {0x10, 0x38, 0x4C, 0x4D};  // 0x4C decides first
  sim_->addCamera(config);
  sim_->addCamera(defaultLegacyBodyConfig())->failPropertyDesc(kEdsPropID_Tv, 0x81);
  start();
  for (uint32_t index : {2, 3}) {  // 3: Av decides "first members"; the Tv description fails
    traces();
    camera_ = sdk_->NewCamera(index);
    EXPECT_FALSE(camera_->avCodeVariant());
    EXPECT_FALSE(camera_->tvCodeVariant());
  }
  EXPECT_EQ("EdsGetProperyDesc error: 00000081 Device busy! Camera unstable!\n",
            camera_test::linesStartingWith(traces(), {"EdsGetProperyDesc"}));
}

// A name outside the tables is refused without sending and leaves the last error; a value
// without a row reads as "?", a failed read leaves the caller's buffer.
TEST_F(CanonCameraTest, NamesAndValuesOutsideTheTables) {
  open(0);
  camera_->setLastError(0x1234);
  EXPECT_EQ(kNameNotInTable, camera_->setMeteringMode("sPot"));
  EXPECT_EQ(kNameNotInTable, camera_->setImageQuality(nullptr));
  EXPECT_EQ(0x1234u, camera_->lastError());
  EXPECT_EQ("", writesOf(ptpBody_));

  ptpBody_->setPropertyValue(kEdsPropID_ISOSpeed, 0);  // automatic ISO
  ptpBody_->setPropertyValue(kEdsPropID_DriveMode, 0x10);
  traces();
  EXPECT_EQ("?", read(&CCanonCamera::getISO));
  EXPECT_EQ("?", read(&CCanonCamera::getDriveMode));
  EXPECT_EQ("getDriveMode unknown value 0x10\n", traces());
  ptpBody_->failPropertyRead(kEdsPropID_Av, 0x81);
  EXPECT_EQ("0x81 untouched", read(&CCanonCamera::getAv));
  EXPECT_EQ(0x81u, camera_->lastError());
}

// What a run prints and logs for a refused session is checked end to end.
TEST_F(CanonCameraTest, ACameraWhoseSessionDidNotOpenStillExistsAndClosesNothing) {
  ptpBody_->failOpenSession(0x81);
  start();
  const size_t liveBefore = sim_->liveObjectCount();
  camera_ = sdk_->NewCamera(0);
  ASSERT_NE(nullptr, camera_);
  EXPECT_EQ(0u, sdk_->lastError());
  EXPECT_EQ(0x81u, camera_->sessionStatus());
  EXPECT_EQ(kSessionNotOpen, camera_->updateVolumes());
  EXPECT_EQ(kSessionNotOpen, camera_->updateBatteryLevel());
  ptpBody_->clearCommandLog();
  camera_.reset();  // only releases the reference
  EXPECT_EQ(Strings{}, ptpBody_->commandLog());
  EXPECT_EQ(liveBefore, sim_->liveObjectCount());
}

TEST_F(CanonCameraTest, OpeningAppliesTheInitialSettingsAndClosingUnlocksAndClosesOnce) {
  start();
  camera_ = sdk_->NewCamera(0);
  EXPECT_EQ(0u, camera_->sessionStatus());
  EXPECT_EQ(
      "SetPropertyData 0xb 0x1 -> 0x0\n"
      "SetPropertyData 0x401 0x1 -> 0x0\n"
      "SetPropertyData 0x40b 0xffffffff -> 0x0\n",
      writesOf(ptpBody_));
  camera_->Lock();
  camera_->Lock();
  ptpBody_->clearCommandLog();
  camera_->closeSession();
  EXPECT_FALSE(ptpBody_->uiLocked());
  EXPECT_FALSE(ptpBody_->sessionOpen());
  EXPECT_EQ(kSessionNotOpen, camera_->sessionStatus());
  EXPECT_EQ(0u, camera_->uiLockCount());
  EXPECT_EQ(nullptr, camera_->cameraRef());
  EXPECT_EQ(kSessionNotOpen, camera_->setTv("1/250"));
  camera_.reset();  // nothing more to close
  EXPECT_EQ((Strings{"SendStatusCommand 1 -> 0x0", "CloseSession -> 0x0"}), ptpBody_->commandLog());
}

TEST_F(CanonCameraTest, VolumesSumAtMostFourAndOnlyWritableFreeSpace) {
  ptpBody_->setVolumes(std::vector<SimVolume>(6, volume(2, 1000, 100)));
  open(0);
  EXPECT_EQ(4u, camera_->volumeCount());
  EXPECT_EQ(4000u, camera_->getVolumeCapacity());
  EXPECT_EQ(400u, camera_->getFreeSpace());
  EXPECT_DOUBLE_EQ(10.0, camera_->getFreePercent());

  ptpBody_->setVolumes({volume(0, 3000, 3000), volume(1, 1000, 500)});
  camera_->OnObjectVolumeInfoChanged(nullptr);  // makes the sums stale
  EXPECT_FALSE(camera_->volumesValid());
  EXPECT_EQ(4000u, camera_->getVolumeCapacity());
  EXPECT_TRUE(camera_->volumesValid());
  EXPECT_EQ(500u, camera_->getFreeSpace());
  EXPECT_DOUBLE_EQ(12.5, camera_->getFreePercent());
  EXPECT_EQ(0u, camera_->updateVolumes());
}

TEST_F(CanonCameraTest, BatteryRefreshesAfterItsEventAndReportsAFailedRead) {
  open(0);
  EXPECT_EQ(85, camera_->getBatteryLevel());
  ptpBody_->setBattery(100);
  EXPECT_EQ("", traces());                // the battery event prints nothing ...
  EXPECT_FALSE(camera_->batteryValid());  // ... but makes the level stale
  EXPECT_EQ(100, camera_->getBatteryLevel());

  ptpBody_->failPropertyRead(kEdsPropID_BatteryLevel, 0x82);
  EXPECT_EQ(0x82u, camera_->updateBatteryLevel());
  EXPECT_EQ("GetBatteryLevel error: 00000082 Device error\n", traces());
  EXPECT_EQ(0, camera_->getBatteryLevel());
}

// A refused lock is traced (a body without the lock is checked end to end).
TEST_F(CanonCameraTest, NestedLocksSendOneLockAndOneUnlock) {
  open(0);
  {
    CMtLocker outer(camera_.get());
    CMtLocker inner(camera_.get());
    EXPECT_EQ(2u, camera_->uiLockCount());
    inner.Unlock();
    EXPECT_TRUE(ptpBody_->uiLocked());
  }
  EXPECT_FALSE(ptpBody_->uiLocked());
  EXPECT_EQ(0, camera_->Unlock());  // count already 0, not locked: nothing
  EXPECT_EQ(0u, camera_->uiLockCount());
  EXPECT_EQ("Lock camera\nUnlock camera\n", traces());
  EXPECT_EQ((Strings{"SendStatusCommand 0 -> 0x0", "SendStatusCommand 1 -> 0x0"}),
            ptpBody_->commandLog());

  ptpBody_->setUiLockResult(0xD0);
  camera_->Lock();
  EXPECT_EQ(
      "SendStatusCommand error: 000000d0 Failed to lock the UI\n"
      "UILock error: 000000d0 Failed to lock the UI\n",
      traces());
}

}  // namespace
