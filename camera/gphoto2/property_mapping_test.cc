#include "camera/gphoto2/property_mapping.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "camera/gphoto2/exposure_table.h"

namespace {

struct Expectation {
  EdsUInt32 code;
  const char* choice;  // the EOS driver's text for the code, or nullptr when it offers none
  EdsUInt32 readBack;  // the code that text reads as
};

// Every choice text the ptp2 driver shows for a property on EOS bodies.
std::vector<std::string> choicesOf(const Expectation* rows, size_t count) {
  std::vector<std::string> choices;
  for (size_t i = 0; i < count; ++i) {
    if (rows[i].choice != nullptr) choices.push_back(rows[i].choice);
  }
  return choices;
}

void expectAllCodes(EdsPropertyID property, const Expectation* rows, size_t count) {
  std::vector<std::string> choices = choicesOf(rows, count);
  for (size_t i = 0; i < count; ++i) {
    SCOPED_TRACE(testing::Message() << "code 0x" << std::hex << rows[i].code);
    std::string choice;
    bool found = choiceForCode(property, rows[i].code, choices, &choice);
    if (rows[i].choice == nullptr) {
      EXPECT_FALSE(found) << choice;
      continue;
    }
    ASSERT_TRUE(found);
    EXPECT_EQ(rows[i].choice, choice);
    EdsUInt32 code = 0;
    ASSERT_TRUE(codeFromChoiceText(property, choice, &code));
    EXPECT_EQ(rows[i].readBack, code);
  }
}

constexpr Expectation kTv[] = {
    {0x0C, "bulb", 0x0C},   {0x10, "30", 0x10},     {0x13, "25", 0x13},     {0x14, "20", 0x15},
    {0x15, "20", 0x15},     {0x18, "15", 0x18},     {0x1B, "13", 0x1B},     {0x1C, "10", 0x1D},
    {0x1D, "10", 0x1D},     {0x20, "8", 0x20},      {0x23, "6", 0x23},      {0x24, "6", 0x23},
    {0x25, "5", 0x25},      {0x28, "4", 0x28},      {0x2B, "3.2", 0x2B},    {0x2C, "3", 0x2C},
    {0x2D, "2.5", 0x2D},    {0x30, "2", 0x30},      {0x33, "1.6", 0x33},    {0x34, "1.5", 0x34},
    {0x35, "1.3", 0x35},    {0x38, "1", 0x38},      {0x3B, "0.8", 0x3B},    {0x3C, "0.7", 0x3C},
    {0x3D, "0.6", 0x3D},    {0x40, "0.5", 0x40},    {0x43, "0.4", 0x43},    {0x44, "0.3", 0x45},
    {0x45, "0.3", 0x45},    {0x48, "1/4", 0x48},    {0x4B, "1/5", 0x4B},    {0x4C, "1/6", 0x4D},
    {0x4D, "1/6", 0x4D},    {0x50, "1/8", 0x50},    {0x53, "1/10", 0x53},   {0x54, "1/10", 0x53},
    {0x55, "1/13", 0x55},   {0x58, "1/15", 0x58},   {0x5B, "1/20", 0x5B},   {0x5C, "1/20", 0x5B},
    {0x5D, "1/25", 0x5D},   {0x60, "1/30", 0x60},   {0x63, "1/40", 0x63},   {0x64, "1/45", 0x64},
    {0x65, "1/50", 0x65},   {0x68, "1/60", 0x68},   {0x6B, "1/80", 0x6B},   {0x6C, "1/90", 0x6C},
    {0x6D, "1/100", 0x6D},  {0x70, "1/125", 0x70},  {0x73, "1/160", 0x73},  {0x74, "1/180", 0x74},
    {0x75, "1/200", 0x75},  {0x78, "1/250", 0x78},  {0x7B, "1/320", 0x7B},  {0x7C, "1/350", 0x7C},
    {0x7D, "1/400", 0x7D},  {0x80, "1/500", 0x80},  {0x83, "1/640", 0x83},  {0x84, "1/750", 0x84},
    {0x85, "1/800", 0x85},  {0x88, "1/1000", 0x88}, {0x8B, "1/1250", 0x8B}, {0x8C, "1/1500", 0x8C},
    {0x8D, "1/1600", 0x8D}, {0x90, "1/2000", 0x90}, {0x93, "1/2500", 0x93}, {0x94, "1/3000", 0x94},
    {0x95, "1/3200", 0x95}, {0x98, "1/4000", 0x98}, {0x9B, "1/5000", 0x9B}, {0x9C, "1/6000", 0x9C},
    {0x9D, "1/6400", 0x9D}, {0xA0, "1/8000", 0xA0},
};

constexpr Expectation kAv[] = {
    {0x08, "1", 0x08},   {0x0B, "1.1", 0x0B}, {0x0C, "1.2", 0x0D}, {0x0D, "1.2", 0x0D},
    {0x10, "1.4", 0x10}, {0x13, "1.6", 0x13}, {0x14, "1.8", 0x15}, {0x15, "1.8", 0x15},
    {0x18, "2", 0x18},   {0x1B, "2.2", 0x1B}, {0x1C, "2.5", 0x1D}, {0x1D, "2.5", 0x1D},
    {0x20, "2.8", 0x20}, {0x23, "3.2", 0x23}, {0x24, "3.5", 0x25}, {0x25, "3.5", 0x25},
    {0x28, "4", 0x28},   {0x2B, "4.5", 0x2C}, {0x2C, "4.5", 0x2C}, {0x2D, "5", 0x2D},
    {0x30, "5.6", 0x30}, {0x33, "6.3", 0x33}, {0x34, "6.7", 0x34}, {0x35, "7.1", 0x35},
    {0x38, "8", 0x38},   {0x3B, "9", 0x3B},   {0x3C, "9.5", 0x3C}, {0x3D, "10", 0x3D},
    {0x40, "11", 0x40},  {0x43, "13", 0x43},  {0x44, "13", 0x43},  {0x45, "14", 0x45},
    {0x48, "16", 0x48},  {0x4B, "18", 0x4B},  {0x4C, "19", 0x4C},  {0x4D, "20", 0x4D},
    {0x50, "22", 0x50},  {0x53, "25", 0x53},  {0x54, "27", 0x54},  {0x55, "29", 0x55},
    {0x58, "32", 0x58},  {0x5B, "36", 0x5B},  {0x5C, "38", 0x5C},  {0x5D, "40", 0x5D},
    {0x60, "45", 0x60},  {0x63, "51", 0x63},  {0x64, "54", 0x64},  {0x65, "57", 0x65},
    {0x68, "64", 0x68},  {0x6B, "72", 0x6B},  {0x6C, "76", 0x6C},  {0x6D, "80", 0x6D},
    {0x70, "91", 0x70},
};

constexpr Expectation kIso[] = {
    {0x28, "6", 0x28},    {0x30, "12", 0x30},   {0x38, "25", 0x38},   {0x40, "50", 0x40},
    {0x48, "100", 0x48},  {0x4B, "125", 0x4B},  {0x4D, "160", 0x4D},  {0x50, "200", 0x50},
    {0x53, "250", 0x53},  {0x55, "320", 0x55},  {0x58, "400", 0x58},  {0x5B, "500", 0x5B},
    {0x5D, "640", 0x5D},  {0x60, "800", 0x60},  {0x63, "1000", 0x63}, {0x65, "1250", 0x65},
    {0x68, "1600", 0x68}, {0x70, "3200", 0x70}, {0x78, "6400", 0x78}, {0, "Auto", 0},
};

constexpr Expectation kImageQuality[] = {
    {0x00130000, "Large Fine JPEG", 0x00130000},
    {0x01130000, "Medium Fine JPEG", 0x01130000},
    {0x05130000, nullptr, 0},
    {0x06130000, nullptr, 0},
    {0x02130000, "Small Fine JPEG", 0x02130000},
    {0x00120000, "Large Normal JPEG", 0x00120000},
    {0x01120000, "Medium Normal JPEG", 0x01120000},
    {0x05120000, nullptr, 0},
    {0x06120000, nullptr, 0},
    {0x02120000, "Small Normal JPEG", 0x02120000},
    {0x00640000, "RAW", 0x00640000},
    {0x00640013, "RAW + Large Fine JPEG", 0x00640013},
    {0x00640113, "RAW + Medium Fine JPEG", 0x00640113},
    {0x00640513, nullptr, 0},
    {0x00640613, nullptr, 0},
    {0x00640213, "RAW + Small Fine JPEG", 0x00640213},
    {0x00640012, "RAW + Large Normal JPEG", 0x00640012},
    {0x00640112, "RAW + Medium Normal JPEG", 0x00640112},
    {0x00640512, nullptr, 0},
    {0x00640612, nullptr, 0},
    {0x00640212, "RAW + Small Normal JPEG", 0x00640212},
    {0x02640000, "sRAW", 0x02640000},
    {0x02640013, "sRAW + Large Fine JPEG", 0x02640013},
    {0x02640113, "sRAW + Medium Fine JPEG", 0x02640113},
    {0x02640513, nullptr, 0},
    {0x02640613, nullptr, 0},
    {0x02640213, "sRAW + Small Fine JPEG", 0x02640213},
    {0x02640012, "sRAW + Large Normal JPEG", 0x02640012},
    {0x02640112, "sRAW + Medium Normal JPEG", 0x02640112},
    {0x02640512, nullptr, 0},
    {0x02640612, nullptr, 0},
    {0x02640212, "sRAW + Small Normal JPEG", 0x02640212},
};

constexpr Expectation kAeModes[] = {
    {0, "P", 0},         {1, "TV", 1},          {2, "AV", 2},
    {3, "Manual", 3},    {4, "Bulb", 4},        {5, "A_DEP", 5},
    {6, "DEP", 6},       {9, "Green", 9},       {10, "Night Portrait", 10},
    {11, "Sports", 11},  {12, "Portrait", 12},  {13, "Landscape", 13},
    {14, "Closeup", 14}, {15, "Flash Off", 15},
};

constexpr Expectation kDriveModes[] = {
    {0, "Single", 0},
    {1, "Continuous", 1},
    {4, "Continuous high speed", 4},
    {5, "Continuous low speed", 5},
};

constexpr Expectation kMeteringModes[] = {
    {1, "Spot", 1},
    {3, "Evaluative", 3},
    {4, "Partial", 4},
    {5, "Center-weighted average", 5},
};

#define EXPECT_ALL_CODES(property, rows) \
  expectAllCodes(property, rows, sizeof rows / sizeof rows[0])

TEST(Gphoto2PropertyMappingTest, EveryCodeOfTheTablesFindsItsEosChoiceAndReadsBack) {
  size_t tvCount = 0, avCount = 0, isoCount = 0;
  tvRows(&tvCount);
  avRows(&avCount);
  isoRows(&isoCount);
  EXPECT_EQ(74u, tvCount);
  EXPECT_EQ(53u, avCount);
  EXPECT_EQ(19u, isoCount);
  EXPECT_EQ(tvCount, sizeof kTv / sizeof kTv[0]);
  EXPECT_EQ(avCount, sizeof kAv / sizeof kAv[0]);
  EXPECT_ALL_CODES(kEdsPropID_Tv, kTv);
  EXPECT_ALL_CODES(kEdsPropID_Av, kAv);
  EXPECT_ALL_CODES(kEdsPropID_ISOSpeed, kIso);
  EXPECT_ALL_CODES(kEdsPropID_ImageQuality, kImageQuality);
  EXPECT_ALL_CODES(kEdsPropID_AEMode, kAeModes);
  EXPECT_ALL_CODES(kEdsPropID_DriveMode, kDriveModes);
  EXPECT_ALL_CODES(kEdsPropID_MeteringMode, kMeteringModes);
}

TEST(Gphoto2PropertyMappingTest, OtherDriverSpellingsReadByMeaning) {
  struct Case {
    EdsPropertyID property;
    const char* text;
    EdsUInt32 code;
  } cases[] = {
      {kEdsPropID_Tv, "15\"", 0x18},
      {kEdsPropID_Tv, "3\"2", 0x2B},
      {kEdsPropID_Tv, "0\"3", 0x45},
      {kEdsPropID_Tv, "1\"", 0x38},
      {kEdsPropID_Tv, "20.3", 0x15},
      {kEdsPropID_Tv, "10.3", 0x1D},
      {kEdsPropID_Tv, "6.3", 0x23},
      {kEdsPropID_Tv, "auto", 0},
      {kEdsPropID_Tv, "Bulb", 0x0C},
      {kEdsPropID_Av, "f/2.8", 0x20},
      {kEdsPropID_Av, "f/5", 0x2D},
      {kEdsPropID_ISOSpeed, "Auto ISO", 0},
      {kEdsPropID_ImageQuality, "mRAW + Large Fine JPEG", 0x01640013},
      {kEdsPropID_ImageQuality, "sRAW2", 0x02640000},
      {kEdsPropID_AEMode, "Tv", 1},
      {kEdsPropID_AEMode, "A-DEP", 5},
      {kEdsPropID_MeteringMode, "center weighted average", 5},
  };
  for (const Case& c : cases) {
    EdsUInt32 code = 0xDEAD;
    EXPECT_TRUE(codeFromChoiceText(c.property, c.text, &code)) << c.text;
    EXPECT_EQ(c.code, code) << c.text;
  }
}

TEST(Gphoto2PropertyMappingTest, TextsWithoutAnSdkCodeAreNotGuessed) {
  struct Case {
    EdsPropertyID property;
    const char* text;
  } cases[] = {
      {kEdsPropID_Tv, "Unknown value df00"},
      {kEdsPropID_Tv, "1/0"},
      {kEdsPropID_Tv, "45"},
      {kEdsPropID_Av, "implicit auto"},
      {kEdsPropID_ISOSpeed, "2000"},
      {kEdsPropID_ISOSpeed, "100.5"},
      {kEdsPropID_ImageQuality, "cRAW"},
      {kEdsPropID_ImageQuality, "Tiny JPEG"},
      {kEdsPropID_ImageQuality, "RAW + RAW"},
      {kEdsPropID_DriveMode, "Single: Silent"},
      {kEdsPropID_DriveMode, "Timer 10 sec"},
      {kEdsPropID_AEMode, "Custom"},
  };
  for (const Case& c : cases) {
    EdsUInt32 code = 0;
    EXPECT_FALSE(codeFromChoiceText(c.property, c.text, &code)) << c.text << " -> " << code;
  }
}

TEST(Gphoto2PropertyMappingTest, WritesMatchTheValueNotTheNeighbour) {
  // A body in third stops offers 1/800 but not the half-stop 1/750, f/6.3 but not f/6.7.
  std::vector<std::string> tv = {"1/640", "1/800", "1/1000"};
  std::vector<std::string> av = {"5.6", "6.3", "7.1"};
  std::string choice;
  EXPECT_FALSE(choiceForCode(kEdsPropID_Tv, 0x84, tv, &choice));
  EXPECT_FALSE(choiceForCode(kEdsPropID_Av, 0x34, av, &choice));
  EXPECT_TRUE(choiceForCode(kEdsPropID_Av, 0x33, av, &choice));
  EXPECT_EQ("6.3", choice);
  // Codes outside the tables never match.
  EXPECT_FALSE(choiceForCode(kEdsPropID_Tv, 0x11, tv, &choice));
  EXPECT_FALSE(choiceForCode(kEdsPropID_ISOSpeed, 0x49, {"100", "125"}, &choice));
  // The camera code marks "no second image" in the low 16 bits; both forms mean plain L or RAW.
  std::vector<std::string> quality = {"RAW", "Large Fine JPEG"};
  ASSERT_TRUE(choiceForCode(kEdsPropID_ImageQuality, 0x00130F0F, quality, &choice));
  EXPECT_EQ("Large Fine JPEG", choice);
  ASSERT_TRUE(choiceForCode(kEdsPropID_ImageQuality, 0x00640F0F, quality, &choice));
  EXPECT_EQ("RAW", choice);
}

TEST(Gphoto2PropertyMappingTest, DescriptionsListEachCodeOnceInChoiceOrder) {
  std::vector<EdsInt32> codes = codesOfChoices(
      kEdsPropID_Tv, {"bulb", "20.3", "20", "Unknown value df00", "1/4", "0.3", "0.3"}, 128);
  EXPECT_EQ((std::vector<EdsInt32>{0x0C, 0x15, 0x48, 0x45}), codes);
  EXPECT_EQ((std::vector<EdsInt32>{0x0C, 0x15}),
            codesOfChoices(kEdsPropID_Tv, {"bulb", "20", "1/4"}, 2));
}

TEST(Gphoto2PropertyMappingTest, StatusTextsAndEventCodes) {
  EdsUInt32 value = 0;
  EXPECT_TRUE(batteryPercentFromText("75%", &value));
  EXPECT_EQ(75u, value);
  EXPECT_TRUE(batteryPercentFromText("Full", &value));
  EXPECT_EQ(100u, value);
  EXPECT_TRUE(batteryPercentFromText("Half", &value));
  EXPECT_EQ(50u, value);
  EXPECT_TRUE(batteryPercentFromText("Empty", &value));
  EXPECT_EQ(0u, value);
  EXPECT_FALSE(batteryPercentFromText("", &value));
  EXPECT_FALSE(batteryPercentFromText("-5%", &value));
  EXPECT_TRUE(countFromText("512", &value));
  EXPECT_EQ(512u, value);
  EXPECT_FALSE(countFromText("99999999999", &value));

  EXPECT_EQ(kEdsPropID_Tv, propertyForPtpCode(0xD102));
  EXPECT_EQ(kEdsPropID_Av, propertyForPtpCode(0xD101));
  EXPECT_EQ(kEdsPropID_ISOSpeed, propertyForPtpCode(0xD103));
  EXPECT_EQ(kEdsPropID_AEMode, propertyForPtpCode(0xD105));
  EXPECT_EQ(kEdsPropID_DriveMode, propertyForPtpCode(0xD106));
  EXPECT_EQ(kEdsPropID_MeteringMode, propertyForPtpCode(0xD107));
  EXPECT_EQ(kEdsPropID_BatteryLevel, propertyForPtpCode(0xD111));
  EXPECT_EQ(kEdsPropID_AvailableShots, propertyForPtpCode(0xD11B));
  EXPECT_EQ(kEdsPropID_ImageQuality, propertyForPtpCode(0xD120));
  EXPECT_EQ(kEdsPropID_Av, propertyForPtpCode(0x5007));
  EXPECT_EQ(0u, propertyForPtpCode(0xD11C));
}

}  // namespace
