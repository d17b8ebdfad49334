#include "camera/sim/sim_camera.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "camera/sim/sim_test_support.h"

namespace {

using SimSessionTest = SimTest;

TEST_F(SimSessionTest, WithoutASessionTheBodyAnswersSessionNotOpen) {
  SimCamera* body = sim_->addCamera(defaultPtpBodyConfig());
  body->failOpenSession(EDS_ERR_DEVICE_BUSY);
  EdsCameraRef camera = cameraAt(0);
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, EdsOpenSession(camera));
  EdsUInt32 value = 0x78;
  EdsPropertyDesc desc;
  const std::pair<const char*, std::function<EdsError()>> calls[] = {
      {"GetPropertyData 0x406", [&] { return EdsGetPropertyData(camera, 0x406, 0, 4, &value); }},
      {"SetPropertyData 0x406 0x78",
       [&] { return EdsSetPropertyData(camera, 0x406, 0, 4, &value); }},
      {"GetPropertyDesc 0x405", [&] { return EdsGetPropertyDesc(camera, 0x405, &desc); }},
      {"GetChildCount", [&] { return EdsGetChildCount(camera, &value); }},
      {"SendCommand 0", [&] { return EdsSendCommand(camera, 0, 0); }},
      {"SendStatusCommand 0", [&] { return EdsSendStatusCommand(camera, 0, 0); }},
      {"CloseSession", [&] { return EdsCloseSession(camera); }},
  };
  Lines expectedLog = {"OpenSession -> 0x81"};
  for (const auto& call : calls) {
    EXPECT_EQ(EDS_ERR_SESSION_NOT_OPEN, call.second()) << call.first;
    expectedLog.push_back(std::string(call.first) + " -> 0x2003");
  }
  EXPECT_EQ(expectedLog, body->commandLog());
  EXPECT_EQ(0x70u, body->propertyValue(kEdsPropID_Tv));  // unchanged
  EXPECT_EQ(0u, body->picturesStored());

  // The device record needs no session; the fault removed, the session opens.
  EdsDeviceInfo info;
  EXPECT_EQ(EDS_ERR_OK, EdsGetDeviceInfo(camera, &info));
  body->failOpenSession(EDS_ERR_OK);
  EXPECT_EQ(EDS_ERR_OK, EdsOpenSession(camera));
  EXPECT_TRUE(body->sessionOpen());
}

// The sums over at most four volumes and the battery readings are checked through the camera.
TEST_F(SimSessionTest, VolumeRecordsAndDerivedProperties) {
  SimCamera* body = sim_->addCamera(defaultLegacyBodyConfig());
  std::vector<SimVolume> six(6);
  for (size_t i = 0; i < six.size(); ++i) six[i].freeSpace = 100 * (i + 1);
  six[5].access = 0;
  six[5].maxCapacity = 6000;
  six[5].label = "CARD5";
  body->setVolumes(six);
  EdsCameraRef camera = openCamera(0);
  EdsUInt32 count = 0;
  ASSERT_EQ(EDS_ERR_OK, EdsGetChildCount(camera, &count));
  EXPECT_EQ(6u, count);
  EdsVolumeRef volume = nullptr;
  ASSERT_EQ(EDS_ERR_OK, EdsGetChildAtIndex(camera, 5, &volume));
  EdsVolumeInfo info;
  ASSERT_EQ(EDS_ERR_OK, EdsGetVolumeInfo(volume, &info));
  EXPECT_EQ("0 6000 600 CARD5",
            std::to_string(info.access) + " " + std::to_string(info.maxCapacity) + " " +
                std::to_string(info.freeSpaceInBytes) + " " + info.szVolumeLabel);
  EXPECT_EQ(EDS_ERR_INVALID_PARAMETER, EdsGetChildAtIndex(camera, 6, &volume));

  body->setPropertyValue(kEdsPropID_BatteryLevel, 20);
  body->setPropertyValue(kEdsPropID_AvailableShots, 5);  // derived: ignored
  EXPECT_EQ(Lines({"property 0x101 0x8 0"}), events());
  EXPECT_EQ(20u, property(camera, kEdsPropID_BatteryLevel));
  EXPECT_EQ(0u, property(camera, kEdsPropID_AvailableShots));  // cards of a few hundred bytes
}

using SimPropertyTest = SimTest;

// The PTP body lists the second member of each code pair, the legacy body the first.
TEST_F(SimPropertyTest, DescriptionsUseOneMemberOfEachCodePairPerBody) {
  sim_->addCamera(defaultPtpBodyConfig());
  sim_->addCamera(defaultLegacyBodyConfig());
  EdsCameraRef ptp = openCamera(0);
  EdsCameraRef legacy = openCamera(1);
  using Codes = std::vector<EdsInt32>;
  auto codes = [](EdsCameraRef camera, EdsPropertyID id) {
    EdsPropertyDesc desc;
    EXPECT_EQ(EDS_ERR_OK, EdsGetPropertyDesc(camera, id, &desc));
    return Codes(desc.propDesc, desc.propDesc + desc.numElements);
  };
  // The codes of |pairs| that |list| holds.
  auto members = [](const Codes& list, const Codes& pairs) {
    Codes out;
    for (EdsInt32 code : pairs) {
      if (std::count(list.begin(), list.end(), code) > 0) out.push_back(code);
    }
    return out;
  };
  const Codes avPairs = {0x24, 0x25, 0x2B, 0x2C, 0x43, 0x44};
  EXPECT_EQ(Codes({0x25, 0x2C, 0x43}), members(codes(ptp, kEdsPropID_Av), avPairs));
  EXPECT_EQ(Codes({0x24, 0x2B, 0x44}), members(codes(legacy, kEdsPropID_Av), avPairs));
  const Codes tvPairs = {0x14, 0x15, 0x1C, 0x1D, 0x23, 0x24, 0x44,
                         0x45, 0x4C, 0x4D, 0x53, 0x54, 0x5B, 0x5C};
  EXPECT_EQ(Codes({0x15, 0x1D, 0x23, 0x45, 0x4D, 0x53, 0x5B}),
            members(codes(ptp, kEdsPropID_Tv), tvPairs));
  EXPECT_EQ(Codes({0x14, 0x1C, 0x24, 0x44, 0x4C, 0x54, 0x5C}),
            members(codes(legacy, kEdsPropID_Tv), tvPairs));
}

TEST_F(SimPropertyTest, WritesAreCheckedAgainstTheDescriptionAndAnnounced) {
  EdsCameraRef camera = openNew(defaultPtpBodyConfig());
  EdsUInt32 otherMember = 0x54;  // the other member of the 1/10 pair
  EXPECT_EQ(kSimErrInvalidPropertyValue,
            EdsSetPropertyData(camera, kEdsPropID_Tv, 0, 4, &otherMember));
  // Open-ended properties take any value; derived ones refuse writes.
  EdsUInt32 all = 0xFFFFFFFF;
  EXPECT_EQ(EDS_ERR_OK, EdsSetPropertyData(camera, kEdsPropID_Capacity, 0, 4, &all));
  for (EdsPropertyID derived : {kEdsPropID_BatteryLevel, kEdsPropID_AvailableShots, 0x1234u}) {
    EXPECT_EQ(EDS_ERR_NOT_SUPPORTED, EdsSetPropertyData(camera, derived, 0, 4, &all)) << derived;
  }
  EXPECT_EQ(Lines({"property 0x101 0x40b 0"}), events());
  // A short buffer is refused instead of overrun.
  uint16_t small = 0;
  EXPECT_EQ(EDS_ERR_INVALID_PARAMETER,
            EdsGetPropertyData(camera, kEdsPropID_Tv, 0, sizeof(small), &small));
  EXPECT_EQ(0u, small);
  EXPECT_EQ(0x70u, body_->propertyValue(kEdsPropID_Tv));
}

TEST_F(SimPropertyTest, ImageQualityDecidesTheAvailableShots) {
  SimBodyConfig config = defaultPtpBodyConfig();
  config.volumes = {config.volumes[0]};
  config.volumes[0].freeSpace = 80000000;  // ten JPEGs of 8 MB, two RAW+L of 38 MB
  EdsCameraRef camera = openNew(config);
  EXPECT_EQ(10u, property(camera, kEdsPropID_AvailableShots));
  EdsUInt32 rawPlusL = 0x00640013;
  ASSERT_EQ(EDS_ERR_OK, EdsSetPropertyData(camera, kEdsPropID_ImageQuality, 0, 4, &rawPlusL));
  EXPECT_EQ(2u, property(camera, kEdsPropID_AvailableShots));
  EXPECT_EQ(2u, body_->propertyValue(kEdsPropID_AvailableShots));
  EXPECT_EQ(Lines({"property 0x101 0x100 0", "property 0x101 0x40a 0"}), events());
}

TEST_F(SimPropertyTest, PropertyFaultsHitOnlyTheirPropertyUntilCleared) {
  EdsCameraRef camera = openNew(defaultLegacyBodyConfig());
  body_->failPropertyRead(kEdsPropID_Tv, EDS_ERR_INTERNAL_DEVICE_ERROR);
  body_->failPropertyWrite(kEdsPropID_DriveMode, EDS_ERR_DEVICE_BUSY);
  body_->failPropertyDesc(kEdsPropID_Av, EDS_ERR_IO_ERROR);
  EdsUInt32 value = 1;
  EdsPropertyDesc desc;
  EXPECT_EQ(EDS_ERR_INTERNAL_DEVICE_ERROR, EdsGetPropertyData(camera, kEdsPropID_Tv, 0, 4, &value));
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, EdsSetPropertyData(camera, kEdsPropID_DriveMode, 0, 4, &value));
  EXPECT_EQ(EDS_ERR_IO_ERROR, EdsGetPropertyDesc(camera, kEdsPropID_Av, &desc));
  EXPECT_EQ(EDS_ERR_OK, EdsGetPropertyDesc(camera, kEdsPropID_Tv, &desc));
  EXPECT_EQ(0x30u, property(camera, kEdsPropID_Av));
  EXPECT_EQ(0u, body_->propertyValue(kEdsPropID_DriveMode));
  EXPECT_EQ(Lines(), events());

  body_->failPropertyRead(kEdsPropID_Tv, EDS_ERR_OK);
  body_->failPropertyWrite(kEdsPropID_DriveMode, EDS_ERR_OK);
  EXPECT_EQ(0x68u, property(camera, kEdsPropID_Tv));
  EXPECT_EQ(EDS_ERR_OK, EdsSetPropertyData(camera, kEdsPropID_DriveMode, 0, 4, &value));
  EXPECT_EQ(1u, body_->propertyValue(kEdsPropID_DriveMode));
}

using SimCommandTest = SimTest;

// The configured answers themselves are checked through the camera.
TEST_F(SimCommandTest, UnknownCommandsAreRefusedAndClosingFreesALockedUi) {
  EdsCameraRef camera = openNew(defaultPtpBodyConfig());
  EXPECT_EQ(EDS_ERR_NOT_SUPPORTED, EdsSendStatusCommand(camera, 7, 0));
  EXPECT_EQ(EDS_ERR_NOT_SUPPORTED, EdsSendCommand(camera, 0x99, 0));
  EXPECT_EQ(EDS_ERR_OK, EdsSendStatusCommand(camera, kEdsCameraStatusCommand_UILock, 0));
  EXPECT_TRUE(body_->uiLocked());
  EdsRelease(camera);
  EXPECT_FALSE(body_->uiLocked());
  EXPECT_FALSE(body_->sessionOpen());
}

TEST_F(SimCommandTest, AutoPowerOffIsPutOffOnlyByAnAcceptedExtension) {
  sim_->useManualTime();
  SimCamera* body = sim_->addCamera(defaultPtpBodyConfig());
  body->setAutoPowerOff(1000, 5);
  EdsCameraRef camera = openCamera(0);
  auto extend = [&] { return EdsSendCommand(camera, kEdsCameraCommand_ExtendShutDownTimer, 0); };
  EXPECT_EQ(Lines(), after(999));
  for (uint32_t ms : {1, 1000, 1000}) {  // each extension puts the next warning a second off
    EXPECT_EQ(Lines({"state 0x303 5"}), after(ms));
    EXPECT_EQ(EDS_ERR_OK, extend());
  }
  body->refuseExtendShutdown(EDS_ERR_DEVICE_BUSY);
  EXPECT_EQ(Lines({"state 0x303 5"}), after(1000));
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, extend());
  EXPECT_EQ(Lines(), after(4999));
  EXPECT_TRUE(body->poweredOn());
  EXPECT_EQ(Lines({"state 0x301 0"}), after(1));
  EXPECT_FALSE(body->poweredOn());
}

}  // namespace
