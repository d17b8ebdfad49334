#include "camera/gphoto2/property_mapping.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// Every choice the EOS driver offers reads as a code, and that code finds the same choice among
// all of them (a value with two codes reads as the one the backend reports).
void expectRoundTrips(EdsPropertyID property, const std::vector<std::string>& choices) {
  for (const std::string& text : choices) {
    EdsUInt32 code = 0;
    ASSERT_TRUE(codeFromChoiceText(property, text, &code)) << text;
    std::string choice;
    EXPECT_TRUE(choiceForCode(property, code, choices, &choice)) << text;
    EXPECT_EQ(text, choice) << std::hex << code;
  }
}

std::vector<std::string> words(const char* texts) {
  std::istringstream in(texts);
  std::vector<std::string> out;
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

// A few rows per table: the ends, values of a code pair, third and half stops.
TEST(Gphoto2PropertyMappingTest, EosChoicesReadAsACodeThatFindsItAgain) {
  expectRoundTrips(kEdsPropID_Tv,
                   words("bulb 30 20 13 10 6 3.2 1.3 0.3 1/4 1/6 1/45 1/350 1/8000"));
  expectRoundTrips(kEdsPropID_Av, words("1 1.2 2.8 6.3 6.7 7.1 9.5 13 91"));
  expectRoundTrips(kEdsPropID_ISOSpeed, words("Auto 6 100 125 6400"));
  std::vector<std::string> quality = {"RAW", "sRAW"};
  for (std::string raw : {"", "RAW + ", "sRAW + "}) {
    for (const char* compression : {" Fine JPEG", " Normal JPEG"}) {
      for (const char* size : {"Large", "Medium", "Small"}) {
        quality.push_back(raw + size + compression);
      }
    }
  }
  expectRoundTrips(kEdsPropID_ImageQuality, quality);
  expectRoundTrips(kEdsPropID_AEMode, {"P", "Manual", "A_DEP", "DEP", "Night Portrait"});
  expectRoundTrips(kEdsPropID_DriveMode, {"Single", "Continuous", "Continuous low speed"});
  expectRoundTrips(kEdsPropID_MeteringMode,
                   {"Spot", "Evaluative", "Partial", "Center-weighted average"});
}

constexpr EdsUInt32 kNone = 0xDEAD;  // not readable

void expectReads(EdsPropertyID property,
                 const std::vector<std::pair<std::string, EdsUInt32>>& cases) {
  for (const auto& c : cases) {
    EdsUInt32 code = kNone;
    EXPECT_EQ(c.second != kNone, codeFromChoiceText(property, c.first, &code)) << c.first;
    EXPECT_EQ(c.second, code) << c.first;
  }
}

TEST(Gphoto2PropertyMappingTest, OtherSpellingsReadByMeaningAndOthersAreNotGuessed) {
  expectReads(kEdsPropID_Tv, {{"15\"", 0x18}, {"3\"2", 0x2B}, {"0\"3", 0x45}, {"1\"", 0x38}});
  expectReads(kEdsPropID_Tv,
              {{"20.3", 0x15}, {"10.3", 0x1D}, {"6.3", 0x23}, {"auto", 0}, {"Bulb", 0x0C}});
  expectReads(kEdsPropID_Tv, {{"Unknown value df00", kNone}, {"1/0", kNone}, {"45", kNone}});
  expectReads(kEdsPropID_Av, {{"f/2.8", 0x20}, {"f/5", 0x2D}, {"implicit auto", kNone}});
  expectReads(kEdsPropID_ISOSpeed, {{"Auto ISO", 0}, {"2000", kNone}, {"100.5", kNone}});
  expectReads(kEdsPropID_AEMode, {{"Tv", 1}, {"A-DEP", 5}, {"Custom", kNone}});
  expectReads(kEdsPropID_DriveMode, {{"Single: Silent", kNone}, {"Timer 10 sec", kNone}});
  expectReads(kEdsPropID_MeteringMode, {{"center weighted average", 5}});
}

TEST(Gphoto2PropertyMappingTest, WritesMatchTheValueAndDescriptionsListEachCodeOnce) {
  // A third-stop body offers f/6.3 but not the half-stop f/6.7.
  std::string choice;
  EXPECT_FALSE(choiceForCode(kEdsPropID_Av, 0x34, {"5.6", "6.3", "7.1"}, &choice));
  EXPECT_TRUE(choiceForCode(kEdsPropID_Av, 0x33, {"5.6", "6.3", "7.1"}, &choice));
  EXPECT_EQ("6.3", choice);
  EXPECT_FALSE(choiceForCode(kEdsPropID_Tv, 0x11, {"1/640", "bulb"}, &choice));  // not in the table

  EXPECT_EQ((std::vector<EdsInt32>{0x0C, 0x15, 0x48, 0x45}),
            codesOfChoices(kEdsPropID_Tv,
                           {"bulb", "20.3", "20", "Unknown value df00", "1/4", "0.3", "0.3"}, 128));
  EXPECT_EQ((std::vector<EdsInt32>{0x0C, 0x15}),
            codesOfChoices(kEdsPropID_Tv, {"bulb", "20", "1/4"}, 2));
}

TEST(Gphoto2PropertyMappingTest, StatusTexts) {
  const std::map<std::string, EdsUInt32> battery = {{"75%", 75},  {"Full", 100}, {"Half", 50},
                                                    {"Empty", 0}, {"", kNone},   {"-5%", kNone}};
  for (const auto& c : battery) {
    EdsUInt32 value = kNone;
    EXPECT_EQ(c.second != kNone, batteryPercentFromText(c.first, &value)) << c.first;
    EXPECT_EQ(c.second, value) << c.first;
  }
  EdsUInt32 value = 0;
  EXPECT_TRUE(countFromText("512", &value));
  EXPECT_EQ(512u, value);
  EXPECT_FALSE(countFromText("99999999999", &value));
}

}  // namespace
