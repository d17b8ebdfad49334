#include "camera/image_quality.h"

#include <cstdio>

namespace {

constexpr uint32_t kLowHalf = 0xFFFFu;
constexpr uint32_t kLegacyNoSecondary = 0x000Fu;
constexpr uint32_t kPtpNoSecondary = 0x0F0Fu;
constexpr uint32_t kLegacyClearedBits = 0xFFBFFFFFu;  // bit 22

constexpr uint32_t kFormatJpeg = 1;
constexpr uint32_t kCompressionNormal = 2;
constexpr uint32_t kSizeSmall = 2;
constexpr uint32_t kRawBits = (1u << 21) | (1u << 22);

uint32_t nibble(uint32_t value, int shift) { return (value >> shift) & 0xFu; }

// "L", "M", "S", "M1" or "M2", with "n" for normal compression.
void sizeName(uint32_t size, uint32_t compression, char* out, size_t outSize) {
  const char* name = "L";
  switch (size) {
    case 1:
      name = "M";
      break;
    case 2:
      name = "S";
      break;
    case 5:
      name = "M1";
      break;
    case 6:
      name = "M2";
      break;
    default:
      break;
  }
  std::snprintf(out, outSize, "%s%s", name, compression == kCompressionNormal ? "n" : "");
}

}  // namespace

uint32_t adjustImageQuality(uint32_t value, uint32_t protocol) {
  if (protocol == 0) {
    if ((value & kLowHalf) == 0) value |= kLegacyNoSecondary;
    return value & kLegacyClearedBits;
  }
  if ((value & kLowHalf) == 0) value |= kPtpNoSecondary;
  return value;
}

void decodeImageQuality(uint32_t value, char* buffer, size_t size) {
  const uint32_t primarySize = nibble(value, 24);
  const uint32_t primaryFormat = nibble(value, 20);
  const uint32_t primaryCompression = nibble(value, 16);
  const uint32_t secondarySize = nibble(value, 8);
  const uint32_t secondaryFormat = nibble(value, 4);
  const uint32_t secondaryCompression = nibble(value, 0);

  char name[8];
  if (primaryFormat == kFormatJpeg) {
    sizeName(primarySize, primaryCompression, name, sizeof(name));
    std::snprintf(buffer, size, "%s", name);
  } else if ((value & kRawBits) != 0) {
    const char* raw = primarySize == kSizeSmall ? "sRAW" : "RAW";
    if (secondaryFormat == kFormatJpeg) {
      sizeName(secondarySize, secondaryCompression, name, sizeof(name));
      std::snprintf(buffer, size, "%s+%s", raw, name);
    } else {
      std::snprintf(buffer, size, "%s", raw);
    }
  } else {
    std::snprintf(buffer, size, "???");
  }
}
