// The set command: camera properties, capture options and the flash pulse length.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "camera/canon_camera.h"
#include "output/output.h"
#include "script/script_parser.h"
#include "script/value_parsing.h"

namespace {

constexpr size_t kShownSize = 64;
constexpr uint64_t kPropertySettleMs = 100;

// A camera property's display name, setter and getter.
struct PropertyItem {
  const char* name;
  EdsError (CCanonCamera::*set)(const char*);
  EdsError (CCanonCamera::*get)(char*, size_t);
};

const PropertyItem* propertyItem(SetItem item) {
  static const PropertyItem kItems[] = {
      {"Tv", &CCanonCamera::setTv, &CCanonCamera::getTv},
      {"Av", &CCanonCamera::setAv, &CCanonCamera::getAv},
      {"ISO", &CCanonCamera::setISO, &CCanonCamera::getISO},
      {"ImageQuality", &CCanonCamera::setImageQuality, &CCanonCamera::getImageQuality},
      {"AEMode", &CCanonCamera::setAEMode, &CCanonCamera::getAEMode},
      {"DriveMode", &CCanonCamera::setDriveMode, &CCanonCamera::getDriveMode},
      {"MeteringMode", &CCanonCamera::setMeteringMode, &CCanonCamera::getMeteringMode},
  };
  int32_t code = static_cast<int32_t>(item);
  return code >= 1 && code <= 7 ? &kItems[code - 1] : nullptr;
}

// Decimal integer with leading blanks and an optional sign; values beyond the signed 32-bit range
// become 2147483647.
uint32_t optionNumber(const char* text) {
  long long value = std::strtoll(text, nullptr, 10);
  if (value > 2147483647LL || value < -2147483647LL - 1) value = 2147483647LL;
  return static_cast<uint32_t>(static_cast<int32_t>(value));
}

}  // namespace

void CQuorvaleScriptParser::doSet(const char* text, SetItem item) {
  checkStop();
  if (text == nullptr || *text == '\0' || camera == nullptr) return;
  std::string copy;
  char* value = copyValue(text, &copy);
  if (value == nullptr) return;
  cameraLock.Lock();

  char shown[kShownSize];
  std::memset(shown, 0, sizeof(shown));
  const char* name = "";
  const char* requested = shown;
  EdsError code = 0;
  if (const PropertyItem* property = propertyItem(item)) {
    name = property->name;
    requested = value;
    code = (camera->*property->set)(value);
    clock_->sleep(kPropertySettleMs);
    (camera->*property->get)(shown, sizeof(shown));
  } else if (item == SetItem::TimeMultiplier) {
    name = "TimeMultiplier";
    double multiplier = std::strtod(value, nullptr);
    std::snprintf(shown, sizeof(shown), "%.3gx", multiplier);
    camera->setTimeMultiplier(multiplier);
  } else {
    uint32_t number = optionNumber(value);
    std::snprintf(shown, sizeof(shown), item == SetItem::BufferSize ? "%u" : "%u ms", number);
    switch (item) {
      case SetItem::ShotTimeout:
        name = "ShotTimeout";
        camera->setShotTimeout(number);
        break;
      case SetItem::AllocBufferTimeout:
        name = "AllocBufferTimeout";
        camera->setAllocBufferTimeout(number);
        break;
      case SetItem::BufferSize:
        name = "BufferSize";
        camera->setBufferSize(number);
        break;
      case SetItem::ShotComTime:
        name = "ShotComTime";
        shotComTime = number;
        break;
      default:
        return;  // no rule passes another code
    }
  }

  char line[1024];
  if (code == 0) {
    std::snprintf(line, sizeof(line), "set %s=%s -> %s\n", name, requested, shown);
    doPrint(line);
  } else {
    std::snprintf(line, sizeof(line), "set %s=%s -> %s", name, requested, shown);
    printSdkError(line, code);
  }
}
