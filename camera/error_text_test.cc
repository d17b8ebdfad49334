#include "camera/error_text.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(EdsErrorTextTest, EveryRowOnceAndLookupByTheLow16Bits) {
  size_t count = 0;
  const EdsErrorRow* rows = edsErrorRows(&count);
  std::set<uint32_t> codes;
  for (size_t i = 0; i < count; ++i) {
    EXPECT_TRUE(codes.insert(rows[i].code).second) << std::hex << rows[i].code;
    EXPECT_STREQ(rows[i].text, edsErrorText(rows[i].code));
  }
  const struct {
    uint32_t code;
    const char* text;
  } cases[] = {
      {0xFFFF2003, "Session open error"},
      {0x00010000, "OK"},
      {0x52, "Unknown error"},
      {0xFFFFFFFF, "Unknown error"},
  };
  for (const auto& c : cases) EXPECT_STREQ(c.text, edsErrorText(c.code)) << std::hex << c.code;
}

// Capture errors by their full number; a shot's result carries one apart from the SDK's codes.
TEST(EdsErrorTextTest, CaptureErrorsAndShotResults) {
  EXPECT_STREQ("Unknown error", captureErrorText(0));
  EXPECT_STREQ("Unknown error", captureErrorText(0x10001));
  EXPECT_STREQ("Not supported", shotResultText(7));
  EXPECT_STREQ("Card error (including CARD-FULL/No.-FULL)", shotResultText(captureErrorResult(7)));
  EXPECT_STREQ("Unknown error", shotResultText(captureErrorResult(0x10001)));
}
