#include "camera/gphoto2/image_format_text.h"

#include <gtest/gtest.h>

namespace {

TEST(Gphoto2ImageFormatTextTest, PartsInAnyOrderAndSpelling) {
  struct Case {
    const char* text;
    EdsUInt32 code;
  } cases[] = {
      {"Large Fine JPEG", 0x00130000},
      {"Medium Normal JPEG", 0x01120000},
      {"RAW + Small Fine JPEG", 0x00640213},
      {"Small Fine JPEG + RAW", 0x00640213},
      {"sRAW1 + Large Fine JPEG", 0x01640013},
      {"mRAW", 0x01640000},
      {"  raw  ", 0x00640000},
      {"Medium2 Fine JPEG", 0x06130000},
  };
  for (const Case& c : cases) {
    EdsUInt32 code = 0;
    EXPECT_TRUE(imageQualityFromText(c.text, &code)) << c.text;
    EXPECT_EQ(c.code, code) << c.text;
  }
  for (const char* text : {"", "+", "RAW +", "RAW + RAW", "Large Fine JPEG + Small Fine JPEG",
                           "Large Superfine JPEG", "JPEG", "Tiny JPEG", "cRAW + Large Fine JPEG"}) {
    EdsUInt32 code = 0;
    EXPECT_FALSE(imageQualityFromText(text, &code)) << text;
  }
}

}  // namespace
