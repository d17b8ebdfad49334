// Windows implementation of the clock and calendar: the system time as file times, the system's
// own file-time and calendar conversions (time zone rules of the moment included), and the user's
// short date and time formats.
#include "platform/clock.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

// GetSystemTimePreciseAsFileTime where the system has it (the same clock at full resolution),
// GetSystemTimeAsFileTime otherwise.
using SystemTimeReader = VOID(WINAPI*)(LPFILETIME);

SystemTimeReader systemTimeReader() {
  static const SystemTimeReader reader = [] {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC precise =
        kernel != nullptr ? GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime") : nullptr;
    // Through the generic function type, as function pointers of different types must be cast.
    return precise != nullptr
               ? reinterpret_cast<SystemTimeReader>(reinterpret_cast<void (*)()>(precise))
               : &GetSystemTimeAsFileTime;
  }();
  return reader;
}

uint64_t toUint64(const FILETIME& ft) {
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME toFileTime(uint64_t value) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(value);
  ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return ft;
}

CalendarTime calendarOf(const SYSTEMTIME& st) {
  CalendarTime c{};
  c.year = st.wYear;
  c.month = st.wMonth;
  c.dayOfWeek = st.wDayOfWeek;
  c.day = st.wDay;
  c.hour = st.wHour;
  c.minute = st.wMinute;
  c.second = st.wSecond;
  c.millisecond = st.wMilliseconds;
  return c;
}

SYSTEMTIME systemTimeOf(const CalendarTime& c) {
  SYSTEMTIME st{};
  st.wYear = c.year;
  st.wMonth = c.month;
  st.wDayOfWeek = c.dayOfWeek;
  st.wDay = c.day;
  st.wHour = c.hour;
  st.wMinute = c.minute;
  st.wSecond = c.second;
  st.wMilliseconds = c.millisecond;
  return st;
}

bool isLeapYear(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned daysInMonth(unsigned y, unsigned m) {
  static const unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeapYear(y) ? 29 : kDays[m - 1];
}

// The fields the conversion functions accept; checked here too, so that every system refuses the
// same calendar values.
bool isValidCalendar(const CalendarTime& t) {
  return t.year >= 1601 && t.year <= 30827 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= daysInMonth(t.year, t.month) && t.hour <= 23 && t.minute <= 59 &&
         t.second <= 59 && t.millisecond <= 999;
}

// Converts a moment by way of its calendar breakdown, keeping the 100-ns units below the
// millisecond that the breakdown cannot hold.
template <typename Convert>
bool convertZone(uint64_t from, uint64_t* to, Convert convert) {
  const FILETIME ft = toFileTime(from);
  SYSTEMTIME in;
  SYSTEMTIME out;
  FILETIME result;
  if (!FileTimeToSystemTime(&ft, &in) || !convert(&in, &out) ||
      !SystemTimeToFileTime(&out, &result)) {
    return false;
  }
  *to = toUint64(result) + from % kFileTimeUnitsPerMs;
  return true;
}

}  // namespace

uint64_t utcNow() {
  FILETIME ft;
  systemTimeReader()(&ft);
  return toUint64(ft);
}

CalendarTime utcCalendarNow() {
  SYSTEMTIME st;
  GetSystemTime(&st);
  return calendarOf(st);
}

CalendarTime localCalendarNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return calendarOf(st);
}

bool fileTimeToCalendar(uint64_t fileTime, CalendarTime* out) {
  const FILETIME ft = toFileTime(fileTime);
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&ft, &st)) return false;
  *out = calendarOf(st);
  return true;
}

bool calendarToFileTime(const CalendarTime& t, uint64_t* out) {
  if (!isValidCalendar(t)) return false;
  const SYSTEMTIME st = systemTimeOf(t);
  FILETIME ft;
  if (!SystemTimeToFileTime(&st, &ft)) return false;
  *out = toUint64(ft);
  return true;
}

bool utcToLocalFileTime(uint64_t utc, uint64_t* local) {
  return convertZone(utc, local, [](const SYSTEMTIME* in, SYSTEMTIME* out) {
    return SystemTimeToTzSpecificLocalTime(nullptr, in, out) != FALSE;
  });
}

namespace {

UINT g_savedConsoleOutputCodePage = 0;

void restoreConsoleOutputCodePage() {
  if (g_savedConsoleOutputCodePage != 0) SetConsoleOutputCP(g_savedConsoleOutputCodePage);
}

}  // namespace

void initTimeLocale() {
  // The date and time formats come from the user's locale at every call. The console shows the
  // program's texts (scripts are written in the ANSI code page) as they are: its output code page
  // becomes the ANSI one while the program runs. Output to files and pipes is never converted.
  const UINT consolePage = GetConsoleOutputCP();
  if (consolePage != 0 && consolePage != GetACP() && SetConsoleOutputCP(GetACP())) {
    g_savedConsoleOutputCodePage = consolePage;
    atexit(&restoreConsoleOutputCodePage);
  }
}

bool formatLocaleDate(const CalendarTime& t, char* out, size_t size) {
  const SYSTEMTIME st = systemTimeOf(t);
  char buffer[256];
  const int n =
      GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, sizeof(buffer));
  if (n <= 0 || static_cast<size_t>(n) > size) return false;
  memcpy(out, buffer, static_cast<size_t>(n));  // n counts the terminating NUL
  return true;
}

bool formatLocaleTime(const CalendarTime& t, char* out, size_t size) {
  const SYSTEMTIME st = systemTimeOf(t);
  char buffer[256];
  const int n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, sizeof(buffer));
  if (n <= 0 || static_cast<size_t>(n) > size) return false;
  memcpy(out, buffer, static_cast<size_t>(n));
  return true;
}

uint32_t tickCount() { return static_cast<uint32_t>(GetTickCount64()); }

void sleepMs(uint64_t ms) {
  // Sleep takes at most 2^32 - 2 ms at a time (2^32 - 1 would mean "forever").
  constexpr uint64_t kMaxSlice = 0xFFFFFFFEULL;
  while (ms > kMaxSlice) {
    Sleep(static_cast<DWORD>(kMaxSlice));
    ms -= kMaxSlice;
  }
  Sleep(static_cast<DWORD>(ms));
}

}  // namespace platform
