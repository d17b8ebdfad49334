#include "app/camera_list.h"

#include <gtest/gtest.h>

#include <string>

#include "camera/camera_test_support.h"

namespace {

using CameraListTest = camera_test::SimCameraTest;

TEST_F(CameraListTest, ListsEveryCameraWithItsProtocol) {
  SimBodyConfig config = defaultPtpBodyConfig();
  config.description = "Canon EOS R5";
  config.portName = "usb:001,004";
  config.deviceSubType = 7;
  for (int i = 0; i < 9; ++i) sim_->addCamera(config);  // eleven: two-digit indices
  publish();
  camera_test::ConsoleCapture console;
  EXPECT_EQ(0, listCameras());
  std::string expected =
      "\nCameras found: 11\n\n"
      " 0: Canon EOS 5D Mark IV (simulated) /PTP on port sim:0\n"
      " 1: Canon EOS 350D (simulated) /Legacy on port sim:1\n";
  for (int i = 2; i < 11; ++i) {
    expected += (i < 10 ? " " : "") + std::to_string(i);
    expected += ": Canon EOS R5 /PTP on port usb:001,004\n";
  }
  expected += "\n";
  EXPECT_EQ(expected, console.out());
  EXPECT_EQ("", console.err());
}

}  // namespace
