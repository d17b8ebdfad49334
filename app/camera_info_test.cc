#include "app/camera_info.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <iterator>
#include <string>

#include "camera/camera_test_support.h"

namespace {

using CameraInfoTest = camera_test::SimCameraTest;

// The listing of a camera with |values| after the labels, then the default capture settings.
std::string listing(std::initializer_list<std::string> values) {
  static const char* const kLabels[] = {
      "Camera      : ", "Protocol    : ", "Port        : ", "Volume      : ", "Free        : ",
      "Available   : ", "Battery     : ", "Image format: ", "AE mode     : ", "Drive mode  : ",
      "Metering    : ", "ISO         : ", "Av          : ", "Tv          : "};
  EXPECT_EQ(std::size(kLabels), values.size());
  std::string out = "\n";
  const char* const* label = kLabels;
  for (const std::string& value : values) out += *label++ + value + "\n";
  return out +
         "Def. after shot timeout: 450 ms\n"
         "Def. timeout multiplier: 1.0 x \n"
         "Def. buffer size       : 5\n"
         "Def. buffer allocation timeout: 5000 ms\n";
}

TEST_F(CameraInfoTest, PrintsALegacyCameraWithItsOddValues) {
  legacyBody_->setBattery(0xFFFFFFFF);
  legacyBody_->setPropertyValue(kEdsPropID_MeteringMode, 9);
  legacyBody_->failPropertyRead(kEdsPropID_AvailableShots, 0x81);
  publish();
  camera_test::ConsoleCapture console;
  EXPECT_EQ(0, printCameraInfo(1));
  EXPECT_EQ(
      listing({"Canon EOS 350D (simulated)", "Legacy", "sim:1", "2000000000", "1500000000 (75.0%)",
               "0 shots", "101%", "L", "M", "Continuous", "?", "100", "5.6", "1/60"}),
      console.out());
}

TEST_F(CameraInfoTest, ACameraWithoutSessionPrintsEmptyIdentityAndFallbacks) {
  ptpBody_->failOpenSession(0x2003);
  publish();
  camera_test::ConsoleCapture console;
  EXPECT_EQ(0, printCameraInfo(0));
  EXPECT_EQ(listing({"", "", "", "0", "0 ( 0.0%)", "0 shots", " 0%", "", "", "", "", "", "", ""}),
            console.out());
}

}  // namespace
