#include "camera/gphoto2/property_mapping.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "camera/gphoto2/exposure_table.h"
#include "camera/gphoto2/image_format_text.h"

namespace {

// A mode and the spellings the drivers use for it, already normalised (see normalise()).
struct NamedMode {
  EdsUInt32 code;
  const char* spellings[5];
};

constexpr NamedMode kAeModes[] = {
    {0, {"p", "program", "programae"}},
    {1, {"tv", "shutterpriority", "s"}},
    {2, {"av", "aperturepriority", "a"}},
    {3, {"m", "manual"}},
    {4, {"bulb", "b"}},
    {5, {"adep"}},
    {6, {"dep"}},
    {9, {"green", "auto", "fullauto", "sceneintelligentauto"}},
    {10, {"nightportrait", "night"}},
    {11, {"sports"}},
    {12, {"portrait"}},
    {13, {"landscape"}},
    {14, {"closeup", "macro"}},
    {15, {"flashoff"}},
};

constexpr NamedMode kDriveModes[] = {
    {0, {"single", "singleframe", "singleshot"}},
    {1, {"continuous", "burst"}},
    {4, {"continuoushighspeed", "highspeedcontinuous", "continuoushigh"}},
    {5, {"continuouslowspeed", "lowspeedcontinuous", "continuouslow"}},
};

constexpr NamedMode kMeteringModes[] = {
    {1, {"spot"}},
    {3, {"evaluative", "multispot", "matrix"}},
    {4, {"partial"}},
    {5, {"centerweightedaverage", "centreweightedaverage", "averaging", "centerweighted"}},
};

// Lower case without blanks, '-' and '_': "Center-weighted average" -> "centerweightedaverage".
std::string normalise(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '-' || c == '_' || c == '\t') continue;
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

template <size_t N>
bool modeCode(const NamedMode (&modes)[N], const std::string& text, EdsUInt32* code) {
  std::string key = normalise(text);
  for (const NamedMode& mode : modes) {
    for (const char* spelling : mode.spellings) {
      if (spelling != nullptr && key == spelling) {
        *code = mode.code;
        return true;
      }
    }
  }
  return false;
}

bool tvCodeFromText(const std::string& text, EdsUInt32* code) {
  ExposureKind kind;
  double seconds = 0;
  if (!parseShutterText(text, &kind, &seconds)) return false;
  if (kind == ExposureKind::kAuto) {
    *code = 0;
    return true;
  }
  size_t count = 0;
  const TvRow* rows = tvRows(&count);
  bool found = false;
  for (size_t i = 0; i < count; ++i) {
    bool match = kind == ExposureKind::kBulb
                     ? rows[i].bulb
                     : !rows[i].bulb && sameShutterValue(rows[i].seconds(), seconds);
    if (match && (!found || isPreferredTvCode(rows[i].code))) {
      *code = rows[i].code;
      found = true;
    }
  }
  return found;
}

bool avCodeFromText(const std::string& text, EdsUInt32* code) {
  double fNumber = 0;
  if (!parseApertureText(text, &fNumber)) return false;
  size_t count = 0;
  const AvRow* rows = avRows(&count);
  bool found = false;
  for (size_t i = 0; i < count; ++i) {
    if (sameApertureValue(rows[i].fNumberTenths / 10.0, fNumber) &&
        (!found || isPreferredAvCode(rows[i].code))) {
      *code = rows[i].code;
      found = true;
    }
  }
  return found;
}

bool isoCodeFromText(const std::string& text, EdsUInt32* code) {
  int iso = 0;
  if (!parseIsoText(text, &iso)) return false;
  if (iso == 0) {
    *code = 0;
    return true;
  }
  size_t count = 0;
  const IsoRow* rows = isoRows(&count);
  for (size_t i = 0; i < count; ++i) {
    if (rows[i].iso == iso) {
      *code = rows[i].code;
      return true;
    }
  }
  return false;
}

// Whether a choice text stands for |code| (same meaning, whichever code of a pair is asked).
bool choiceMatches(EdsPropertyID property, EdsUInt32 code, const std::string& choice) {
  EdsUInt32 choiceCode = 0;
  switch (property) {
    case kEdsPropID_Tv: {
      size_t count = 0;
      const TvRow* rows = tvRows(&count);
      const TvRow* row =
          std::find_if(rows, rows + count, [&](const TvRow& r) { return r.code == code; });
      if (row == rows + count) return false;
      ExposureKind kind;
      double seconds = 0;
      if (!parseShutterText(choice, &kind, &seconds)) return false;
      if (row->bulb) return kind == ExposureKind::kBulb;
      return kind == ExposureKind::kTimed && sameShutterValue(row->seconds(), seconds);
    }
    case kEdsPropID_Av: {
      size_t count = 0;
      const AvRow* rows = avRows(&count);
      const AvRow* row =
          std::find_if(rows, rows + count, [&](const AvRow& r) { return r.code == code; });
      double fNumber = 0;
      return row != rows + count && parseApertureText(choice, &fNumber) &&
             sameApertureValue(row->fNumberTenths / 10.0, fNumber);
    }
    case kEdsPropID_ImageQuality:
      return imageQualityFromText(choice, &choiceCode) && choiceCode == canonicalImageQuality(code);
    default:
      return codeFromChoiceText(property, choice, &choiceCode) && choiceCode == code;
  }
}

}  // namespace

std::vector<std::string> widgetNamesFor(EdsPropertyID property) {
  switch (property) {
    case kEdsPropID_Tv:
      return {"shutterspeed", "shutterspeed2"};
    case kEdsPropID_Av:
      return {"aperture", "f-number"};
    case kEdsPropID_ISOSpeed:
      return {"iso"};
    case kEdsPropID_ImageQuality:
      return {"imageformat"};
    case kEdsPropID_AEMode:
      return {"autoexposuremode", "autoexposuremodedial", "expprogram"};
    case kEdsPropID_DriveMode:
      return {"drivemode"};
    case kEdsPropID_MeteringMode:
      return {"meteringmode", "exposuremetermode"};
    case kEdsPropID_BatteryLevel:
      return {"batterylevel"};
    case kEdsPropID_AvailableShots:
      return {"availableshots"};
    default:
      return {};
  }
}

EdsUInt32 unknownValueFor(EdsPropertyID property) {
  // No image format bits set: neither JPEG nor RAW.
  return property == kEdsPropID_ImageQuality ? 0 : 0xFFFFFFFF;
}

bool isChoiceProperty(EdsPropertyID property) {
  switch (property) {
    case kEdsPropID_Tv:
    case kEdsPropID_Av:
    case kEdsPropID_ISOSpeed:
    case kEdsPropID_ImageQuality:
    case kEdsPropID_AEMode:
    case kEdsPropID_DriveMode:
    case kEdsPropID_MeteringMode:
      return true;
    default:
      return false;
  }
}

bool codeFromChoiceText(EdsPropertyID property, const std::string& text, EdsUInt32* code) {
  switch (property) {
    case kEdsPropID_Tv:
      return tvCodeFromText(text, code);
    case kEdsPropID_Av:
      return avCodeFromText(text, code);
    case kEdsPropID_ISOSpeed:
      return isoCodeFromText(text, code);
    case kEdsPropID_ImageQuality:
      return imageQualityFromText(text, code);
    case kEdsPropID_AEMode:
      return modeCode(kAeModes, text, code);
    case kEdsPropID_DriveMode:
      return modeCode(kDriveModes, text, code);
    case kEdsPropID_MeteringMode:
      return modeCode(kMeteringModes, text, code);
    default:
      return false;
  }
}

bool choiceForCode(EdsPropertyID property, EdsUInt32 code, const std::vector<std::string>& choices,
                   std::string* choice) {
  for (const std::string& candidate : choices) {
    if (choiceMatches(property, code, candidate)) {
      *choice = candidate;
      return true;
    }
  }
  return false;
}

std::vector<EdsInt32> codesOfChoices(EdsPropertyID property,
                                     const std::vector<std::string>& choices, size_t max) {
  std::vector<EdsInt32> codes;
  for (const std::string& text : choices) {
    EdsUInt32 code = 0;
    if (codes.size() >= max || !codeFromChoiceText(property, text, &code)) continue;
    if (std::find(codes.begin(), codes.end(), static_cast<EdsInt32>(code)) == codes.end()) {
      codes.push_back(static_cast<EdsInt32>(code));
    }
  }
  return codes;
}

bool batteryPercentFromText(const std::string& text, EdsUInt32* percent) {
  std::string key = normalise(text);
  static const struct {
    const char* name;
    EdsUInt32 percent;
  } kWords[] = {{"full", 100}, {"ac", 100},     {"acpower", 100}, {"high", 75},
                {"half", 50},  {"quarter", 25}, {"low", 10},      {"empty", 0}};
  for (const auto& word : kWords) {
    if (key == word.name) {
      *percent = word.percent;
      return true;
    }
  }
  std::string number = text;
  while (!number.empty() && number.back() == ' ') number.pop_back();
  if (!number.empty() && number.back() == '%') number.pop_back();
  return countFromText(number, percent);
}

bool countFromText(const std::string& text, EdsUInt32* count) {
  if (text.empty() || text.size() > 9) return false;
  EdsUInt32 value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<EdsUInt32>(c - '0');
  }
  *count = value;
  return true;
}

EdsPropertyID propertyForPtpCode(uint32_t ptpCode) {
  switch (ptpCode) {
    case 0xD101:  // EOS aperture
    case 0x5007:  // f-number
      return kEdsPropID_Av;
    case 0xD102:  // EOS shutter speed
    case 0x500D:  // exposure time
      return kEdsPropID_Tv;
    case 0xD103:  // EOS ISO speed
    case 0x500F:  // exposure index
      return kEdsPropID_ISOSpeed;
    case 0xD105:  // EOS auto exposure mode
    case 0x500E:  // exposure program mode
      return kEdsPropID_AEMode;
    case 0xD106:  // EOS drive mode
    case 0x5013:  // still capture mode
      return kEdsPropID_DriveMode;
    case 0xD107:  // EOS metering mode
    case 0x500B:  // exposure metering mode
      return kEdsPropID_MeteringMode;
    case 0xD111:  // EOS battery power
    case 0x5001:  // battery level
      return kEdsPropID_BatteryLevel;
    case 0xD11B:  // EOS available shots
      return kEdsPropID_AvailableShots;
    case 0xD120:  // EOS image format (card 1, 2)
    case 0xD121:
    case 0xD122:
    case 0x5004:  // compression setting
      return kEdsPropID_ImageQuality;
    default:
      return 0;
  }
}
