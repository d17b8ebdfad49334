#include "camera/error_text.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(EdsErrorTextTest, TableHasEveryRowOnceWithItsText) {
  size_t count = 0;
  const EdsErrorRow* rows = edsErrorRows(&count);
  ASSERT_EQ(118u, count);
  std::set<uint32_t> codes;
  for (size_t i = 0; i < count; ++i) {
    EXPECT_TRUE(codes.insert(rows[i].code).second) << std::hex << rows[i].code;
    EXPECT_STREQ(rows[i].text, edsErrorText(rows[i].code));
  }
  // First, last and a few rows from every block, byte for byte.
  EXPECT_STREQ("OK", edsErrorText(0));
  EXPECT_STREQ("Not supported", edsErrorText(7));
  EXPECT_STREQ("File naming error", edsErrorText(0x2E));
  EXPECT_STREQ("Property (and additional property information) unavailable", edsErrorText(0x50));
  EXPECT_STREQ("Device not found", edsErrorText(0x80));
  EXPECT_STREQ("Device busy! Camera unstable!", edsErrorText(0x81));
  EXPECT_STREQ("Permission error", edsErrorText(0xA9));
  EXPECT_STREQ("Enumeration terminated (there was no suitable enumeration item)",
               edsErrorText(0xF0));
  EXPECT_STREQ("Session open error", edsErrorText(0x2003));
  EXPECT_STREQ("Unsupported destination specification", edsErrorText(0x2020));
  EXPECT_STREQ("Image data set not ready for live view", edsErrorText(0xA102));
  EXPECT_STREQ("Card write protected", edsErrorText(0x8D08));
}

TEST(EdsErrorTextTest, OnlyTheLow16BitsAreCompared) {
  EXPECT_STREQ("Session open error", edsErrorText(0x12342003));
  EXPECT_STREQ("Session open error", edsErrorText(0xFFFF2003));
  EXPECT_STREQ("Device not found", edsErrorText(0x00010080));
  EXPECT_STREQ("OK", edsErrorText(0x00010000));
}

TEST(EdsErrorTextTest, CodesWithoutARowAreUnknown) {
  EXPECT_STREQ("Unknown error", edsErrorText(0xC));
  EXPECT_STREQ("Unknown error", edsErrorText(0x52));
  EXPECT_STREQ("Unknown error", edsErrorText(0x2005));
  EXPECT_STREQ("Unknown error", edsErrorText(0xFFFFFFFF));
}

TEST(EdsErrorTextTest, CaptureErrorsOneToEight) {
  EXPECT_STREQ("Shooting failure", captureErrorText(1));
  EXPECT_STREQ("The lens was closed", captureErrorText(2));
  EXPECT_STREQ(
      "General errors from the shooting mode, such as errors from the bulb or mirror-up mechanism",
      captureErrorText(3));
  EXPECT_STREQ("Sensor cleaning", captureErrorText(4));
  EXPECT_STREQ("Error because the camera was set for silent operation (in PF21)",
               captureErrorText(5));
  EXPECT_STREQ("Prohibited settings using CFn-2, and no card inserted", captureErrorText(6));
  EXPECT_STREQ("Card error (including CARD-FULL/No.-FULL)", captureErrorText(7));
  EXPECT_STREQ("Write-protected", captureErrorText(8));
  // The full number is compared: no low-bits rule here.
  EXPECT_STREQ("Unknown error", captureErrorText(0));
  EXPECT_STREQ("Unknown error", captureErrorText(9));
  EXPECT_STREQ("Unknown error", captureErrorText(0x10001));
}
