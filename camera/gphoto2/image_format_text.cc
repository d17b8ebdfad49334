#include "camera/gphoto2/image_format_text.h"

#include <cctype>
#include <string>

namespace {

// Lower case without blanks, '-' and '_': "Large Fine JPEG" -> "largefinejpeg".
std::string normalise(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '-' || c == '_' || c == '\t') continue;
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

constexpr EdsUInt32 kJpegFormat = 1;
constexpr EdsUInt32 kRawFormatAndCompression = 0x64;

bool jpegPart(const std::string& part, EdsUInt32* size, EdsUInt32* compression) {
  static const struct {
    const char* name;
    EdsUInt32 size;
  } kSizes[] = {{"large", 0}, {"medium1", 5}, {"medium2", 6}, {"medium", 1}, {"small", 2}};
  const std::string suffix = "jpeg";
  if (part.size() <= suffix.size() || part.compare(part.size() - 4, 4, suffix) != 0) return false;
  std::string rest = part.substr(0, part.size() - 4);
  for (const auto& s : kSizes) {
    size_t len = std::char_traits<char>::length(s.name);
    if (rest.compare(0, len, s.name) != 0) continue;
    std::string quality = rest.substr(len);
    if (quality == "fine") {
      *compression = 3;
    } else if (quality == "normal") {
      *compression = 2;
    } else {
      return false;
    }
    *size = s.size;
    return true;
  }
  return false;
}

bool rawPart(const std::string& part, EdsUInt32* size) {
  if (part == "raw") {
    *size = 0;
  } else if (part == "mraw" || part == "sraw1") {
    *size = 1;
  } else if (part == "sraw" || part == "sraw2") {
    *size = 2;
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool imageQualityFromText(const std::string& text, EdsUInt32* code) {
  bool haveRaw = false;
  bool haveJpeg = false;
  EdsUInt32 rawSize = 0, jpegSize = 0, compression = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t plus = text.find('+', start);
    std::string part =
        normalise(text.substr(start, plus == std::string::npos ? std::string::npos : plus - start));
    if (!haveRaw && rawPart(part, &rawSize)) {
      haveRaw = true;
    } else if (!haveJpeg && jpegPart(part, &jpegSize, &compression)) {
      haveJpeg = true;
    } else {
      return false;
    }
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
  if (haveRaw) {
    *code = rawSize << 24 | kRawFormatAndCompression << 16;
    if (haveJpeg) *code |= jpegSize << 8 | kJpegFormat << 4 | compression;
  } else if (haveJpeg) {
    *code = jpegSize << 24 | kJpegFormat << 20 | compression << 16;
  } else {
    return false;
  }
  return true;
}

EdsUInt32 canonicalImageQuality(EdsUInt32 code) {
  EdsUInt32 low = code & 0xFFFF;
  if (low == 0x0F0F || low == 0x000F || low == 0xFFFF) return code & 0xFFFF0000;
  return code;
}
