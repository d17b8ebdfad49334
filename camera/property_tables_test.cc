#include "camera/property_tables.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// The code a name looks up to, or 0xFFFFFFFF when the table refuses it.
uint32_t codeOf(const PropertyTable& table, const char* name) {
  uint32_t code = 0xFFFFFFFF;
  table.codeOf(name, &code);
  return code;
}

std::string nameOf(const PropertyTable& table, uint32_t code) {
  const char* name = table.displayName(code);
  return name != nullptr ? name : "(none)";
}

}  // namespace

TEST(PropertyTablesTest, RowCounts) {
  EXPECT_EQ(32u, imageQualityTable().size());
  EXPECT_EQ(40u, aeModeTable().size());
  EXPECT_EQ(53u, driveModeTable().size());
  EXPECT_EQ(19u, isoTable().size());
  EXPECT_EQ(28u, meteringModeTable().size());
  EXPECT_EQ(53u, avTable().size());
  EXPECT_EQ(167u, tvTable().size());
}

TEST(PropertyTablesTest, TvRowsAscendWithTheirNamesInOrder) {
  const PropertyTable& tv = tvTable();
  for (size_t i = 1; i < tv.size(); ++i) EXPECT_LE(tv.row(i - 1).code, tv.row(i).code) << i;
  EXPECT_EQ(0x0Cu, tv.row(0).code);
  EXPECT_STREQ("Bulb", tv.row(0).name);
  EXPECT_STREQ("B", tv.row(3).name);
  EXPECT_STREQ("30\"", tv.row(4).name);
  EXPECT_STREQ("30s", tv.row(5).name);
  EXPECT_STREQ("30s", tv.row(6).name);  // listed twice
  EXPECT_STREQ("25\"", tv.row(7).name);
  EXPECT_EQ(0xA0u, tv.row(166).code);
  EXPECT_STREQ("8000", tv.row(166).name);
  EXPECT_STREQ("1/8000", tv.row(165).name);
}

TEST(PropertyTablesTest, FirstRowOfACodeGivesTheDisplayName) {
  EXPECT_EQ("20\"", nameOf(tvTable(), 0x14));
  EXPECT_EQ("20\"", nameOf(tvTable(), 0x15));
  EXPECT_EQ("3\"2", nameOf(tvTable(), 0x2B));
  EXPECT_EQ("0\"3", nameOf(tvTable(), 0x45));
  EXPECT_EQ("1\"", nameOf(tvTable(), 0x38));
  EXPECT_EQ("1/250", nameOf(tvTable(), 0x78));
  EXPECT_EQ("Bulb", nameOf(tvTable(), 0x0C));
  EXPECT_EQ("1.2", nameOf(avTable(), 0x0C));
  EXPECT_EQ("1.2", nameOf(avTable(), 0x0D));
  EXPECT_EQ("5.0", nameOf(avTable(), 0x2D));
  EXPECT_EQ("Spot", nameOf(meteringModeTable(), 1));
  EXPECT_EQ("Averaging", nameOf(meteringModeTable(), 5));
  EXPECT_EQ("HContinuous", nameOf(driveModeTable(), 4));
  EXPECT_EQ("A-DEP", nameOf(aeModeTable(), 5));
  EXPECT_EQ("sRAW+M2n", nameOf(imageQualityTable(), 0x02640612));
  EXPECT_EQ("(none)", nameOf(isoTable(), 0));  // automatic ISO has no row
  EXPECT_EQ("(none)", nameOf(tvTable(), 0x5E));
}

TEST(PropertyTablesTest, FirstRowOfANameGivesTheCode) {
  EXPECT_EQ(0x0Du, codeOf(avTable(), "1.2"));
  EXPECT_EQ(0x14u, codeOf(avTable(), "1.8"));
  EXPECT_EQ(0x1Cu, codeOf(avTable(), "2.5"));
  EXPECT_EQ(0x24u, codeOf(avTable(), "3.5"));
  EXPECT_EQ(0x2Bu, codeOf(avTable(), "4.5"));
  EXPECT_EQ(0x43u, codeOf(avTable(), "13"));
  EXPECT_EQ(0x14u, codeOf(tvTable(), "20\""));
  EXPECT_EQ(0x1Cu, codeOf(tvTable(), "10s"));
  EXPECT_EQ(0x23u, codeOf(tvTable(), "6s"));
  EXPECT_EQ(0x4Cu, codeOf(tvTable(), "6"));  // a bare number is a fraction
  EXPECT_EQ(0x44u, codeOf(tvTable(), "3"));
  EXPECT_EQ(0x44u, codeOf(tvTable(), "0.3s"));
  EXPECT_EQ(0x40u, codeOf(tvTable(), "2"));
  EXPECT_EQ(0x30u, codeOf(tvTable(), "2s"));
  EXPECT_EQ(0x38u, codeOf(tvTable(), "1"));
  EXPECT_EQ(0x53u, codeOf(tvTable(), "1/10"));
  EXPECT_EQ(0x5Bu, codeOf(tvTable(), "20"));
  EXPECT_EQ(0x2Bu, codeOf(tvTable(), "3\"2"));
  EXPECT_EQ(0x2Bu, codeOf(tvTable(), "3.2\""));
  EXPECT_EQ(0x48u, codeOf(tvTable(), "4"));
  EXPECT_EQ(0x0Cu, codeOf(tvTable(), "B"));
  EXPECT_EQ(0x28u, codeOf(isoTable(), "6"));
  EXPECT_EQ(0x00640013u, codeOf(imageQualityTable(), "RAW+L"));
}

TEST(PropertyTablesTest, NamesAreExactAndCaseSensitive) {
  EXPECT_EQ(1u, codeOf(meteringModeTable(), "spot"));
  EXPECT_EQ(1u, codeOf(meteringModeTable(), "Spot"));
  EXPECT_EQ(1u, codeOf(meteringModeTable(), "SPOT"));
  EXPECT_EQ(1u, codeOf(meteringModeTable(), "1"));
  EXPECT_EQ(3u, codeOf(meteringModeTable(), "2"));
  EXPECT_EQ(0xFFFFFFFFu, codeOf(meteringModeTable(), "sPot"));
  EXPECT_EQ(0xFFFFFFFFu, codeOf(meteringModeTable(), "Spot "));
  EXPECT_EQ(0xFFFFFFFFu, codeOf(meteringModeTable(), ""));
  EXPECT_EQ(1u, codeOf(driveModeTable(), "Cont"));
  EXPECT_EQ(1u, codeOf(driveModeTable(), "cont"));
  EXPECT_EQ(0xFFFFFFFFu, codeOf(driveModeTable(), "cONT"));
  EXPECT_EQ(5u, codeOf(driveModeTable(), "L"));
  EXPECT_EQ(0u, codeOf(driveModeTable(), "s"));
  EXPECT_EQ(2u, codeOf(aeModeTable(), "AV"));
  EXPECT_EQ(0xFFFFFFFFu, codeOf(aeModeTable(), "aV"));
  EXPECT_EQ(0xFFFFFFFFu, codeOf(tvTable(), "1/3"));
  EXPECT_EQ(0xFFFFFFFFu, codeOf(tvTable(), "7s"));
  EXPECT_EQ(0xFFFFFFFFu, codeOf(imageQualityTable(), "raw"));
  uint32_t untouched = 42;
  EXPECT_FALSE(tvTable().codeOf(nullptr, &untouched));
  EXPECT_EQ(42u, untouched);
}

TEST(PropertyTablesTest, CodePairsMapBothWaysAndOtherCodesToThemselves) {
  EXPECT_EQ(0x0Du, avCodePairs().toSecond(0x0C));
  EXPECT_EQ(0x0Cu, avCodePairs().toFirst(0x0D));
  EXPECT_EQ(0x43u, avCodePairs().toSecond(0x44));
  EXPECT_EQ(0x44u, avCodePairs().toFirst(0x43));
  EXPECT_EQ(0x20u, avCodePairs().toSecond(0x20));
  EXPECT_EQ(0x20u, avCodePairs().toFirst(0x20));
  EXPECT_EQ(0x23u, tvCodePairs().toSecond(0x24));
  EXPECT_EQ(0x24u, tvCodePairs().toFirst(0x23));
  EXPECT_EQ(0x53u, tvCodePairs().toSecond(0x54));
  EXPECT_EQ(0x4Du, tvCodePairs().toSecond(0x4C));
  EXPECT_EQ(0x5Bu, tvCodePairs().toSecond(0x5B));  // a second member stays
  EXPECT_EQ(0x78u, tvCodePairs().toFirst(0x78));
}

TEST(PropertyTablesTest, ExposureOfEveryTvCodeAndUnknownCodes) {
  std::set<uint32_t> codes;
  for (size_t i = 0; i < tvTable().size(); ++i) codes.insert(tvTable().row(i).code);
  ASSERT_EQ(74u, codes.size());
  for (uint32_t code : codes) EXPECT_NE(1000u, tvExposureMs(code)) << std::hex << code;
  EXPECT_EQ(1155u, tvExposureMs(0x0C));
  EXPECT_EQ(33055u, tvExposureMs(0x10));
  EXPECT_EQ(22055u, tvExposureMs(0x15));
  EXPECT_EQ(6655u, tvExposureMs(0x23));
  EXPECT_EQ(3575u, tvExposureMs(0x2B));
  EXPECT_EQ(1155u, tvExposureMs(0x38));
  EXPECT_EQ(385u, tvExposureMs(0x45));
  EXPECT_EQ(275u, tvExposureMs(0x4B));
  EXPECT_EQ(165u, tvExposureMs(0x58));
  EXPECT_EQ(110u, tvExposureMs(0x5B));
  EXPECT_EQ(110u, tvExposureMs(0x88));
  EXPECT_EQ(55u, tvExposureMs(0x8B));
  EXPECT_EQ(55u, tvExposureMs(0xA0));
  EXPECT_EQ(1000u, tvExposureMs(0));
  EXPECT_EQ(1000u, tvExposureMs(0x5E));  // inside a range but not a Tv code
  EXPECT_EQ(1000u, tvExposureMs(0xA3));
  EXPECT_EQ(1000u, tvExposureMs(0xFFFFFFFF));
}
