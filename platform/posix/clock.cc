// POSIX implementation of the clock and calendar: CLOCK_REALTIME as file times, our own civil
// calendar arithmetic (valid for every year the file time can hold), and the C library's zone
// rules (localtime_r) and LC_TIME texts (strftime).
#include "platform/clock.h"

#include <errno.h>
#include <locale.h>
#include <time.h>

namespace platform {

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kEpochDeltaSeconds = 11644473600LL;
constexpr int64_t kSecondsPerDay = 86400;
// The file time's calendar range ends with year 30827, as the classic system-time record's does.
constexpr int64_t kMaxYear = 30827;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// The inverse of daysFromCivil.
void civilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<int64_t>(yoe) + era * 400 + (*m <= 2);
}

bool isLeapYear(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned daysInMonth(unsigned y, unsigned m) {
  static const unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeapYear(y) ? 29 : kDays[m - 1];
}

uint64_t fileTimeOf(const timespec& ts) {
  return static_cast<uint64_t>(ts.tv_sec + kEpochDeltaSeconds) * kFileTimeUnitsPerSecond +
         static_cast<uint64_t>(ts.tv_nsec) / 100;
}

CalendarTime calendarOf(const tm& t, unsigned millisecond) {
  CalendarTime c{};
  c.year = static_cast<uint16_t>(t.tm_year + 1900);
  c.month = static_cast<uint16_t>(t.tm_mon + 1);
  c.dayOfWeek = static_cast<uint16_t>(t.tm_wday);
  c.day = static_cast<uint16_t>(t.tm_mday);
  c.hour = static_cast<uint16_t>(t.tm_hour);
  c.minute = static_cast<uint16_t>(t.tm_min);
  c.second = static_cast<uint16_t>(t.tm_sec > 59 ? 59 : t.tm_sec);  // a leap second stays in :59
  c.millisecond = static_cast<uint16_t>(millisecond);
  return c;
}

tm tmOf(const CalendarTime& c) {
  tm t{};
  t.tm_year = c.year - 1900;
  t.tm_mon = c.month - 1;
  t.tm_mday = c.day;
  t.tm_wday = c.dayOfWeek;
  t.tm_hour = c.hour;
  t.tm_min = c.minute;
  t.tm_sec = c.second;
  t.tm_isdst = -1;
  return t;
}

// Seconds since 1970 of a file time, and the 100-ns units below the second.
int64_t unixSecondsOf(uint64_t fileTime) {
  return static_cast<int64_t>(fileTime / kFileTimeUnitsPerSecond) - kEpochDeltaSeconds;
}

}  // namespace

uint64_t utcNow() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return fileTimeOf(ts);
}

CalendarTime utcCalendarNow() {
  CalendarTime c{};
  fileTimeToCalendar(utcNow(), &c);
  return c;
}

CalendarTime localCalendarNow() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  tm t{};
  localtime_r(&ts.tv_sec, &t);
  return calendarOf(t, static_cast<unsigned>(ts.tv_nsec / 1000000));
}

bool fileTimeToCalendar(uint64_t fileTime, CalendarTime* out) {
  const uint64_t seconds = fileTime / kFileTimeUnitsPerSecond;
  const int64_t days = static_cast<int64_t>(seconds / kSecondsPerDay);
  const unsigned secondOfDay = static_cast<unsigned>(seconds % kSecondsPerDay);
  int64_t year = 0;
  unsigned month = 0;
  unsigned day = 0;
  const int64_t unixDays = days - kEpochDeltaSeconds / kSecondsPerDay;
  civilFromDays(unixDays, &year, &month, &day);
  if (year > kMaxYear) return false;
  CalendarTime c{};
  c.year = static_cast<uint16_t>(year);
  c.month = static_cast<uint16_t>(month);
  c.day = static_cast<uint16_t>(day);
  c.dayOfWeek = static_cast<uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday
  c.hour = static_cast<uint16_t>(secondOfDay / 3600);
  c.minute = static_cast<uint16_t>(secondOfDay / 60 % 60);
  c.second = static_cast<uint16_t>(secondOfDay % 60);
  c.millisecond = static_cast<uint16_t>(fileTime % kFileTimeUnitsPerSecond / kFileTimeUnitsPerMs);
  *out = c;
  return true;
}

bool calendarToFileTime(const CalendarTime& t, uint64_t* out) {
  if (t.year < 1601 || t.year > kMaxYear || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > daysInMonth(t.year, t.month) || t.hour > 23 || t.minute > 59 || t.second > 59 ||
      t.millisecond > 999) {
    return false;
  }
  const int64_t days = daysFromCivil(t.year, t.month, t.day) + kEpochDeltaSeconds / kSecondsPerDay;
  const uint64_t seconds =
      static_cast<uint64_t>(days) * kSecondsPerDay + t.hour * 3600u + t.minute * 60u + t.second;
  *out = seconds * kFileTimeUnitsPerSecond + t.millisecond * kFileTimeUnitsPerMs;
  return true;
}

bool utcToLocalFileTime(uint64_t utc, uint64_t* local) {
  const time_t seconds = static_cast<time_t>(unixSecondsOf(utc));
  tm t{};
  if (localtime_r(&seconds, &t) == nullptr) return false;
  // tm_gmtoff is the zone's offset east of UTC in force at that moment.
  const int64_t shifted = static_cast<int64_t>(utc) + t.tm_gmtoff * 10000000LL;
  if (shifted < 0) return false;
  *local = static_cast<uint64_t>(shifted);
  return true;
}

void initTimeLocale() { setlocale(LC_TIME, ""); }

bool formatLocaleDate(const CalendarTime& t, char* out, size_t size) {
  const tm value = tmOf(t);
  char buffer[256];
  size_t n = strftime(buffer, sizeof(buffer), "%x", &value);
  if (n == 0 || n >= size) return false;
  for (size_t i = 0; i <= n; ++i) out[i] = buffer[i];
  return true;
}

bool formatLocaleTime(const CalendarTime& t, char* out, size_t size) {
  const tm value = tmOf(t);
  char buffer[256];
  size_t n = strftime(buffer, sizeof(buffer), "%X", &value);
  if (n == 0 || n >= size) return false;
  for (size_t i = 0; i <= n; ++i) out[i] = buffer[i];
  return true;
}

uint32_t tickCount() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const uint64_t ms =
      static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

void sleepMs(uint64_t ms) {
  timespec due;
  clock_gettime(CLOCK_MONOTONIC, &due);
  // Cap far-away deadlines at about 292 billion years instead of overflowing.
  const uint64_t kMaxSeconds = static_cast<uint64_t>(INT64_MAX / 2);
  uint64_t addSeconds = ms / 1000;
  if (addSeconds > kMaxSeconds) addSeconds = kMaxSeconds;
  due.tv_sec += static_cast<time_t>(addSeconds);
  due.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
  if (due.tv_nsec >= 1000000000L) {
    due.tv_nsec -= 1000000000L;
    ++due.tv_sec;
  }
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
  }
}

}  // namespace platform
