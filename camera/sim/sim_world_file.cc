#include "camera/sim/sim_world_file.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "camera/image_quality.h"
#include "camera/property_tables.h"

namespace {

std::string trimmed(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

// A whole unsigned integer within 32 bits: decimal (leading zeros and all), or hex after "0x".
bool readCode(const std::string& text, uint32_t* out) {
  if (text.empty() || !std::isxdigit(static_cast<unsigned char>(text[0]))) return false;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* digits = text.c_str() + (hex ? 2 : 0);
  if (!std::isxdigit(static_cast<unsigned char>(*digits))) return false;
  errno = 0;
  char* end = nullptr;
  unsigned long long value = std::strtoull(digits, &end, hex ? 16 : 10);
  if (errno != 0 || *end != '\0' || end == digits || value > 0xFFFFFFFFULL) return false;
  *out = static_cast<uint32_t>(value);
  return true;
}

bool readNumber(const std::string& text, double* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  if (*end != '\0' || end == text.c_str() || !std::isfinite(value) || value < 0.0) return false;
  *out = value;
  return true;
}

// A size: a number and a unit (B, KB, MB, GB; powers of 1000), blanks between allowed.
bool readSize(const std::string& text, uint64_t* out) {
  size_t unitAt = text.find_first_not_of("0123456789.");
  if (unitAt == std::string::npos || unitAt == 0) return false;
  double value = 0.0;
  if (!readNumber(text.substr(0, unitAt), &value)) return false;
  const std::string unit = lower(trimmed(text.substr(unitAt)));
  double scale = unit == "b"    ? 1.0
                 : unit == "kb" ? 1e3
                 : unit == "mb" ? 1e6
                 : unit == "gb" ? 1e9
                                : 0;
  if (scale == 0.0 || value * scale > 1e18) return false;
  *out = static_cast<uint64_t>(value * scale + 0.5);
  return true;
}

struct NamedProperty {
  const char* name;
  EdsPropertyID id;
  const PropertyTable* (*table)();
};

const PropertyTable* noTable() { return nullptr; }
const PropertyTable* qualityTable() { return &imageQualityTable(); }
const PropertyTable* aeTable() { return &aeModeTable(); }
const PropertyTable* driveTable() { return &driveModeTable(); }
const PropertyTable* isoValues() { return &isoTable(); }
const PropertyTable* meteringTable() { return &meteringModeTable(); }
const PropertyTable* avValues() { return &avTable(); }
const PropertyTable* tvValues() { return &tvTable(); }

constexpr NamedProperty kProperties[] = {
    {"quality", kEdsPropID_ImageQuality, qualityTable},
    {"ae", kEdsPropID_AEMode, aeTable},
    {"drive", kEdsPropID_DriveMode, driveTable},
    {"iso", kEdsPropID_ISOSpeed, isoValues},
    {"metering", kEdsPropID_MeteringMode, meteringTable},
    {"av", kEdsPropID_Av, avValues},
    {"tv", kEdsPropID_Tv, tvValues},
    {"battery", kEdsPropID_BatteryLevel, noTable},
    {"saveto", kEdsPropID_SaveTo, noTable},
    {"shots", kEdsPropID_AvailableShots, noTable},
    {"capacity", kEdsPropID_Capacity, noTable},
};

const NamedProperty* propertyNamed(const std::string& name) {
  for (const NamedProperty& p : kProperties) {
    if (lower(name) == p.name) return &p;
  }
  return nullptr;
}

bool readProperty(const std::string& text, EdsPropertyID* out) {
  if (const NamedProperty* p = propertyNamed(text)) {
    *out = p->id;
    return true;
  }
  return readCode(text, out);
}

// The code of value |name| of a named property as |body| takes it: the code pair member its
// description lists, the image quality in its protocol's form.
bool propertyValue(const NamedProperty& p, const std::string& name, const SimBodyConfig& body,
                   EdsUInt32* out) {
  const PropertyTable* table = p.table();
  if (table == nullptr || !table->codeOf(name.c_str(), out)) return readCode(name, out);
  if (p.id == kEdsPropID_ImageQuality) *out = adjustImageQuality(*out, body.deviceSubType);
  const CodePairTable* pairs = p.id == kEdsPropID_Av   ? &avCodePairs()
                               : p.id == kEdsPropID_Tv ? &tvCodePairs()
                                                       : nullptr;
  auto found = body.properties.find(p.id);
  if (pairs != nullptr && found != body.properties.end()) {
    for (EdsInt32 allowed : found->second.allowed) {
      EdsUInt32 code = static_cast<EdsUInt32>(allowed);
      if (code == pairs->toSecond(*out) || code == pairs->toFirst(*out)) *out = code;
    }
  }
  return true;
}

class WorldFileReader {
 public:
  WorldFileReader(const SimMomentReader& readMoment, SimWorld* world)
      : readMoment_(readMoment), world_(world) {}

  // Handles one line; false with reason_ set on an error.
  bool line(const std::string& raw) {
    const std::string text = trimmed(raw);
    if (text.empty() || text[0] == '#' || text[0] == ';') return true;
    if (text[0] == '[') return section(text);
    size_t eq = text.find('=');
    if (eq == std::string::npos) return fail("expected \"key = value\" or a [section]");
    const std::string key = lower(trimmed(text.substr(0, eq)));
    const std::string value = trimmed(text.substr(eq + 1));
    if (section_ == Section::kNone) return fail("key '" + key + "' before any section");
    if (section_ == Section::kWorld) return worldKey(key, value);
    return cameraKey(key, value);
  }

  const std::string& reason() const { return reason_; }

 private:
  enum class Section { kNone, kWorld, kCamera };

  bool fail(const std::string& reason) {
    reason_ = reason;
    return false;
  }
  bool badValue(const std::string& key, const std::string& value, const char* expected) {
    return fail("bad value '" + value + "' for " + key + ": " + expected);
  }

  bool section(const std::string& text) {
    if (text.back() != ']') return fail("a section line ends with ']'");
    std::vector<std::string> name = words(lower(text.substr(1, text.size() - 2)));
    if (name.size() == 1 && name[0] == "world") {
      section_ = Section::kWorld;
      return true;
    }
    if (name.size() == 2 && name[0] == "camera" && (name[1] == "ptp" || name[1] == "legacy")) {
      if (!customBodies_) world_->bodies.clear();
      customBodies_ = true;
      SimBodyPlan plan;
      plan.config = name[1] == "ptp" ? defaultPtpBodyConfig() : defaultLegacyBodyConfig();
      plan.config.portName = "sim:" + std::to_string(world_->bodies.size());
      world_->bodies.push_back(plan);
      section_ = Section::kCamera;
      cardsGiven_ = false;
      return true;
    }
    return fail("unknown section " + text + " (expected [world], [camera ptp] or [camera legacy])");
  }

  bool worldKey(const std::string& key, const std::string& value) {
    if (key == "initialize_error") {
      return readCode(value, &world_->initializeError) || badValue(key, value, "a code");
    }
    return fail("unknown key '" + key + "' in [world]");
  }

  bool cameraKey(const std::string& key, const std::string& value);
  bool shotFault(const std::string& key, const std::string& value, SimBodyPlan* plan);

  const SimMomentReader& readMoment_;
  SimWorld* world_;
  Section section_ = Section::kNone;
  bool customBodies_ = false;
  bool cardsGiven_ = false;
  std::string reason_;
};

bool WorldFileReader::shotFault(const std::string& key, const std::string& value,
                                SimBodyPlan* plan) {
  std::vector<std::string> parts = words(value);
  uint32_t shot = 0, extra = 0;
  const bool twoParts = key == "capture_error_on_shot" || key == "late_completion_on_shot";
  if (parts.empty() || parts.size() > (twoParts ? 2u : 1u) || !readCode(parts[0], &shot) ||
      shot == 0 || (parts.size() == 2 && !readCode(parts[1], &extra))) {
    return badValue(key, value,
                    twoParts ? "a shot number from 1 and a number" : "a shot number from 1");
  }
  SimShotFault& fault = plan->shotFaults[shot];
  if (key == "busy_on_shot") fault.busy = true;
  if (key == "capture_error_on_shot") fault.captureError = parts.size() == 2 ? extra : 1;
  if (key == "lost_completion_on_shot") fault.lostCompletion = true;
  if (key == "lost_events_on_shot") fault.lostAll = fault.lostCompletion = true;
  if (key == "late_completion_on_shot") {
    if (parts.size() != 2) return badValue(key, value, "a shot number and milliseconds");
    fault.lateMs = extra;
  }
  return true;
}

bool WorldFileReader::cameraKey(const std::string& key, const std::string& value) {
  SimBodyPlan& plan = world_->bodies.back();
  SimBodyConfig& body = plan.config;
  uint32_t code = 0;
  double number = 0.0;
  uint64_t size = 0;
  if (key == "model") {
    if (value.empty() || value.size() > 255) return badValue(key, value, "1 to 255 characters");
    body.description = value;
  } else if (key == "port") {
    if (value.empty() || value.size() > 255) return badValue(key, value, "1 to 255 characters");
    body.portName = value;
  } else if (key == "card") {
    std::vector<std::string> parts = words(value);
    SimVolume card;
    if (parts.size() < 2 || parts.size() > 3 || !readSize(parts[1], &card.maxCapacity) ||
        (parts.size() == 3 && !readSize(parts[2], &card.freeSpace)) ||
        (parts.size() == 3 && card.freeSpace > card.maxCapacity)) {
      return badValue(key, value, "a label, a capacity and a free space not above it");
    }
    if (parts.size() == 2) card.freeSpace = card.maxCapacity;
    card.label = parts[0];
    if (!cardsGiven_) body.volumes.clear();
    cardsGiven_ = true;
    if (body.volumes.size() == 6) return fail("a body has at most 6 cards");
    body.volumes.push_back(card);
  } else if (key == "write_speed") {
    std::string v = lower(value);
    if (v.size() < 3 || v.compare(v.size() - 2, 2, "/s") != 0 ||
        !readSize(trimmed(v.substr(0, v.size() - 2)), &size)) {
      return badValue(key, value, "a size per second, e.g. 90MB/s");
    }
    body.writeBytesPerSecond = size;
  } else if (key == "buffer") {
    if (!readSize(value, &size)) return badValue(key, value, "a size, e.g. 600MB");
    body.bufferBytes = size;
  } else if (key == "buffer_frames") {
    if (!readCode(value, &code) || code == 0) return badValue(key, value, "a number from 1");
    body.bufferLimit = code;
  } else if (key == "jpeg_size" || key == "raw_size") {
    if (!readSize(value, &size) || size == 0) return badValue(key, value, "a size, e.g. 30MB");
    (key == "jpeg_size" ? body.jpegBytes : body.rawBytes) = size;
  } else if (key == "battery") {
    if (!readCode(value, &code) || code > 100) return badValue(key, value, "a percentage");
    body.battery = code;
  } else if (key == "battery_drain_per_shot" || key == "battery_drain_per_hour") {
    if (!readNumber(value, &number) || number > 100.0) {
      return badValue(key, value, "a percentage");
    }
    (key == "battery_drain_per_shot" ? body.batteryPerShot : body.batteryPerHour) = number;
  } else if (key == "processing_ms" || key == "store_ms" || key == "event_delay_ms") {
    if (!readCode(value, &code)) return badValue(key, value, "milliseconds");
    if (key == "processing_ms") body.processingMs = code;
    if (key == "store_ms") body.storeMs = code;
    if (key == "event_delay_ms") plan.eventDelayMs = code;
  } else if (key == "auto_power_off" || key == "auto_power_off_warning") {
    if (!readCode(value, &code) || code > 86400) return badValue(key, value, "seconds");
    if (key == "auto_power_off") body.autoPowerOffMs = code * 1000;
    if (key == "auto_power_off_warning") body.autoPowerOffWarnSeconds = code;
  } else if (key == "added_after") {
    if (!readNumber(value, &number) || number <= 0.0 || number > 86400.0 * 366) {
      return badValue(key, value, "seconds above 0");
    }
    plan.addedAfterMs = static_cast<uint64_t>(number * 1000.0 + 0.5);
  } else if (key == "session_error" || key == "ui_lock_result" || key == "refuse_release" ||
             key == "refuse_extend_shutdown") {
    if (!readCode(value, &code)) return badValue(key, value, "a code");
    if (key == "session_error") plan.sessionError = code;
    if (key == "ui_lock_result") plan.uiLockResult = code;
    if (key == "refuse_release") plan.takeRefusal = code;
    if (key == "refuse_extend_shutdown") plan.extendRefusal = code;
  } else if (key == "read_error" || key == "write_error" || key == "desc_error") {
    std::vector<std::string> parts = words(value);
    EdsPropertyID property = 0;
    if (parts.size() != 2 || !readProperty(parts[0], &property) || !readCode(parts[1], &code)) {
      return badValue(key, value, "a property and a code");
    }
    (key == "read_error"    ? plan.readErrors
     : key == "write_error" ? plan.writeErrors
                            : plan.descErrors)[property] = code;
  } else if (key == "shutdown_after_shot") {
    if (!readCode(value, &code) || code == 0) return badValue(key, value, "a shot number from 1");
    plan.shutdownAfterShots = code;
  } else if (key == "back_after") {
    if (!readCode(value, &code)) return badValue(key, value, "a number of seconds");
    plan.backAfterMs = uint64_t{code} * 1000;
  } else if (key == "shutdown_at" || key == "shutdown_at_utc") {
    uint64_t moment = 0;
    if (!readMoment_ || !readMoment_(value, key == "shutdown_at_utc", &moment)) {
      return badValue(key, value, "a date and/or time as scripts write them");
    }
    plan.shutdownAtUtc = moment;
  } else if (key.size() > 8 && key.compare(key.size() - 8, 8, "_on_shot") == 0 &&
             (key == "busy_on_shot" || key == "capture_error_on_shot" ||
              key == "lost_completion_on_shot" || key == "lost_events_on_shot" ||
              key == "late_completion_on_shot")) {
    return shotFault(key, value, &plan);
  } else if (const NamedProperty* p = propertyNamed(key)) {
    if (p->table() == nullptr) return fail("property '" + key + "' cannot be set in a world file");
    EdsUInt32 raw = 0;
    if (!propertyValue(*p, value, body, &raw)) return badValue(key, value, "a value name or code");
    body.properties[p->id].value = raw;
  } else {
    return fail("unknown key '" + key + "' in [camera]");
  }
  return true;
}

}  // namespace

bool parseSimWorldFile(const std::string& text, const SimMomentReader& readMoment, SimWorld* world,
                       SimWorldFileError* error) {
  *world = defaultSimWorld();
  WorldFileReader reader(readMoment, world);
  std::istringstream in(text);
  uint32_t number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.find('\0') != std::string::npos || !reader.line(line)) {
      error->line = number;
      error->reason = reader.reason().empty() ? "a NUL byte" : reader.reason();
      return false;
    }
  }
  return true;
}
