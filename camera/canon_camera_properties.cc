// Reading and writing the camera's seven named properties through the property tables.
#include <cstdio>
#include <cstring>

#include "camera/canon_camera.h"
#include "camera/image_quality.h"
#include "camera/property_tables.h"
#include "mt/mt_locker.h"
#include "output/output.h"

EdsError CCanonCamera::setNamed(EdsPropertyID property, const PropertyTable& table,
                                const char* name) {
  uint32_t code = 0;
  if (!table.codeOf(name, &code)) return kNameNotInTable;
  CMtLocker locker(&lock_);
  if (property == kEdsPropID_ImageQuality) code = adjustImageQuality(code, protocol_);
  return writeProperty(property, code);
}

EdsError CCanonCamera::setPaired(EdsPropertyID property, const PropertyTable& table,
                                 const CodePairTable& pairs, bool variant, const char* name) {
  uint32_t code = 0;
  if (!table.codeOf(name, &code)) return kNameNotInTable;
  code = variant ? pairs.toSecond(code) : pairs.toFirst(code);
  CMtLocker locker(&lock_);
  return writeProperty(property, code);
}

EdsError CCanonCamera::getNamed(EdsPropertyID property, const PropertyTable& table, char* buffer,
                                size_t size, const char* unknownTrace) {
  EdsUInt32 value = 0;
  {
    CMtLocker locker(&lock_);
    if (!isOpenLocked()) return lastError_;
    lastError_ = EdsGetPropertyData(ref(), property, 0, sizeof(value), &value);
    if (lastError_ != 0) return lastError_;
  }
  if (buffer == nullptr || size == 0) return 0;
  std::memset(buffer, 0, size);
  const char* name = table.displayName(value);
  if (name != nullptr) {
    std::snprintf(buffer, size, "%s", name);
  } else if (property == kEdsPropID_ImageQuality) {
    decodeImageQuality(value, buffer, size);
  } else {
    std::snprintf(buffer, size, "?");
    if (unknownTrace != nullptr) printTrace(unknownTrace, value);
  }
  return 0;
}

EdsError CCanonCamera::setTv(const char* name) {
  return setPaired(kEdsPropID_Tv, tvTable(), tvCodePairs(), tvCodeVariant(), name);
}

EdsError CCanonCamera::getTv(char* buffer, size_t size) {
  return getNamed(kEdsPropID_Tv, tvTable(), buffer, size, nullptr);
}

EdsError CCanonCamera::setAv(const char* name) {
  return setPaired(kEdsPropID_Av, avTable(), avCodePairs(), avCodeVariant(), name);
}

EdsError CCanonCamera::getAv(char* buffer, size_t size) {
  return getNamed(kEdsPropID_Av, avTable(), buffer, size, nullptr);
}

EdsError CCanonCamera::setISO(const char* name) {
  return setNamed(kEdsPropID_ISOSpeed, isoTable(), name);
}

EdsError CCanonCamera::getISO(char* buffer, size_t size) {
  return getNamed(kEdsPropID_ISOSpeed, isoTable(), buffer, size, nullptr);
}

EdsError CCanonCamera::setImageQuality(const char* name) {
  return setNamed(kEdsPropID_ImageQuality, imageQualityTable(), name);
}

EdsError CCanonCamera::getImageQuality(char* buffer, size_t size) {
  return getNamed(kEdsPropID_ImageQuality, imageQualityTable(), buffer, size, nullptr);
}

EdsError CCanonCamera::setAEMode(const char* name) {
  return setNamed(kEdsPropID_AEMode, aeModeTable(), name);
}

EdsError CCanonCamera::getAEMode(char* buffer, size_t size) {
  return getNamed(kEdsPropID_AEMode, aeModeTable(), buffer, size, nullptr);
}

EdsError CCanonCamera::setDriveMode(const char* name) {
  return setNamed(kEdsPropID_DriveMode, driveModeTable(), name);
}

EdsError CCanonCamera::getDriveMode(char* buffer, size_t size) {
  return getNamed(kEdsPropID_DriveMode, driveModeTable(), buffer, size,
                  "getDriveMode unknown value 0x%x\n");
}

EdsError CCanonCamera::setMeteringMode(const char* name) {
  return setNamed(kEdsPropID_MeteringMode, meteringModeTable(), name);
}

EdsError CCanonCamera::getMeteringMode(char* buffer, size_t size) {
  return getNamed(kEdsPropID_MeteringMode, meteringModeTable(), buffer, size,
                  "getMeteringMode unknown value 0x%x\n");
}
