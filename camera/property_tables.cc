#include "camera/property_tables.h"

#include <cstddef>
#include <unordered_map>

namespace {

template <size_t N>
const PropertyTable* makeTable(const PropertyRow (&rows)[N]) {
  return new PropertyTable(rows, N);
}

const PropertyRow kImageQualityRows[] = {
    {0x00130000, "L"},        {0x01130000, "M"},       {0x05130000, "M1"},
    {0x06130000, "M2"},       {0x02130000, "S"},       {0x00120000, "Ln"},
    {0x01120000, "Mn"},       {0x05120000, "M1n"},     {0x06120000, "M2n"},
    {0x02120000, "Sn"},       {0x00640000, "RAW"},     {0x00640013, "RAW+L"},
    {0x00640113, "RAW+M"},    {0x00640513, "RAW+M1"},  {0x00640613, "RAW+M2"},
    {0x00640213, "RAW+S"},    {0x00640012, "RAW+Ln"},  {0x00640112, "RAW+Mn"},
    {0x00640512, "RAW+M1n"},  {0x00640612, "RAW+M2n"}, {0x00640212, "RAW+Sn"},
    {0x02640000, "sRAW"},     {0x02640013, "sRAW+L"},  {0x02640113, "sRAW+M"},
    {0x02640513, "sRAW+M1"},  {0x02640613, "sRAW+M2"}, {0x02640213, "sRAW+S"},
    {0x02640012, "sRAW+Ln"},  {0x02640112, "sRAW+Mn"}, {0x02640512, "sRAW+M1n"},
    {0x02640612, "sRAW+M2n"}, {0x02640212, "sRAW+Sn"},
};

const PropertyRow kAEModeRows[] = {
    {0, "P"},         {0, "p"},          {1, "Tv"},         {1, "tv"},         {1, "TV"},
    {2, "Av"},        {2, "av"},         {2, "AV"},         {3, "M"},          {3, "m"},
    {4, "Bulb"},      {4, "bulb"},       {4, "BULB"},       {5, "A-DEP"},      {5, "a-dep"},
    {5, "A-Dep"},     {6, "DEP"},        {6, "dep"},        {6, "Dep"},        {9, "Auto"},
    {9, "auto"},      {9, "AUTO"},       {10, "Night"},     {10, "night"},     {10, "NIGHT"},
    {11, "Sports"},   {11, "sports"},    {11, "SPORTS"},    {12, "Portrait"},  {12, "portrait"},
    {12, "PORTRAIT"}, {13, "Landscape"}, {13, "landscape"}, {13, "LANDSCAPE"}, {14, "Closeup"},
    {14, "closeup"},  {14, "CLOSEUP"},   {15, "FlashOff"},  {15, "flashoff"},  {15, "FLASHOFF"},
};

const PropertyRow kDriveModeRows[] = {
    {0, "Single"},      {0, "single"},      {0, "SINGLE"},      {0, "Shot"},
    {0, "shot"},        {0, "SHOT"},        {0, "S"},           {0, "s"},
    {1, "Continuous"},  {1, "continuous"},  {1, "CONTINUOUS"},  {1, "Cont"},
    {1, "cont"},        {1, "CONT"},        {1, "Serial"},      {1, "serial"},
    {1, "SERIAL"},      {1, "C"},           {1, "c"},           {4, "HContinuous"},
    {4, "hcontinuous"}, {4, "HCONTINUOUS"}, {4, "HCont"},       {4, "hcont"},
    {4, "HCONT"},       {4, "HSerial"},     {4, "hserial"},     {4, "HSERIAL"},
    {4, "High"},        {4, "high"},        {4, "HIGH"},        {4, "Hi"},
    {4, "hi"},          {4, "HI"},          {4, "H"},           {4, "h"},
    {5, "LContinuous"}, {5, "lcontinuous"}, {5, "LCONTINUOUS"}, {5, "LCont"},
    {5, "lcont"},       {5, "LCONT"},       {5, "LSerial"},     {5, "lserial"},
    {5, "LSERIAL"},     {5, "Low"},         {5, "low"},         {5, "LOW"},
    {5, "Lo"},          {5, "lo"},          {5, "LO"},          {5, "L"},
    {5, "l"},
};

const PropertyRow kISORows[] = {
    {0x28, "6"},    {0x30, "12"},   {0x38, "25"},   {0x40, "50"},   {0x48, "100"},
    {0x4B, "125"},  {0x4D, "160"},  {0x50, "200"},  {0x53, "250"},  {0x55, "320"},
    {0x58, "400"},  {0x5B, "500"},  {0x5D, "640"},  {0x60, "800"},  {0x63, "1000"},
    {0x65, "1250"}, {0x68, "1600"}, {0x70, "3200"}, {0x78, "6400"},
};

const PropertyRow kMeteringModeRows[] = {
    {1, "Spot"},      {1, "1"},          {1, "spot"},       {1, "SPOT"},      {3, "Evaluative"},
    {3, "2"},         {3, "evaluative"}, {3, "EVALUATIVE"}, {3, "Eval"},      {3, "eval"},
    {3, "EVAL"},      {4, "Partial"},    {4, "3"},          {4, "partial"},   {4, "PARTIAL"},
    {4, "Part"},      {4, "part"},       {4, "PART"},       {5, "Averaging"}, {5, "4"},
    {5, "averaging"}, {5, "AVERAGING"},  {5, "Aver"},       {5, "aver"},      {5, "AVER"},
    {5, "Avg"},       {5, "avg"},        {5, "AVG"},
};

// A name shared by two codes sets the first of them.
const PropertyRow kAvRows[] = {
    {0x08, "1"},   {0x0B, "1.1"}, {0x0D, "1.2"}, {0x0C, "1.2"}, {0x10, "1.4"}, {0x13, "1.6"},
    {0x14, "1.8"}, {0x15, "1.8"}, {0x18, "2"},   {0x1B, "2.2"}, {0x1C, "2.5"}, {0x1D, "2.5"},
    {0x20, "2.8"}, {0x23, "3.2"}, {0x24, "3.5"}, {0x25, "3.5"}, {0x28, "4"},   {0x2B, "4.5"},
    {0x2C, "4.5"}, {0x2D, "5.0"}, {0x30, "5.6"}, {0x33, "6.3"}, {0x34, "6.7"}, {0x35, "7.1"},
    {0x38, "8"},   {0x3B, "9"},   {0x3C, "9.5"}, {0x3D, "10"},  {0x40, "11"},  {0x43, "13"},
    {0x44, "13"},  {0x45, "14"},  {0x48, "16"},  {0x4B, "18"},  {0x4C, "19"},  {0x4D, "20"},
    {0x50, "22"},  {0x53, "25"},  {0x54, "27"},  {0x55, "29"},  {0x58, "32"},  {0x5B, "36"},
    {0x5C, "38"},  {0x5D, "40"},  {0x60, "45"},  {0x63, "51"},  {0x64, "54"},  {0x65, "57"},
    {0x68, "64"},  {0x6B, "72"},  {0x6C, "76"},  {0x6D, "80"},  {0x70, "91"},
};

// Ascending codes. Whole seconds need a double quote or "s"; a bare number is a fraction of a
// second ("4" is 1/4, "2" is 1/2 = 0.5 s), except "1" for one second.
const PropertyRow kTvRows[] = {
    {0x0C, "Bulb"},   {0x0C, "BULB"},   {0x0C, "bulb"},   {0x0C, "B"},      {0x10, "30\""},
    {0x10, "30s"},    {0x10, "30s"},    {0x13, "25\""},   {0x13, "25s"},    {0x14, "20\""},
    {0x14, "20s"},    {0x15, "20\""},   {0x15, "20s"},    {0x18, "15\""},   {0x18, "15s"},
    {0x1B, "13\""},   {0x1B, "13s"},    {0x1C, "10\""},   {0x1C, "10s"},    {0x1D, "10\""},
    {0x1D, "10s"},    {0x20, "8\""},    {0x20, "8s"},     {0x23, "6\""},    {0x23, "6s"},
    {0x24, "6\""},    {0x24, "6s"},     {0x25, "5\""},    {0x25, "5s"},     {0x28, "4\""},
    {0x28, "4s"},     {0x2B, "3\"2"},   {0x2B, "3.2\""},  {0x2B, "3.2s"},   {0x2C, "3\""},
    {0x2C, "3s"},     {0x2D, "2\"5"},   {0x2D, "2.5\""},  {0x2D, "2.5s"},   {0x30, "2\""},
    {0x30, "2s"},     {0x33, "1\"6"},   {0x33, "1.6\""},  {0x33, "1.6s"},   {0x34, "1\"5"},
    {0x34, "1.5\""},  {0x34, "1.5s"},   {0x35, "1\"3"},   {0x35, "1.3\""},  {0x35, "1.3s"},
    {0x38, "1\""},    {0x38, "1s"},     {0x38, "1"},      {0x3B, "0\"8"},   {0x3B, "0.8\""},
    {0x3B, "0.8s"},   {0x3C, "0\"7"},   {0x3C, "0.7\""},  {0x3C, "0.7s"},   {0x3D, "0\"6"},
    {0x3D, "0.6\""},  {0x3D, "0.6s"},   {0x40, "0\"5"},   {0x40, "0.5\""},  {0x40, "0.5s"},
    {0x40, "2"},      {0x43, "0\"4"},   {0x43, "0.4\""},  {0x43, "0.4s"},   {0x44, "0\"3"},
    {0x44, "0.3\""},  {0x44, "0.3s"},   {0x44, "3"},      {0x45, "0\"3"},   {0x45, "0.3\""},
    {0x45, "0.3s"},   {0x45, "3"},      {0x48, "1/4"},    {0x48, "4"},      {0x4B, "1/5"},
    {0x4B, "5"},      {0x4C, "1/6"},    {0x4C, "6"},      {0x4D, "1/6"},    {0x4D, "6"},
    {0x50, "1/8"},    {0x50, "8"},      {0x53, "1/10"},   {0x53, "10"},     {0x54, "1/10"},
    {0x54, "10"},     {0x55, "1/13"},   {0x55, "13"},     {0x58, "1/15"},   {0x58, "15"},
    {0x5B, "1/20"},   {0x5B, "20"},     {0x5C, "1/20"},   {0x5C, "20"},     {0x5D, "1/25"},
    {0x5D, "25"},     {0x60, "1/30"},   {0x60, "30"},     {0x63, "1/40"},   {0x63, "40"},
    {0x64, "1/45"},   {0x64, "45"},     {0x65, "1/50"},   {0x65, "50"},     {0x68, "1/60"},
    {0x68, "60"},     {0x6B, "1/80"},   {0x6B, "80"},     {0x6C, "1/90"},   {0x6C, "90"},
    {0x6D, "1/100"},  {0x6D, "100"},    {0x70, "1/125"},  {0x70, "125"},    {0x73, "1/160"},
    {0x73, "160"},    {0x74, "1/180"},  {0x74, "180"},    {0x75, "1/200"},  {0x75, "200"},
    {0x78, "1/250"},  {0x78, "250"},    {0x7B, "1/320"},  {0x7B, "320"},    {0x7C, "1/350"},
    {0x7C, "350"},    {0x7D, "1/400"},  {0x7D, "400"},    {0x80, "1/500"},  {0x80, "500"},
    {0x83, "1/640"},  {0x83, "640"},    {0x84, "1/750"},  {0x84, "750"},    {0x85, "1/800"},
    {0x85, "800"},    {0x88, "1/1000"}, {0x88, "1000"},   {0x8B, "1/1250"}, {0x8B, "1250"},
    {0x8C, "1/1500"}, {0x8C, "1500"},   {0x8D, "1/1600"}, {0x8D, "1600"},   {0x90, "1/2000"},
    {0x90, "2000"},   {0x93, "1/2500"}, {0x93, "2500"},   {0x94, "1/3000"}, {0x94, "3000"},
    {0x95, "1/3200"}, {0x95, "3200"},   {0x98, "1/4000"}, {0x98, "4000"},   {0x9B, "1/5000"},
    {0x9B, "5000"},   {0x9C, "1/6000"}, {0x9C, "6000"},   {0x9D, "1/6400"}, {0x9D, "6400"},
    {0xA0, "1/8000"}, {0xA0, "8000"},
};

struct ExposureRange {
  uint32_t first;
  uint32_t last;
  uint32_t ms;
};

// The time of every Tv code of the table within a range (74 codes in all); a code that the Tv
// table lacks has no time of its own even when it falls within a range.
const ExposureRange kExposureRanges[] = {
    {0x0C, 0x0C, 1155},  {0x10, 0x10, 33055}, {0x13, 0x13, 27555}, {0x14, 0x15, 22055},
    {0x18, 0x18, 16555}, {0x1B, 0x1B, 14355}, {0x1C, 0x1D, 11055}, {0x20, 0x20, 8855},
    {0x23, 0x24, 6655},  {0x25, 0x25, 5555},  {0x28, 0x28, 4455},  {0x2B, 0x2B, 3575},
    {0x2C, 0x2C, 3355},  {0x2D, 0x2D, 2805},  {0x30, 0x30, 2255},  {0x33, 0x33, 1815},
    {0x34, 0x34, 1705},  {0x35, 0x35, 1485},  {0x38, 0x38, 1155},  {0x3B, 0x3B, 935},
    {0x3C, 0x3C, 825},   {0x3D, 0x3D, 715},   {0x40, 0x40, 605},   {0x43, 0x43, 495},
    {0x44, 0x45, 385},   {0x48, 0x48, 330},   {0x4B, 0x4D, 275},   {0x50, 0x50, 220},
    {0x53, 0x58, 165},   {0x5B, 0x88, 110},   {0x8B, 0xA0, 55},
};

constexpr uint32_t kUnknownExposureMs = 1000;

}  // namespace

const PropertyTable& imageQualityTable() {
  static const PropertyTable* table = makeTable(kImageQualityRows);
  return *table;
}

const PropertyTable& aeModeTable() {
  static const PropertyTable* table = makeTable(kAEModeRows);
  return *table;
}

const PropertyTable& driveModeTable() {
  static const PropertyTable* table = makeTable(kDriveModeRows);
  return *table;
}

const PropertyTable& isoTable() {
  static const PropertyTable* table = makeTable(kISORows);
  return *table;
}

const PropertyTable& meteringModeTable() {
  static const PropertyTable* table = makeTable(kMeteringModeRows);
  return *table;
}

const PropertyTable& avTable() {
  static const PropertyTable* table = makeTable(kAvRows);
  return *table;
}

const PropertyTable& tvTable() {
  static const PropertyTable* table = makeTable(kTvRows);
  return *table;
}

const CodePairTable& avCodePairs() {
  static const CodePairTable* pairs = new CodePairTable(
      {{0x0C, 0x0D}, {0x14, 0x15}, {0x1C, 0x1D}, {0x24, 0x25}, {0x2B, 0x2C}, {0x44, 0x43}});
  return *pairs;
}

const CodePairTable& tvCodePairs() {
  static const CodePairTable* pairs = new CodePairTable({{0x14, 0x15},
                                                         {0x1C, 0x1D},
                                                         {0x24, 0x23},
                                                         {0x44, 0x45},
                                                         {0x4C, 0x4D},
                                                         {0x54, 0x53},
                                                         {0x5C, 0x5B}});
  return *pairs;
}

uint32_t tvExposureMs(uint32_t code) {
  static const std::unordered_map<uint32_t, uint32_t>* exposures = [] {
    auto* map = new std::unordered_map<uint32_t, uint32_t>();
    const PropertyTable& tv = tvTable();
    for (size_t i = 0; i < tv.size(); ++i) {
      const uint32_t tvCode = tv.row(i).code;
      for (const ExposureRange& range : kExposureRanges) {
        if (tvCode >= range.first && tvCode <= range.last) map->emplace(tvCode, range.ms);
      }
    }
    return map;
  }();
  auto it = exposures->find(code);
  return it == exposures->end() ? kUnknownExposureMs : it->second;
}
