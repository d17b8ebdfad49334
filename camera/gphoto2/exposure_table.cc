#include "camera/gphoto2/exposure_table.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

constexpr TvRow kTvRows[] = {
    {0x0C, 0, 1, true},     {0x10, 30, 1, false},   {0x13, 25, 1, false},   {0x14, 20, 1, false},
    {0x15, 20, 1, false},   {0x18, 15, 1, false},   {0x1B, 13, 1, false},   {0x1C, 10, 1, false},
    {0x1D, 10, 1, false},   {0x20, 8, 1, false},    {0x23, 6, 1, false},    {0x24, 6, 1, false},
    {0x25, 5, 1, false},    {0x28, 4, 1, false},    {0x2B, 32, 10, false},  {0x2C, 3, 1, false},
    {0x2D, 25, 10, false},  {0x30, 2, 1, false},    {0x33, 16, 10, false},  {0x34, 15, 10, false},
    {0x35, 13, 10, false},  {0x38, 1, 1, false},    {0x3B, 8, 10, false},   {0x3C, 7, 10, false},
    {0x3D, 6, 10, false},   {0x40, 5, 10, false},   {0x43, 4, 10, false},   {0x44, 3, 10, false},
    {0x45, 3, 10, false},   {0x48, 1, 4, false},    {0x4B, 1, 5, false},    {0x4C, 1, 6, false},
    {0x4D, 1, 6, false},    {0x50, 1, 8, false},    {0x53, 1, 10, false},   {0x54, 1, 10, false},
    {0x55, 1, 13, false},   {0x58, 1, 15, false},   {0x5B, 1, 20, false},   {0x5C, 1, 20, false},
    {0x5D, 1, 25, false},   {0x60, 1, 30, false},   {0x63, 1, 40, false},   {0x64, 1, 45, false},
    {0x65, 1, 50, false},   {0x68, 1, 60, false},   {0x6B, 1, 80, false},   {0x6C, 1, 90, false},
    {0x6D, 1, 100, false},  {0x70, 1, 125, false},  {0x73, 1, 160, false},  {0x74, 1, 180, false},
    {0x75, 1, 200, false},  {0x78, 1, 250, false},  {0x7B, 1, 320, false},  {0x7C, 1, 350, false},
    {0x7D, 1, 400, false},  {0x80, 1, 500, false},  {0x83, 1, 640, false},  {0x84, 1, 750, false},
    {0x85, 1, 800, false},  {0x88, 1, 1000, false}, {0x8B, 1, 1250, false}, {0x8C, 1, 1500, false},
    {0x8D, 1, 1600, false}, {0x90, 1, 2000, false}, {0x93, 1, 2500, false}, {0x94, 1, 3000, false},
    {0x95, 1, 3200, false}, {0x98, 1, 4000, false}, {0x9B, 1, 5000, false}, {0x9C, 1, 6000, false},
    {0x9D, 1, 6400, false}, {0xA0, 1, 8000, false},
};

constexpr AvRow kAvRows[] = {
    {0x08, 10},  {0x0B, 11},  {0x0C, 12},  {0x0D, 12},  {0x10, 14},  {0x13, 16},  {0x14, 18},
    {0x15, 18},  {0x18, 20},  {0x1B, 22},  {0x1C, 25},  {0x1D, 25},  {0x20, 28},  {0x23, 32},
    {0x24, 35},  {0x25, 35},  {0x28, 40},  {0x2B, 45},  {0x2C, 45},  {0x2D, 50},  {0x30, 56},
    {0x33, 63},  {0x34, 67},  {0x35, 71},  {0x38, 80},  {0x3B, 90},  {0x3C, 95},  {0x3D, 100},
    {0x40, 110}, {0x43, 130}, {0x44, 130}, {0x45, 140}, {0x48, 160}, {0x4B, 180}, {0x4C, 190},
    {0x4D, 200}, {0x50, 220}, {0x53, 250}, {0x54, 270}, {0x55, 290}, {0x58, 320}, {0x5B, 360},
    {0x5C, 380}, {0x5D, 400}, {0x60, 450}, {0x63, 510}, {0x64, 540}, {0x65, 570}, {0x68, 640},
    {0x6B, 720}, {0x6C, 760}, {0x6D, 800}, {0x70, 910},
};

constexpr IsoRow kIsoRows[] = {
    {0x28, 6},    {0x30, 12},   {0x38, 25},   {0x40, 50},   {0x48, 100},  {0x4B, 125}, {0x4D, 160},
    {0x50, 200},  {0x53, 250},  {0x55, 320},  {0x58, 400},  {0x5B, 500},  {0x5D, 640}, {0x60, 800},
    {0x63, 1000}, {0x65, 1250}, {0x68, 1600}, {0x70, 3200}, {0x78, 6400},
};

std::string lowerTrimmed(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  std::string out;
  for (size_t i = begin; i < end; ++i) {
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
  }
  return out;
}

// Parses a whole unsigned decimal number ("5", "0.3", "20.3"); false on anything else. Independent
// of the process locale: the decimal mark is always '.'.
bool parseDecimal(const std::string& text, double* value) {
  if (text.empty()) return false;
  double whole = 0;
  double scale = 0;
  bool digits = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      digits = true;
      if (scale == 0) {
        whole = whole * 10 + (c - '0');
      } else {
        whole += (c - '0') * scale;
        scale /= 10;
      }
    } else if (c == '.' && scale == 0) {
      scale = 0.1;
    } else {
      return false;
    }
  }
  *value = whole;
  return digits;
}

bool withinRatio(double a, double b, double maxRatio) {
  if (a <= 0 || b <= 0) return false;
  double ratio = a > b ? a / b : b / a;
  return ratio < maxRatio;
}

}  // namespace

const TvRow* tvRows(size_t* count) {
  *count = sizeof kTvRows / sizeof kTvRows[0];
  return kTvRows;
}

const AvRow* avRows(size_t* count) {
  *count = sizeof kAvRows / sizeof kAvRows[0];
  return kAvRows;
}

const IsoRow* isoRows(size_t* count) {
  *count = sizeof kIsoRows / sizeof kIsoRows[0];
  return kIsoRows;
}

bool isPreferredTvCode(EdsUInt32 code) {
  switch (code) {
    case 0x14:
    case 0x1C:
    case 0x24:
    case 0x44:
    case 0x4C:
    case 0x54:
    case 0x5C:
      return false;
    default:
      return true;
  }
}

bool isPreferredAvCode(EdsUInt32 code) {
  switch (code) {
    case 0x0C:
    case 0x14:
    case 0x1C:
    case 0x24:
    case 0x2B:
    case 0x44:
      return false;
    default:
      return true;
  }
}

bool parseShutterText(const std::string& text, ExposureKind* kind, double* seconds) {
  std::string t = lowerTrimmed(text);
  if (t == "bulb" || t == "b") {
    *kind = ExposureKind::kBulb;
    return true;
  }
  if (t == "auto") {
    *kind = ExposureKind::kAuto;
    return true;
  }
  if (!t.empty() && t.back() == 's') t.pop_back();  // "30s"
  double value = 0;
  size_t slash = t.find('/');
  size_t quote = t.find('"');
  if (slash != std::string::npos) {
    double numerator = 0;
    double denominator = 0;
    if (!parseDecimal(t.substr(0, slash), &numerator) ||
        !parseDecimal(t.substr(slash + 1), &denominator) || denominator == 0) {
      return false;
    }
    value = numerator / denominator;
  } else if (quote != std::string::npos) {
    // Seconds written with a double quote as the decimal mark: "15\"" is 15 s, "3\"2" is 3.2 s.
    std::string tenths = t.substr(quote + 1);
    std::string joined = t.substr(0, quote) + (tenths.empty() ? "" : "." + tenths);
    if (!parseDecimal(joined, &value)) return false;
  } else if (!parseDecimal(t, &value)) {
    return false;
  } else if (value >= 4 && t.size() > 2 && t.compare(t.size() - 2, 2, ".3") == 0) {
    // Some drivers mark the third-stop code of a whole number of seconds as "20.3", "10.3",
    // "6.3": the body means 20, 10 and 6 seconds.
    value = std::floor(value);
  }
  if (value <= 0) return false;
  *kind = ExposureKind::kTimed;
  *seconds = value;
  return true;
}

bool parseApertureText(const std::string& text, double* fNumber) {
  std::string t = lowerTrimmed(text);
  if (t.compare(0, 2, "f/") == 0) {
    t = t.substr(2);
  } else if (!t.empty() && t[0] == 'f') {
    t = t.substr(1);
  }
  double value = 0;
  if (!parseDecimal(t, &value) || value <= 0) return false;
  *fNumber = value;
  return true;
}

bool parseIsoText(const std::string& text, int* iso) {
  std::string t = lowerTrimmed(text);
  if (t == "auto" || t == "auto iso") {
    *iso = 0;
    return true;
  }
  if (t.compare(0, 4, "iso ") == 0) t = t.substr(4);
  double value = 0;
  if (!parseDecimal(t, &value) || value < 1 || value != std::floor(value) || value > 1e7) {
    return false;
  }
  *iso = static_cast<int>(value);
  return true;
}

bool sameShutterValue(double a, double b) { return withinRatio(a, b, 1.032); }

bool sameApertureValue(double a, double b) { return withinRatio(a, b, 1.025); }
