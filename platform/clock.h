// Clock and calendar of the platform seam.
//
// Moments are kept as "file times": unsigned 64-bit counts of 100-ns units since
// 1601-01-01 00:00:00 UTC, on the system's real-time clock (so they follow clock steps). Calendar
// breakdowns use CalendarTime, whose fields follow the classic SYSTEMTIME record.
//
// Thread safety: every function may be called from any thread.
#ifndef QUORVALE_PLATFORM_CLOCK_H_
#define QUORVALE_PLATFORM_CLOCK_H_

#include <cstddef>
#include <cstdint>

namespace platform {

constexpr uint64_t kFileTimeUnitsPerSecond = 10000000ULL;
constexpr uint64_t kFileTimeUnitsPerMs = 10000ULL;

// Calendar breakdown of a moment: year, month 1-12, day of week 0 = Sunday, day of month 1-31,
// hour, minute, second, millisecond.
struct CalendarTime {
  uint16_t year;
  uint16_t month;
  uint16_t dayOfWeek;
  uint16_t day;
  uint16_t hour;
  uint16_t minute;
  uint16_t second;
  uint16_t millisecond;
};

// The current UTC moment as a file time.
uint64_t utcNow();

// The current time broken down in UTC and in the local time zone.
CalendarTime utcCalendarNow();
CalendarTime localCalendarNow();

// Breaks a file time down into calendar fields (no zone conversion). Returns false when the moment
// is outside the representable range.
bool fileTimeToCalendar(uint64_t fileTime, CalendarTime* out);

// Builds a file time from calendar fields (no zone conversion; the day of week is ignored).
// Returns false, and leaves *out unchanged, when a field is out of range: month outside 1-12, a day
// the month does not have, hour > 23, minute > 59, second > 59, millisecond > 999, year < 1601.
bool calendarToFileTime(const CalendarTime& t, uint64_t* out);

// Converts between UTC and local wall-clock file times using the zone rules in force at that moment
// (daylight saving time included). Return false when the conversion is impossible. A local time
// that the zone repeats or skips is resolved by the rule of local_time.h, whatever was converted
// before.
bool utcToLocalFileTime(uint64_t utc, uint64_t* local);
bool localToUtcFileTime(uint64_t local, uint64_t* utc);

// Prepares locale-dependent formatting: adopts the user's LC_TIME settings only (numbers keep '.').
// Where the console has a code page of its own, it is set to show the program's texts as written
// for the life of the process. Call once at program start, before other threads exist.
void initTimeLocale();

// The user's short date and time texts for a calendar time ("%x" and "%X" of the user's LC_TIME).
// Write a NUL-terminated text of at most size-1 bytes and return true; return false and leave |out|
// unchanged when the text cannot be made.
bool formatLocaleDate(const CalendarTime& t, char* out, size_t size);
bool formatLocaleTime(const CalendarTime& t, char* out, size_t size);

// Milliseconds since an arbitrary start on a monotonic clock, wrapping at 2^32.
uint32_t tickCount();

// Blocks the calling thread for |ms| milliseconds (monotonic; not interrupted by signals).
void sleepMs(uint64_t ms);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_CLOCK_H_
