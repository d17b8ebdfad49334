#include "script/eclipse_context.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/clock.h"
#include "script/value_parsing.h"

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr double kUnixEpochInFileTimeS = 11644473600.0;

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool isBlankOrSeparator(char c) { return (c > 0 && c <= ' ') || c == ',' || c == ';'; }

// "12", "12.5" or "" for a field of a duration; |last| allows a fraction.
bool isDurationField(const std::string& field, bool last) {
  if (field.empty()) return false;
  size_t digits = 0;
  while (digits < field.size() && std::isdigit(static_cast<unsigned char>(field[digits]))) {
    ++digits;
  }
  if (digits == 0) return false;
  if (digits == field.size()) return true;
  if (!last || field[digits] != '.') return false;
  for (size_t i = digits + 1; i < field.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(field[i]))) return false;
  }
  return true;
}

// A real number that takes the whole text.
bool wholeNumber(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

std::string dateText(int year, int month, int day) {
  char text[32];
  std::snprintf(text, sizeof(text), "%04d-%02d-%02d", year, month, day);
  return text;
}

std::string utcDayText(double utcS) {
  platform::CalendarTime t{};
  if (!platform::fileTimeToCalendar(unixSecondsToFileTime(utcS), &t)) return "?";
  char text[48];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u UTC", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  return text;
}

// "2026-08-12 18:29:04.3" of a file time rounded to a tenth of a second.
std::string tenthsText(uint64_t fileTime) {
  constexpr uint64_t kTenth = platform::kFileTimeUnitsPerSecond / 10;
  const uint64_t rounded = (fileTime + kTenth / 2) / kTenth * kTenth;
  platform::CalendarTime t{};
  if (!platform::fileTimeToCalendar(rounded, &t)) return "?";
  char text[48];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u.%u", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.millisecond / 100);
  return text;
}

}  // namespace

std::string contactLineText(eclipse::ContactId id, const eclipse::Contact& contact) {
  const uint64_t utc = unixSecondsToFileTime(contact.utcS);
  uint64_t local = 0;
  const std::string localText =
      platform::utcToLocalFileTime(utc, &local) ? tenthsText(local) : std::string("?");
  char line[256];
  std::snprintf(line, sizeof(line), "%-5s%s UTC  local %s  Sun %+.1f deg%s\n",
                eclipse::contactName(id), tenthsText(utc).c_str(), localText.c_str(),
                contact.sunAltitudeDeg, contact.sunAltitudeDeg < 0 ? ", below the horizon" : "");
  return line;
}

bool parseContactName(const std::string& text, eclipse::ContactId* contact) {
  static const struct {
    const char* name;
    eclipse::ContactId id;
  } kNames[] = {{"c1", eclipse::ContactId::kC1},
                {"c2", eclipse::ContactId::kC2},
                {"max", eclipse::ContactId::kMax},
                {"c3", eclipse::ContactId::kC3},
                {"c4", eclipse::ContactId::kC4}};
  const std::string lower = lowerCase(text);
  for (const auto& entry : kNames) {
    if (lower == entry.name) {
      *contact = entry.id;
      return true;
    }
  }
  return false;
}

bool parseSignedDuration(const std::string& text, double* seconds) {
  if (text.empty()) return false;
  double sign = 1.0;
  std::string rest = text;
  if (rest[0] == '+' || rest[0] == '-') {
    sign = rest[0] == '-' ? -1.0 : 1.0;
    rest.erase(0, 1);
  }
  std::vector<std::string> fields;
  size_t from = 0;
  for (;;) {
    const size_t colon = rest.find(':', from);
    fields.push_back(
        rest.substr(from, colon == std::string::npos ? std::string::npos : colon - from));
    if (colon == std::string::npos) break;
    from = colon + 1;
  }
  if (fields.size() > 3) return false;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (!isDurationField(fields[i], i + 1 == fields.size())) return false;
    // Minutes and seconds after the first field have one or two digits, as in the script.
    if (i > 0 && fields[i].find('.') == std::string::npos && fields[i].size() > 2) return false;
  }
  *seconds = sign * parseDuration(rest.c_str());
  return true;
}

bool parseContactMoment(const std::string& text, ContactMoment* moment) {
  const size_t sign = text.find_first_of("+-");
  ContactMoment m;
  if (!parseContactName(text.substr(0, sign), &m.contact)) return false;
  if (sign != std::string::npos && !parseSignedDuration(text.substr(sign), &m.offsetS)) {
    return false;
  }
  *moment = m;
  return true;
}

std::string contactMomentText(const ContactMoment& moment) {
  std::string text = eclipse::contactName(moment.contact);
  if (moment.offsetS == 0.0) return text;
  char offset[48];
  std::snprintf(offset, sizeof(offset), "%+g s", moment.offsetS);
  return text + offset;
}

bool parseSiteItems(const std::string& items, eclipse::Site* site, std::string* error) {
  std::optional<double> lat, lon, height;
  size_t i = 0;
  while (i < items.size()) {
    if (isBlankOrSeparator(items[i])) {
      ++i;
      continue;
    }
    size_t keyEnd = i;
    while (keyEnd < items.size() && items[keyEnd] != '=' && !isBlankOrSeparator(items[keyEnd])) {
      ++keyEnd;
    }
    const std::string key = lowerCase(items.substr(i, keyEnd - i));
    size_t at = keyEnd;
    while (at < items.size() && items[at] > 0 && items[at] <= ' ') ++at;
    if (at >= items.size() || items[at] != '=') {
      *error = "'" + key + "' has no value (items: lat=<deg> lon=<deg> [height=<m>])";
      return false;
    }
    ++at;
    while (at < items.size() && items[at] > 0 && items[at] <= ' ') ++at;
    size_t valueEnd = at;
    while (valueEnd < items.size() && !isBlankOrSeparator(items[valueEnd])) ++valueEnd;
    const std::string value = items.substr(at, valueEnd - at);
    i = valueEnd;
    std::optional<double>* slot = key == "lat" || key == "latitude"    ? &lat
                                  : key == "lon" || key == "longitude" ? &lon
                                  : key == "height"                    ? &height
                                                                       : nullptr;
    if (slot == nullptr) {
      *error = "no item '" + key + "' (items: lat=<deg> lon=<deg> [height=<m>])";
      return false;
    }
    double number = 0.0;
    if (!wholeNumber(value, &number)) {
      *error = key + "=" + value + " is not a number";
      return false;
    }
    *slot = number;
  }
  if (!lat || !lon) {
    *error = "lat= and lon= are both needed (decimal degrees, east positive)";
    return false;
  }
  eclipse::Site s;
  s.latitudeDeg = *lat;
  s.longitudeDeg = *lon;
  s.heightM = height.value_or(0.0);
  if (!eclipse::validateSite(s, error)) return false;
  *site = s;
  return true;
}

bool findScriptSite(const std::string& scriptText, eclipse::Site* site, std::string* error) {
  error->clear();
  bool inScript = false;
  size_t from = 0;
  while (from < scriptText.size()) {
    size_t end = scriptText.find('\n', from);
    if (end == std::string::npos) end = scriptText.size();
    const std::string line = scriptText.substr(from, end - from);
    from = end + 1;
    if (!inScript) {
      inScript = line.compare(0, 10, "#!quorvale") == 0;
      continue;
    }
    size_t i = 0;
    while (i < line.size() && line[i] > 0 && line[i] <= ' ') ++i;
    if (lowerCase(line.substr(i, 4)) != "site") continue;
    if (i + 4 < line.size() && !(line[i + 4] > 0 && line[i + 4] <= ' ')) continue;
    return parseSiteItems(line.substr(std::min(line.size(), i + 4)), site, error);
  }
  return false;
}

uint64_t unixSecondsToFileTime(double seconds) {
  const double units = (seconds + kUnixEpochInFileTimeS) * 1e7;
  return units > 0 ? static_cast<uint64_t>(std::llround(units)) : 0;
}

double fileTimeToUnixSeconds(uint64_t fileTime) {
  return static_cast<double>(fileTime) / 1e7 - kUnixEpochInFileTimeS;
}

int chooseEclipse(const std::vector<eclipse::BesselianElements>& candidates,
                  const eclipse::Site& site, double deltaTS, double afterUtcS, double graceS,
                  eclipse::LocalCircumstances* circumstances) {
  for (size_t i = 0; i < candidates.size(); ++i) {
    const eclipse::LocalCircumstances lc =
        eclipse::computeLocalCircumstances(candidates[i], site, deltaTS);
    if (!lc.converged || lc.kind == eclipse::LocalKind::kNone) continue;
    for (const eclipse::Contact& c : lc.contacts) {
      if (c.exists && c.sunAltitudeDeg > 0.0 && c.utcS >= afterUtcS - graceS) {
        if (circumstances != nullptr) *circumstances = lc;
        return static_cast<int>(i);
      }
    }
  }
  return -1;
}

void EclipseContext::configure(const EclipseSettings& settings, double graceS) {
  settings_ = settings;
  graceS_ = graceS;
  site_ = settings.site;
  chosen_.reset();
}

bool EclipseContext::setScriptSite(const eclipse::Site& site) {
  if (settings_.site) return false;
  site_ = site;
  chosen_.reset();
  return true;
}

double EclipseContext::deltaTS() const {
  return settings_.deltaTS.value_or(eclipse::defaultDeltaTS());
}

bool EclipseContext::resolve(uint64_t nowUtc, std::string* error) {
  if (chosen_) return true;
  if (!site_) {
    *error = "no site: give -site <lat>,<lon>[,<height m>] or a site line before it";
    return false;
  }
  const double deltaT = deltaTS();
  if (settings_.elements) {
    circumstances_ = eclipse::computeLocalCircumstances(*settings_.elements, *site_, deltaT);
    chosen_ = settings_.elements;
  } else if (settings_.year != 0) {
    for (const eclipse::BesselianElements& e : eclipse::builtInEclipses()) {
      if (e.year == settings_.year && e.month == settings_.month && e.day == settings_.day) {
        circumstances_ = eclipse::computeLocalCircumstances(e, *site_, deltaT);
        chosen_ = e;
      }
    }
    if (!chosen_) {
      *error = "no built-in eclipse on " + dateText(settings_.year, settings_.month, settings_.day);
      return false;
    }
  } else {
    const std::vector<eclipse::BesselianElements>& all = eclipse::builtInEclipses();
    const double after = fileTimeToUnixSeconds(nowUtc);
    const int index = chooseEclipse(all, *site_, deltaT, after, graceS_, &circumstances_);
    if (index < 0) {
      *error = "no built-in eclipse has a contact visible from " + eclipse::formatSite(*site_) +
               " after " + utcDayText(after);
      return false;
    }
    chosen_ = all[static_cast<size_t>(index)];
  }
  if (!circumstances_.converged) {
    *error = "the contacts of the eclipse of " + eclipseName() + " at " +
             eclipse::formatSite(*site_) + " could not be computed (no convergence)";
    chosen_.reset();
    return false;
  }
  return true;
}

bool EclipseContext::momentOf(const ContactMoment& moment, uint64_t nowUtc, uint64_t* dueUtc,
                              std::string* error) {
  if (!resolve(nowUtc, error)) return false;
  const eclipse::Contact& c = circumstances_.contacts[static_cast<int>(moment.contact)];
  if (circumstances_.kind == eclipse::LocalKind::kNone) {
    *error = "the eclipse of " + eclipseName() + " does not reach " + eclipse::formatSite(*site_);
    return false;
  }
  if (!c.exists) {
    *error = std::string(eclipse::contactName(moment.contact)) + " does not happen at " +
             eclipse::formatSite(*site_) + ": the eclipse of " + eclipseName() +
             " is partial there";
    return false;
  }
  *dueUtc = unixSecondsToFileTime(c.utcS + moment.offsetS);
  return true;
}

std::string EclipseContext::eclipseName() const {
  if (!chosen_) return "?";
  return dateText(chosen_->year, chosen_->month, chosen_->day);
}
