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
      {0xF0, "Enumeration terminated (there was no suitable enumeration item)"},
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
  EXPECT_STREQ("Unknown error", captureErrorText(0));
  EXPECT_STREQ("Shooting failure", captureErrorText(1));
  EXPECT_STREQ("Write-protected", captureErrorText(8));
  EXPECT_STREQ("Unknown error", captureErrorText(9));
  EXPECT_STREQ("Unknown error", captureErrorText(0x10001));
}
