#include "camera/gphoto2/property_mapping.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "camera/gphoto2/exposure_table.h"

namespace {

// Codes and their EOS choice texts (empty: the driver offers none).
using Rows = std::vector<std::pair<EdsUInt32, std::string>>;

// Tv and Av codes step in eighths of a stop: whole, third, half and two-thirds stops.
std::vector<EdsUInt32> stopCodes(EdsUInt32 first, EdsUInt32 last) {
  std::vector<EdsUInt32> codes;
  for (EdsUInt32 base = first; base <= last; base += 8) {
    for (EdsUInt32 step : {0, 3, 4, 5}) {
      if (base + step <= last) codes.push_back(base + step);
    }
  }
  return codes;
}

// Pairs |codes| with the blank-separated |texts|.
Rows zip(const std::vector<EdsUInt32>& codes, const char* texts) {
  std::istringstream in(texts);
  Rows rows;
  for (EdsUInt32 code : codes) {
    rows.emplace_back(code, "");
    in >> rows.back().second;
  }
  std::string extra;
  EXPECT_FALSE(in >> extra) << extra;
  return rows;
}

// Every code finds its EOS text among all the EOS texts, and the text reads back as the code (or,
// for a value with two codes, as the one in |twins|); codes without a text find none.
void expectAllCodes(EdsPropertyID property, const Rows& rows,
                    const std::map<EdsUInt32, EdsUInt32>& twins = {}) {
  std::vector<std::string> choices;
  for (const auto& row : rows) {
    if (!row.second.empty()) choices.push_back(row.second);
  }
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message()
                 << "property 0x" << std::hex << property << " code 0x" << row.first);
    std::string choice;
    bool found = choiceForCode(property, row.first, choices, &choice);
    if (row.second.empty()) {
      EXPECT_FALSE(found) << choice;
      continue;
    }
    ASSERT_TRUE(found);
    EXPECT_EQ(row.second, choice);
    EdsUInt32 code = 0;
    ASSERT_TRUE(codeFromChoiceText(property, choice, &code));
    auto twin = twins.find(row.first);
    EXPECT_EQ(twin == twins.end() ? row.first : twin->second, code);
  }
}

TEST(Gphoto2PropertyMappingTest, EveryCodeOfTheTablesFindsItsEosChoiceAndReadsBack) {
  size_t tvCount = 0, avCount = 0, isoCount = 0;
  tvRows(&tvCount);
  avRows(&avCount);
  isoRows(&isoCount);
  std::vector<EdsUInt32> tvCodes = {0x0C};
  for (EdsUInt32 code : stopCodes(0x10, 0xA0)) tvCodes.push_back(code);
  std::vector<EdsUInt32> avCodes = stopCodes(0x08, 0x70);
  ASSERT_EQ(tvCodes.size(), tvCount);
  ASSERT_EQ(avCodes.size(), avCount);
  EXPECT_EQ(19u, isoCount);

  // Of two codes for one value, the text reads back as the third-stop one.
  const std::map<EdsUInt32, EdsUInt32> tvTwins = {{0x14, 0x15}, {0x1C, 0x1D}, {0x24, 0x23},
                                                  {0x44, 0x45}, {0x4C, 0x4D}, {0x54, 0x53},
                                                  {0x5C, 0x5B}};
  const std::map<EdsUInt32, EdsUInt32> avTwins = {{0x0C, 0x0D}, {0x14, 0x15}, {0x1C, 0x1D},
                                                  {0x24, 0x25}, {0x2B, 0x2C}, {0x44, 0x43}};
  expectAllCodes(kEdsPropID_Tv,
                 zip(tvCodes,
                     "bulb 30 25 20 20 15 13 10 10 8 6 6 5 4 3.2 3 2.5 2 1.6 1.5 1.3 1 0.8 0.7 0.6 "
                     "0.5 0.4 0.3 0.3 1/4 1/5 1/6 1/6 1/8 1/10 1/10 1/13 1/15 1/20 1/20 1/25 1/30 "
                     "1/40 1/45 1/50 1/60 1/80 1/90 1/100 1/125 1/160 1/180 1/200 1/250 1/320 "
                     "1/350 1/400 1/500 1/640 1/750 1/800 1/1000 1/1250 1/1500 1/1600 1/2000 "
                     "1/2500 1/3000 1/3200 1/4000 1/5000 1/6000 1/6400 1/8000"),
                 tvTwins);
  expectAllCodes(kEdsPropID_Av,
                 zip(avCodes,
                     "1 1.1 1.2 1.2 1.4 1.6 1.8 1.8 2 2.2 2.5 2.5 2.8 3.2 3.5 3.5 4 4.5 4.5 5 5.6 "
                     "6.3 6.7 7.1 8 9 9.5 10 11 13 13 14 16 18 19 20 22 25 27 29 32 36 38 40 45 51 "
                     "54 57 64 72 76 80 91"),
                 avTwins);
  expectAllCodes(kEdsPropID_ISOSpeed,
                 {{0x28, "6"},    {0x30, "12"},   {0x38, "25"},   {0x40, "50"},   {0x48, "100"},
                  {0x4B, "125"},  {0x4D, "160"},  {0x50, "200"},  {0x53, "250"},  {0x55, "320"},
                  {0x58, "400"},  {0x5B, "500"},  {0x5D, "640"},  {0x60, "800"},  {0x63, "1000"},
                  {0x65, "1250"}, {0x68, "1600"}, {0x70, "3200"}, {0x78, "6400"}, {0, "Auto"}});

  // Large, Medium, Small; Fine, then Normal; JPEG alone, after RAW, after sRAW.
  const EdsUInt32 jpegCodes[] = {0x00130000, 0x01130000, 0x02130000, 0x00120000, 0x01120000,
                                 0x02120000, 0x00640013, 0x00640113, 0x00640213, 0x00640012,
                                 0x00640112, 0x00640212, 0x02640013, 0x02640113, 0x02640213,
                                 0x02640012, 0x02640112, 0x02640212};
  Rows quality;
  for (std::string raw : {"", "RAW + ", "sRAW + "}) {
    for (const char* compression : {" Fine JPEG", " Normal JPEG"}) {
      for (const char* size : {"Large", "Medium", "Small"}) {
        quality.emplace_back(jpegCodes[quality.size()], raw + size + compression);
      }
    }
  }
  quality.insert(quality.end(), {{0x00640000, "RAW"}, {0x02640000, "sRAW"}});
  // The EOS driver offers no Medium1/Medium2 (sizes 5 and 6).
  for (EdsUInt32 code : {0x05130000, 0x06120000, 0x00640513, 0x02640612}) {
    quality.emplace_back(code, "");
  }
  expectAllCodes(kEdsPropID_ImageQuality, quality);

  const Rows aeModes = {
      {0, "P"},         {1, "TV"},         {2, "AV"},       {3, "Manual"},          {4, "Bulb"},
      {5, "A_DEP"},     {6, "DEP"},        {9, "Green"},    {10, "Night Portrait"}, {11, "Sports"},
      {12, "Portrait"}, {13, "Landscape"}, {14, "Closeup"}, {15, "Flash Off"}};
  expectAllCodes(kEdsPropID_AEMode, aeModes);
  const Rows driveModes = {
      {0, "Single"}, {1, "Continuous"}, {4, "Continuous high speed"}, {5, "Continuous low speed"}};
  expectAllCodes(kEdsPropID_DriveMode, driveModes);
  const Rows meteringModes = {
      {1, "Spot"}, {3, "Evaluative"}, {4, "Partial"}, {5, "Center-weighted average"}};
  expectAllCodes(kEdsPropID_MeteringMode, meteringModes);
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
