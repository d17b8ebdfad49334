#include "script/value_parsing.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <regex>
#include <vector>

namespace {

bool isWhite(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Cuts |text| at each |sep| into at most three non-empty fields; a fourth and later are ignored.
int splitFields(char* text, char sep, char* fields[3]) {
  int count = 0;
  char* p = text;
  while (*p != '\0') {
    char* end = std::strchr(p, sep);
    if (end != nullptr) *end = '\0';
    if (*p != '\0' && count < 3) fields[count++] = p;
    if (end == nullptr) break;
    p = end + 1;
  }
  return count;
}

// Integer fields saturate here; the value also fits the signed fields of a date.
constexpr uint64_t kLargestField = std::numeric_limits<int64_t>::max();

// The value of the leading decimal digits, in 64 bits and saturated; 0 without digits.
uint64_t integerField(const char* text) {
  uint64_t value = 0;
  for (const char* p = text; *p >= '0' && *p <= '9'; ++p) {
    const uint64_t digit = static_cast<uint64_t>(*p - '0');
    value = value > (kLargestField - digit) / 10 ? kLargestField : value * 10 + digit;
  }
  return value;
}

double realField(const char* text) { return text == nullptr ? 0.0 : std::strtod(text, nullptr); }

uint16_t clampToField(uint64_t value) {
  return value > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(value);
}

}  // namespace

void trimBlanks(char*& p) {
  if (p == nullptr) return;
  while (isWhite(*p)) ++p;
  if (*p == '\0') return;
  char* end = p + std::strlen(p) - 1;
  while (end >= p && isWhite(*end)) *end-- = '\0';
}

void extractValue(char*& p) {
  if (p == nullptr) return;
  char* equals = std::strchr(p, '=');
  if (equals == nullptr) {
    p = nullptr;
    return;
  }
  p = equals + 1;
  trimBlanks(p);
  if (*p == '"') {
    ++p;
    size_t length = std::strlen(p);
    if (length > 0 && p[length - 1] == '"') p[length - 1] = '\0';
  }
}

char* copyValue(const char* text, std::string* copy) {
  copy->assign(text);
  char* value = &(*copy)[0];
  extractValue(value);
  return value;
}

void unescapeText(char* text) {
  if (text == nullptr || *text == '\0') return;
  char* out = text;
  for (const char* in = text; *in != '\0'; ++in) {
    if (*in != '\\') {
      *out++ = *in;
      continue;
    }
    ++in;
    if (*in == '\0') break;
    *out++ = *in == 'n' ? '\n' : *in == 't' ? '\t' : *in;
  }
  *out = '\0';
}

double parseDuration(const char* text) {
  if (text == nullptr || *text == '\0') return 0.0;
  // Field starts, read in place: the readers stop at the next ':' by themselves.
  const char* fields[3] = {nullptr, nullptr, nullptr};
  int count = 0;
  for (const char* p = text; *p != '\0' && count < 3;) {
    if (*p != ':') fields[count++] = p;
    const char* end = std::strchr(p, ':');
    if (end == nullptr) break;
    p = end + 1;
  }
  uint64_t hours = 0, minutes = 0;
  const char* seconds = nullptr;
  if (count == 1) {
    seconds = fields[0];
  } else if (count == 2) {
    minutes = integerField(fields[0]);
    seconds = fields[1];
  } else if (count == 3) {
    hours = integerField(fields[0]);
    minutes = integerField(fields[1]);
    seconds = fields[2];
  }
  // Hours of a long sleep pass 32 bits (1200000 h is 4.32e9 s): counted as real numbers.
  return static_cast<double>(hours) * 3600.0 + static_cast<double>(minutes) * 60.0 +
         realField(seconds);
}

void parseDate(char* text, platform::CalendarTime* t) {
  trimBlanks(text);
  if (text == nullptr || *text == '\0') return;
  char* fields[3] = {nullptr, nullptr, nullptr};
  int64_t day = -1, month = -1, year = -1;  // -1: absent
  if (std::strchr(text, '-') != nullptr) {
    int count = splitFields(text, '-', fields);
    if (count == 1) {
      day = integerField(fields[0]);
    } else if (count == 2) {
      month = integerField(fields[0]);
      day = integerField(fields[1]);
    } else if (count == 3) {
      year = integerField(fields[0]);
      month = integerField(fields[1]);
      day = integerField(fields[2]);
    }
  } else {
    int count = splitFields(text, '.', fields);
    if (count >= 1) day = integerField(fields[0]);
    if (count >= 2) month = integerField(fields[1]);
    if (count >= 3) year = integerField(fields[2]);
  }
  if (year >= 0 && year < 100) year += 2000;
  if (day > 0) t->day = clampToField(static_cast<uint64_t>(day));
  if (month > 0) t->month = clampToField(static_cast<uint64_t>(month));
  if (year > 0) t->year = clampToField(static_cast<uint64_t>(year));
}

void parseClock(char* text, platform::CalendarTime* t) {
  trimBlanks(text);
  if (text == nullptr || *text == '\0') return;
  char* fields[3] = {nullptr, nullptr, nullptr};
  int count = splitFields(text, ':', fields);
  uint64_t hour = count >= 1 ? integerField(fields[0]) : 0;
  uint64_t minute = count >= 2 ? integerField(fields[1]) : 0;
  double seconds = count >= 3 ? realField(fields[2]) : 0.0;
  if (!(seconds >= 0.0 && seconds < 65536.0)) seconds = 0.0;
  uint32_t second = static_cast<uint32_t>(seconds);
  t->hour = clampToField(hour);
  t->minute = clampToField(minute);
  t->second = static_cast<uint16_t>(second);
  t->millisecond = static_cast<uint16_t>((seconds - second) * 1000.0 + 0.5);
}

platform::CalendarTime parseMomentFrom(char* text, const platform::CalendarTime& now) {
  platform::CalendarTime t = now;
  trimBlanks(text);
  if (text == nullptr || *text == '\0') return t;
  char* cut = text;
  while (*cut != '\0' &&
         !(static_cast<unsigned char>(*cut) <= 0x20 || *cut == 'T' || *cut == 't')) {
    ++cut;
  }
  if (*cut != '\0') {
    *cut = '\0';
    parseDate(text, &t);
    parseClock(cut + 1, &t);
  } else if (std::strchr(text, ':') == nullptr) {
    parseDate(text, &t);
    t.hour = t.minute = t.second = t.millisecond = 0;
  } else {
    parseClock(text, &t);
  }
  return t;
}

platform::CalendarTime parseMoment(char* text, bool utc) {
  return parseMomentFrom(text, utc ? platform::utcCalendarNow() : platform::localCalendarNow());
}

void formatMoment(const platform::CalendarTime& t, char* out) {
  char timeText[64] = "?";
  char dateText[64] = "?";
  platform::formatLocaleTime(t, timeText, sizeof(timeText));
  platform::formatLocaleDate(t, dateText, sizeof(dateText));
  std::snprintf(out, kMomentTextSize, "%s %s", dateText, timeText);
}

bool isMomentForm(const std::string& text) {
  // The forms of the scanner's quoted moment: a day alone, a date, a clock time, or a date and a
  // clock time joined by "T" or blanks.
  static const std::regex kForm(
      "([0-9]{4}-[0-9]{1,2}-[0-9]{1,2}|[0-9]{1,2}-[0-9]{1,2}(?:-[0-9]{1,2})?|"
      "[0-9]{1,2}\\.[0-9]{1,2}(?:\\.(?:[0-9]{1,2}|[0-9]{4}))?|[0-9]{1,2})"
      "(?:(?:[Tt]|[\\x01-\\x09\\x0b-\\x20]+)([0-9]{1,2}:[0-9]{1,2}(?::[0-9]{1,2}(?:\\.[0-9]*)?)?))?"
      "|([0-9]{1,2}:[0-9]{1,2}(?::[0-9]{1,2}(?:\\.[0-9]*)?)?)");
  std::smatch match;
  if (text.empty() || text.size() > 64 || !std::regex_match(text, match, kForm)) return false;
  if (!match[1].matched) return true;  // a clock time alone
  // Day and month, wherever the form puts them, are not 0 (the year may be: 00 is 2000).
  const std::string date = match[1].str();
  const char sep = date.find('-') != std::string::npos ? '-' : '.';
  std::vector<std::string> fields;
  for (size_t start = 0;;) {
    const size_t end = date.find(sep, start);
    fields.push_back(date.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  for (size_t i = 0; i < fields.size(); ++i) {
    const bool year = fields.size() == 3 && i == (sep == '-' ? 0u : 2u);
    if (!year && fields[i].find_first_not_of('0') == std::string::npos) return false;
  }
  return true;
}
