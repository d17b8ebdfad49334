#include "camera/image_quality.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string decode(uint32_t value, size_t size = 64) {
  char buffer[64];
  decodeImageQuality(value, buffer, size);
  return buffer;
}

}  // namespace

// Legacy bodies (0) get an empty secondary and no bit 22; PTP bodies their own empty secondary.
TEST(PropertyImageQualityTest, AdjustingForTheBody) {
  EXPECT_EQ(0x0024000Fu, adjustImageQuality(0x00640000, 0));  // "RAW"
  EXPECT_EQ(0x00240013u, adjustImageQuality(0x00640013, 0));  // "RAW+L"
  EXPECT_EQ(0x00640F0Fu, adjustImageQuality(0x00640000, 1));
  EXPECT_EQ(0x02640212u, adjustImageQuality(0x02640212, 7));
}

TEST(PropertyImageQualityTest, DecodesValuesOutsideTheTable) {
  std::string names;
  for (uint32_t value : {0x0013FF0F, 0x0024000F, 0x01120F0F, 0x06130F0F, 0x00240212, 0x02240513,
                         0x00000000, 0x00830000}) {
    names += decode(value) + " ";
  }
  EXPECT_EQ("L RAW Mn M2 RAW+Sn sRAW+M1 ??? ??? ", names);
  EXPECT_EQ("L", decode(0x07130F0F));     // an unknown size reads as L
  EXPECT_EQ("sRAW", decode(0x0244000F));  // bit 22 alone also means RAW
  EXPECT_EQ("RAW", decode(0x00640F0F));   // secondary format 0: no "+"
  EXPECT_EQ("sRA", decode(0x02240513, 4));
  EXPECT_EQ("", decode(0x00130000, 1));
}
