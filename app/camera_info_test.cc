#include "app/camera_info.h"

#include <gtest/gtest.h>

#include <string>

#include "camera/camera_test_support.h"

namespace {

class CameraInfoTest : public camera_test::SimCameraTest {
 protected:
  void TearDown() override {
    g_canonInterface = nullptr;
    SimCameraTest::TearDown();
  }
  void publish() {
    start();
    g_canonInterface = sdk_.get();
  }
};

const char kDefaults[] =
    "Def. after shot timeout: 450 ms\n"
    "Def. timeout multiplier: 1.0 x \n"
    "Def. buffer size       : 5\n"
    "Def. buffer allocation timeout: 5000 ms\n";

TEST_F(CameraInfoTest, PrintsAPtpCamera) {
  publish();
  camera_test::ConsoleCapture console;
  EXPECT_EQ(0, printCameraInfo(0));
  const std::string available = std::to_string(ptpBody_->propertyValue(kEdsPropID_AvailableShots));
  EXPECT_EQ(std::string("\nCamera      : Canon EOS 5D Mark IV (simulated)\n"
                        "Protocol    : PTP\n"
                        "Port        : sim:0\n"
                        "Volume      : 96000000000\n"
                        "Free        : 91000000000 (94.8%)\n"
                        "Available   : ") +
                available +
                " shots\n"
                "Battery     : 85%\n"
                "Image format: L\n"
                "AE mode     : M\n"
                "Drive mode  : Continuous\n"
                "Metering    : Evaluative\n"
                "ISO         : 100\n"
                "Av          : 5.6\n"
                "Tv          : 1/125\n" +
                kDefaults,
            console.out());
  EXPECT_EQ("", console.err());
  // The controls were locked for the listing and the session closed afterwards.
  EXPECT_EQ("Session ready\n", camera_test::linesStartingWith(traces(), {"Session"}));
  std::string calls;
  for (const std::string& line : ptpBody_->commandLog()) {
    if (line.rfind("SendStatusCommand", 0) == 0 || line.rfind("CloseSession", 0) == 0) {
      calls += line + "\n";
    }
  }
  EXPECT_EQ(
      "SendStatusCommand 0 -> 0x0\nSendStatusCommand 1 -> 0x0\nSendStatusCommand 1 -> 0x0\n"
      "CloseSession -> 0x0\n",
      calls);
  EXPECT_FALSE(ptpBody_->sessionOpen());
}

TEST_F(CameraInfoTest, PrintsALegacyCameraWithItsOddValues) {
  legacyBody_->setBattery(0xFFFFFFFF);
  legacyBody_->setPropertyValue(kEdsPropID_MeteringMode, 9);
  legacyBody_->failPropertyRead(kEdsPropID_AvailableShots, 0x81);
  publish();
  camera_test::ConsoleCapture console;
  EXPECT_EQ(0, printCameraInfo(1));
  EXPECT_EQ(std::string("\nCamera      : Canon EOS 350D (simulated)\n"
                        "Protocol    : Legacy\n"
                        "Port        : sim:1\n"
                        "Volume      : 2000000000\n"
                        "Free        : 1500000000 (75.0%)\n"
                        "Available   : 0 shots\n"
                        "Battery     : 101%\n"
                        "Image format: L\n"
                        "AE mode     : M\n"
                        "Drive mode  : Continuous\n"
                        "Metering    : ?\n"
                        "ISO         : 100\n"
                        "Av          : 5.6\n"
                        "Tv          : 1/60\n") +
                kDefaults,
            console.out());
}

TEST_F(CameraInfoTest, ACameraWithoutSessionPrintsEmptyIdentityAndFallbacks) {
  ptpBody_->failOpenSession(0x2003);
  publish();
  camera_test::ConsoleCapture console;
  EXPECT_EQ(0, printCameraInfo(0));
  EXPECT_EQ(std::string("\nCamera      : \n"
                        "Protocol    : Legacy\n"
                        "Port        : \n"
                        "Volume      : 0\n"
                        "Free        : 0 ( 0.0%)\n"
                        "Available   : 0 shots\n"
                        "Battery     :  0%\n"
                        "Image format: \n"
                        "AE mode     : \n"
                        "Drive mode  : \n"
                        "Metering    : \n"
                        "ISO         : \n"
                        "Av          : \n"
                        "Tv          : \n") +
                kDefaults,
            console.out());
}

TEST_F(CameraInfoTest, MissingCameraAndUnreadySdk) {
  publish();
  {
    camera_test::ConsoleCapture console;
    EXPECT_EQ(2, printCameraInfo(2));
    EXPECT_EQ(2, printCameraInfo(-1));
    EXPECT_EQ("", console.out());
    EXPECT_EQ("Camera not found: Device not found\nCamera not found: Device not found\n",
              console.err());
  }
  g_canonInterface = nullptr;
  sdk_.reset();
  sim_->failInitialize(0xC2);
  publish();
  camera_test::ConsoleCapture console;
  EXPECT_EQ(1, printCameraInfo(0));
  EXPECT_EQ("Canon interface not ready: Incompatible device\n", console.err());
  EXPECT_EQ("", console.out());
}

}  // namespace
