#include "camera/error_text.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(EdsErrorTextTest, EveryRowOnceAndLookupByTheLow16Bits) {
  size_t count = 0;
  const EdsErrorRow* rows = edsErrorRows(&count);
  ASSERT_EQ(118u, count);
  std::set<uint32_t> codes;
  for (size_t i = 0; i < count; ++i) {
    EXPECT_TRUE(codes.insert(rows[i].code).second) << std::hex << rows[i].code;
    EXPECT_STREQ(rows[i].text, edsErrorText(rows[i].code));
  }
  const struct {
    uint32_t code;
    const char* text;
  } cases[] = {
      // A few rows from every block, byte for byte.
      {0x2E, "File naming error"},
      {0x50, "Property (and additional property information) unavailable"},
      {0xA9, "Permission error"},
      {0xF0, "Enumeration terminated (there was no suitable enumeration item)"},
      {0x2020, "Unsupported destination specification"},
      {0xA102, "Image data set not ready for live view"},
      {0x8D08, "Card write protected"},
      {0x12342003, "Session open error"},
      {0xFFFF2003, "Session open error"},
      {0x00010080, "Device not found"},
      {0x00010000, "OK"},
      {0xC, "Unknown error"},
      {0x52, "Unknown error"},
      {0x2005, "Unknown error"},
      {0xFFFFFFFF, "Unknown error"},
  };
  for (const auto& c : cases) EXPECT_STREQ(c.text, edsErrorText(c.code)) << std::hex << c.code;
}

TEST(EdsErrorTextTest, CaptureErrorsOneToEightByTheFullNumber) {
  const char* const texts[] = {
      "Unknown error",
      "Shooting failure",
      "The lens was closed",
      "General errors from the shooting mode, such as errors from the bulb or mirror-up mechanism",
      "Sensor cleaning",
      "Error because the camera was set for silent operation (in PF21)",
      "Prohibited settings using CFn-2, and no card inserted",
      "Card error (including CARD-FULL/No.-FULL)",
      "Write-protected",
      "Unknown error",
  };
  for (uint32_t code = 0; code < 10; ++code) EXPECT_STREQ(texts[code], captureErrorText(code));
  EXPECT_STREQ("Unknown error", captureErrorText(0x10001));
}
