#include "camera/sim/sim_camera.h"

#include <atomic>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "camera/sim/sim_test_support.h"

namespace {

using SimSessionTest = SimTest;

TEST_F(SimSessionTest, WithoutASessionTheBodyAnswersSessionNotOpen) {
  SimCamera* body = sim_->addCamera(defaultPtpBodySpec());
  body->failOpenSession(EDS_ERR_DEVICE_BUSY);
  EdsCameraRef camera = cameraAt(0);
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, EdsOpenSession(camera));

  EdsUInt32 value = 0x78;
  EdsPropertyDesc desc;
  EdsUInt32 count = 0;
  EXPECT_EQ(EDS_ERR_SESSION_NOT_OPEN, EdsGetPropertyData(camera, kEdsPropID_Tv, 0, 4, &value));
  EXPECT_EQ(EDS_ERR_SESSION_NOT_OPEN, EdsSetPropertyData(camera, kEdsPropID_Tv, 0, 4, &value));
  EXPECT_EQ(EDS_ERR_SESSION_NOT_OPEN, EdsGetPropertyDesc(camera, kEdsPropID_Av, &desc));
  EXPECT_EQ(EDS_ERR_SESSION_NOT_OPEN, EdsGetChildCount(camera, &count));
  EXPECT_EQ(EDS_ERR_SESSION_NOT_OPEN, EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(EDS_ERR_SESSION_NOT_OPEN,
            EdsSendStatusCommand(camera, kEdsCameraStatusCommand_UILock, 0));
  EXPECT_EQ(EDS_ERR_SESSION_NOT_OPEN, EdsCloseSession(camera));
  EXPECT_EQ(0x70u, body->propertyValue(kEdsPropID_Tv));  // unchanged
  EXPECT_EQ(0u, body->picturesStored());

  // The device record needs no session; the fault removed, the session opens.
  EdsDeviceInfo info;
  EXPECT_EQ(EDS_ERR_OK, EdsGetDeviceInfo(camera, &info));
  body->failOpenSession(EDS_ERR_OK);
  EXPECT_EQ(EDS_ERR_OK, EdsOpenSession(camera));
  EXPECT_EQ(EDS_ERR_OK, EdsCloseSession(camera));
  EXPECT_EQ(
      std::vector<std::string>(
          {"OpenSession -> 0x81", "GetPropertyData 0x406 -> 0x2003",
           "SetPropertyData 0x406 0x78 -> 0x2003", "GetPropertyDesc 0x405 -> 0x2003",
           "GetChildCount -> 0x2003", "SendCommand 0 -> 0x2003", "SendStatusCommand 0 -> 0x2003",
           "CloseSession -> 0x2003", "OpenSession -> 0x0", "CloseSession -> 0x0"}),
      body->commandLog());
  EdsRelease(camera);
}

TEST_F(SimSessionTest, VolumesAndBatteryAsRecordsAndFaults) {
  SimCamera* body = sim_->addCamera(defaultLegacyBodySpec());
  std::vector<SimVolume> six(6);
  for (size_t i = 0; i < six.size(); ++i) {
    six[i].maxCapacity = 1000 * (i + 1);
    six[i].freeSpace = 100 * (i + 1);
    six[i].access = i == 5 ? 0 : 2;
    six[i].label = "CARD" + std::to_string(i);
  }
  body->setVolumes(six);
  body->setBattery(0xFFFFFFFF);
  EdsCameraRef camera = openCamera(0);

  EdsUInt32 count = 0;
  ASSERT_EQ(EDS_ERR_OK, EdsGetChildCount(camera, &count));
  EXPECT_EQ(6u, count);
  EdsVolumeRef volume = nullptr;
  ASSERT_EQ(EDS_ERR_OK, EdsGetChildAtIndex(camera, 5, &volume));
  EdsVolumeInfo info;
  ASSERT_EQ(EDS_ERR_OK, EdsGetVolumeInfo(volume, &info));
  EXPECT_EQ(0u, info.access);
  EXPECT_EQ(6000u, info.maxCapacity);
  EXPECT_EQ(600u, info.freeSpaceInBytes);
  EXPECT_STREQ("CARD5", info.szVolumeLabel);
  EdsRelease(volume);
  EXPECT_EQ(EDS_ERR_INVALID_PARAMETER, EdsGetChildAtIndex(camera, 6, &volume));

  EXPECT_EQ(0xFFFFFFFFu, property(camera, kEdsPropID_BatteryLevel));
  body->setBattery(40);
  EXPECT_EQ(Lines({"property 0x101 0x8 0"}), events());
  EXPECT_EQ(40u, property(camera, kEdsPropID_BatteryLevel));
  body->setPropertyValue(kEdsPropID_BatteryLevel, 20);
  body->setPropertyValue(kEdsPropID_AvailableShots, 5);
  EXPECT_EQ(Lines({"property 0x101 0x8 0"}), events());
  EXPECT_EQ(20u, property(camera, kEdsPropID_BatteryLevel));
  EXPECT_EQ(0u, property(camera, kEdsPropID_AvailableShots));  // cards of a few hundred bytes
  EdsRelease(camera);
}

using SimPropertyTest = SimTest;

TEST_F(SimPropertyTest, DescriptionsUseOneMemberOfEachCodePairPerBody) {
  sim_->addCamera(defaultPtpBodySpec());
  sim_->addCamera(defaultLegacyBodySpec());
  EdsCameraRef ptp = openCamera(0);
  EdsCameraRef legacy = openCamera(1);
  auto codes = [](EdsCameraRef camera, EdsPropertyID id) {
    EdsPropertyDesc desc;
    EXPECT_EQ(EDS_ERR_OK, EdsGetPropertyDesc(camera, id, &desc));
    return std::vector<EdsInt32>(desc.propDesc, desc.propDesc + desc.numElements);
  };
  EXPECT_EQ(std::vector<EdsInt32>(
                {0x24, 0x28, 0x2B, 0x30, 0x34, 0x38, 0x3C, 0x40, 0x44, 0x48, 0x4C, 0x50}),
            codes(legacy, kEdsPropID_Av));
  std::vector<EdsInt32> ptpAv = codes(ptp, kEdsPropID_Av);
  std::vector<EdsInt32> ptpTv = codes(ptp, kEdsPropID_Tv);
  std::vector<EdsInt32> legacyTv = codes(legacy, kEdsPropID_Tv);
  auto has = [](const std::vector<EdsInt32>& list, EdsInt32 code) {
    for (EdsInt32 c : list) {
      if (c == code) return true;
    }
    return false;
  };
  // Second members on the PTP body, first members on the legacy one.
  for (EdsInt32 second : {0x25, 0x2C, 0x43}) EXPECT_TRUE(has(ptpAv, second)) << second;
  for (EdsInt32 first : {0x24, 0x2B, 0x44}) EXPECT_FALSE(has(ptpAv, first)) << first;
  for (EdsInt32 second : {0x15, 0x1D, 0x23, 0x45, 0x4D, 0x53, 0x5B}) {
    EXPECT_TRUE(has(ptpTv, second)) << second;
    EXPECT_FALSE(has(legacyTv, second)) << second;
  }
  for (EdsInt32 first : {0x14, 0x1C, 0x24, 0x44, 0x4C, 0x54, 0x5C}) {
    EXPECT_TRUE(has(legacyTv, first)) << first;
    EXPECT_FALSE(has(ptpTv, first)) << first;
  }
  EdsRelease(ptp);
  EdsRelease(legacy);
}

TEST_F(SimPropertyTest, WritesAreCheckedAgainstTheDescriptionAndAnnounced) {
  SimCamera* body = sim_->addCamera(defaultPtpBodySpec());
  EdsCameraRef camera = openCamera(0);
  EdsUInt32 listed = 0x53;
  EdsUInt32 otherMember = 0x54;  // the other member of the 1/10 pair
  EXPECT_EQ(EDS_ERR_OK, EdsSetPropertyData(camera, kEdsPropID_Tv, 0, 4, &listed));
  EXPECT_EQ(kSimErrInvalidPropertyValue,
            EdsSetPropertyData(camera, kEdsPropID_Tv, 0, 4, &otherMember));
  EXPECT_EQ(0x53u, property(camera, kEdsPropID_Tv));
  EXPECT_EQ(Lines({"property 0x101 0x406 0"}), events());

  // Open-ended properties take any value; derived ones refuse writes.
  EdsUInt32 all = 0xFFFFFFFF;
  EXPECT_EQ(EDS_ERR_OK, EdsSetPropertyData(camera, kEdsPropID_Capacity, 0, 4, &all));
  EXPECT_EQ(EDS_ERR_NOT_SUPPORTED, EdsSetPropertyData(camera, kEdsPropID_BatteryLevel, 0, 4, &all));
  EXPECT_EQ(EDS_ERR_NOT_SUPPORTED,
            EdsSetPropertyData(camera, kEdsPropID_AvailableShots, 0, 4, &all));
  EXPECT_EQ(EDS_ERR_NOT_SUPPORTED, EdsSetPropertyData(camera, 0x1234, 0, 4, &all));
  EXPECT_EQ(Lines({"property 0x101 0x40b 0"}), events());

  // A short buffer is refused instead of overrun.
  uint16_t small = 0;
  EXPECT_EQ(EDS_ERR_INVALID_PARAMETER,
            EdsGetPropertyData(camera, kEdsPropID_Tv, 0, sizeof(small), &small));
  EXPECT_EQ(0u, small);
  EXPECT_EQ(0x53u, body->propertyValue(kEdsPropID_Tv));
  EdsRelease(camera);
}

TEST_F(SimPropertyTest, ImageQualityDecidesTheAvailableShots) {
  SimCameraSpec spec = defaultPtpBodySpec();
  spec.volumes = {spec.volumes[0]};
  spec.volumes[0].freeSpace = 80000000;  // ten JPEGs of 8 MB, two RAW+L of 38 MB
  SimCamera* body = sim_->addCamera(spec);
  EdsCameraRef camera = openCamera(0);
  EXPECT_EQ(10u, property(camera, kEdsPropID_AvailableShots));
  EdsUInt32 rawPlusL = 0x00640013;
  ASSERT_EQ(EDS_ERR_OK, EdsSetPropertyData(camera, kEdsPropID_ImageQuality, 0, 4, &rawPlusL));
  EXPECT_EQ(2u, property(camera, kEdsPropID_AvailableShots));
  EXPECT_EQ(2u, body->propertyValue(kEdsPropID_AvailableShots));
  EXPECT_EQ(Lines({"property 0x101 0x100 0", "property 0x101 0x40a 0"}), events());
  EdsRelease(camera);
}

TEST_F(SimPropertyTest, PropertyFaultsHitOnlyTheirPropertyUntilCleared) {
  SimCamera* body = sim_->addCamera(defaultLegacyBodySpec());
  EdsCameraRef camera = openCamera(0);
  body->failPropertyRead(kEdsPropID_Tv, EDS_ERR_INTERNAL_DEVICE_ERROR);
  body->failPropertyWrite(kEdsPropID_DriveMode, EDS_ERR_DEVICE_BUSY);
  body->failPropertyDesc(kEdsPropID_Av, EDS_ERR_IO_ERROR);
  EdsUInt32 value = 1;
  EdsPropertyDesc desc;
  EXPECT_EQ(EDS_ERR_INTERNAL_DEVICE_ERROR, EdsGetPropertyData(camera, kEdsPropID_Tv, 0, 4, &value));
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, EdsSetPropertyData(camera, kEdsPropID_DriveMode, 0, 4, &value));
  EXPECT_EQ(EDS_ERR_IO_ERROR, EdsGetPropertyDesc(camera, kEdsPropID_Av, &desc));
  EXPECT_EQ(EDS_ERR_OK, EdsGetPropertyDesc(camera, kEdsPropID_Tv, &desc));
  EXPECT_EQ(0x30u, property(camera, kEdsPropID_Av));
  EXPECT_EQ(0u, body->propertyValue(kEdsPropID_DriveMode));
  EXPECT_EQ(Lines(), events());

  body->failPropertyRead(kEdsPropID_Tv, EDS_ERR_OK);
  body->failPropertyWrite(kEdsPropID_DriveMode, EDS_ERR_OK);
  EXPECT_EQ(0x68u, property(camera, kEdsPropID_Tv));
  EXPECT_EQ(EDS_ERR_OK, EdsSetPropertyData(camera, kEdsPropID_DriveMode, 0, 4, &value));
  EXPECT_EQ(1u, body->propertyValue(kEdsPropID_DriveMode));
  EdsRelease(camera);
}

using SimCommandTest = SimTest;

TEST_F(SimCommandTest, UiLockAndExtendShutdownAnswerAsConfigured) {
  SimCamera* body = sim_->addCamera(defaultPtpBodySpec());
  EdsCameraRef camera = openCamera(0);
  EXPECT_EQ(EDS_ERR_OK, EdsSendStatusCommand(camera, kEdsCameraStatusCommand_UILock, 0));
  EXPECT_TRUE(body->uiLocked());
  EXPECT_EQ(EDS_ERR_OK, EdsSendStatusCommand(camera, kEdsCameraStatusCommand_UIUnLock, 0));
  EXPECT_FALSE(body->uiLocked());
  body->setUiLockResult(EDS_ERR_NOT_SUPPORTED);
  EXPECT_EQ(EDS_ERR_NOT_SUPPORTED, EdsSendStatusCommand(camera, kEdsCameraStatusCommand_UILock, 0));
  EXPECT_FALSE(body->uiLocked());
  EXPECT_EQ(EDS_ERR_NOT_SUPPORTED, EdsSendStatusCommand(camera, 7, 0));

  EXPECT_EQ(EDS_ERR_OK, EdsSendCommand(camera, kEdsCameraCommand_ExtendShutDownTimer, 0));
  body->refuseExtendShutdown(EDS_ERR_DEVICE_BUSY);
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, EdsSendCommand(camera, kEdsCameraCommand_ExtendShutDownTimer, 0));
  EXPECT_EQ(EDS_ERR_NOT_SUPPORTED, EdsSendCommand(camera, 0x99, 0));

  // Closing the session frees a locked UI.
  body->setUiLockResult(EDS_ERR_OK);
  EXPECT_EQ(EDS_ERR_OK, EdsSendStatusCommand(camera, kEdsCameraStatusCommand_UILock, 0));
  EdsRelease(camera);
  EXPECT_FALSE(body->uiLocked());
  EXPECT_FALSE(body->sessionOpen());
}

// Answers every will-soon-shut-down warning with the extend-shutdown command, as the program does.
struct ExtendingContext {
  EdsCameraRef camera = nullptr;
  std::atomic<int> warnings{0};
  std::atomic<EdsError> lastAnswer{0xFFFFFFFF};
  std::atomic<bool> shutDown{false};
};

EdsError extendOnWarning(EdsStateEvent event, EdsUInt32 data, void* context) {
  auto* c = static_cast<ExtendingContext*>(context);
  if (event == kEdsStateEvent_WillSoonShutDown) {
    c->warnings += 1;
    c->lastAnswer = EdsSendCommand(c->camera, kEdsCameraCommand_ExtendShutDownTimer, 0);
  }
  if (event == kEdsStateEvent_Shutdown) c->shutDown = true;
  return EDS_ERR_OK;
}

TEST_F(SimCommandTest, AutoPowerOffIsPutOffOnlyByAnAcceptedExtension) {
  SimCamera* body = sim_->addCamera(defaultPtpBodySpec());
  sim_->useManualTime();
  EdsCameraRef camera = cameraAt(0);
  ExtendingContext context;
  context.camera = camera;
  ASSERT_EQ(EDS_ERR_OK,
            EdsSetCameraStateEventHandler(camera, kEdsStateEvent_All, extendOnWarning, &context));
  body->setAutoPowerOff(1000, 5);
  ASSERT_EQ(EDS_ERR_OK, EdsOpenSession(camera));

  sim_->advanceTime(999);
  sim_->waitIdle();
  EXPECT_EQ(0, context.warnings.load());
  sim_->advanceTime(1);
  sim_->waitIdle();
  EXPECT_EQ(1, context.warnings.load());
  EXPECT_EQ(EDS_ERR_OK, context.lastAnswer.load());
  // Extended each time: a warning every second, no shutdown.
  sim_->advanceTime(5000);
  sim_->waitIdle();
  EXPECT_EQ(6, context.warnings.load());
  EXPECT_TRUE(body->poweredOn());

  body->refuseExtendShutdown(EDS_ERR_DEVICE_BUSY);
  sim_->advanceTime(1000);
  sim_->waitIdle();
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, context.lastAnswer.load());
  sim_->advanceTime(4999);
  sim_->waitIdle();
  EXPECT_TRUE(body->poweredOn());
  sim_->advanceTime(1);
  sim_->waitIdle();
  EXPECT_TRUE(context.shutDown.load());
  EXPECT_FALSE(body->poweredOn());
  EdsRelease(camera);
}

}  // namespace
