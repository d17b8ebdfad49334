#include "camera/property_tables.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>

namespace {

// The codes |names| look up to in |table|, e.g. "0x14 0x1c -" ("-": refused).
std::string codesOf(const PropertyTable& table, std::initializer_list<const char*> names) {
  std::string out;
  for (const char* name : names) {
    uint32_t code = 0;
    char text[16] = "-";
    if (table.codeOf(name, &code)) std::snprintf(text, sizeof(text), "0x%x", code);
    out += out.empty() ? text : std::string(" ") + text;
  }
  return out;
}

// The display names of |codes| in |table|, space-separated ("-": no row).
std::string namesOf(const PropertyTable& table, std::initializer_list<uint32_t> codes) {
  std::string out;
  for (uint32_t code : codes) {
    const char* name = table.displayName(code);
    out += (out.empty() ? "" : " ") + std::string(name != nullptr ? name : "-");
  }
  return out;
}

}  // namespace

// The first row of a code gives its display name, the first row of a name its code; a bare number
// is a fraction ("6" is 1/6, "6s" six seconds).
TEST(PropertyTablesTest, FirstRowWinsBothWays) {
  EXPECT_EQ("20\" 20\" 3\"2 Bulb -", namesOf(tvTable(), {0x14, 0x15, 0x2B, 0x0C, 0x5E}));
  EXPECT_EQ("1.2 1.2", namesOf(avTable(), {0x0C, 0x0D}));
  EXPECT_EQ("-", namesOf(isoTable(), {0}));  // automatic ISO has no row
  EXPECT_EQ("0xd 0x43", codesOf(avTable(), {"1.2", "13"}));
  EXPECT_EQ("0x14 0x1c 0x23 0x4c 0x44 0x2b 0x2b 0xc - -",
            codesOf(tvTable(), {"20\"", "10s", "6s", "6", "3", "3\"2", "3.2\"", "B", "1/3", "7s"}));
}

// Names are exact and case-sensitive except for the spellings the tables list.
TEST(PropertyTablesTest, NamesAreExact) {
  EXPECT_EQ("0x1 0x1 0x1 0x1 0x3 - - -",
            codesOf(meteringModeTable(), {"spot", "Spot", "SPOT", "1", "2", "sPot", "Spot ", ""}));
  EXPECT_EQ("0x1 0x1 - 0x5 0x0", codesOf(driveModeTable(), {"Cont", "cont", "cONT", "L", "s"}));
  EXPECT_EQ("0x2 -", codesOf(aeModeTable(), {"AV", "aV"}));
  uint32_t untouched = 42;
  EXPECT_FALSE(tvTable().codeOf(nullptr, &untouched));
  EXPECT_EQ(42u, untouched);
}

// Every Tv code of the table has an exposure; codes outside it get 1000 ms.
TEST(PropertyTablesTest, ExposureOfEveryTvCodeAndUnknownCodes) {
  const PropertyTable& tv = tvTable();
  for (size_t i = 0; i < tv.size(); ++i) {
    EXPECT_NE(1000u, tvExposureMs(tv.row(i).code)) << std::hex << tv.row(i).code;
  }
  const uint32_t cases[][2] = {{0x10, 33055}, {0xA0, 55},   {0, 1000},
                               {0x5E, 1000},  {0xA3, 1000}, {0xFFFFFFFF, 1000}};
  for (const auto& c : cases) EXPECT_EQ(c[1], tvExposureMs(c[0])) << std::hex << c[0];
}
