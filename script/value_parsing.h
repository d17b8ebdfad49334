// Value routines of the script interpreter: take a value out of a matched rule text and turn it
// into durations and calendar times, and turn a calendar time back into the user's text.
//
// The scanner admits only values of the right shape, so these routines make no shape tests of
// their own and report nothing: what they cannot read becomes 0, no value, or leaves a field as it
// was. They work in place on a writable, NUL-terminated text owned by the caller, cut it by
// writing NUL bytes and move the caller's pointer; none allocates memory.
//
// Thread safety: all routines are reentrant; formatMoment reads the process's LC_TIME locale.
#ifndef QUORVALE_SCRIPT_VALUE_PARSING_H_
#define QUORVALE_SCRIPT_VALUE_PARSING_H_

#include <cstddef>

#include <string>

#include "platform/clock.h"

// Size of the output array of formatMoment.
constexpr size_t kMomentTextSize = 256;

// Moves |p| past leading white space (space, \t, \n, \v, \f, \r) and overwrites trailing white
// space with NUL. A null |p| or null text is left alone.
void trimBlanks(char*& p);

// Points |p| at the value after the first "=" with blanks trimmed; when the value then begins with
// a double quote, that quote and one double quote at its end are removed. Sets |p| to null when the
// text has no "=".
void extractValue(char*& p);

// Copies a rule's |text| into |copy| (the caller's storage, which must outlive the result) and
// returns the value extractValue finds in the copy, or null when the text has no "=". The text
// itself is not changed.
char* copyValue(const char* text, std::string* copy);

// Rewrites |text| in place: a backslash is dropped and makes the byte after it literal, except that
// "\n" becomes a line feed and "\t" a tab. A backslash as the last byte is dropped.
void unescapeText(char* text);

// Seconds, m:s or h:m:s with an optional fraction on the last field; 0 for null or empty text.
double parseDuration(const char* text);

// Updates the date fields of |t| from "y-m-d", "m-d", "d", "d.m" or "d.m.y" (a year below 100 gets
// 2000 added); fields that are absent or not positive keep their value. No range check.
void parseDate(char* text, platform::CalendarTime* t);

// Sets hour, minute, second and millisecond of |t| from "h:m[:s[.fraction]]". No range check: a
// fraction that rounds up gives millisecond 1000.
void parseClock(char* text, platform::CalendarTime* t);

// Parses a moment (date, clock time, or date then clock time joined by a blank or "T") starting
// from |now|: a date alone means midnight of that date, a clock time alone keeps now's date.
platform::CalendarTime parseMomentFrom(char* text, const platform::CalendarTime& now);

// parseMomentFrom with the current time, UTC when |utc| is set and local time otherwise.
platform::CalendarTime parseMoment(char* text, bool utc);

// True when |text| is, whole, one of the moment forms a script's wait takes (a blank or "T"
// between date and time, as in quotes) and names no day or month 0. Ranges beyond that (hour 25,
// 31 February) are the calendar conversion's to refuse.
bool isMomentForm(const std::string& text);

// Writes "<user's short date> <user's time>" for |t| into |out| (kMomentTextSize bytes); a part
// the locale cannot make shows "?".
void formatMoment(const platform::CalendarTime& t, char* out);

#endif  // QUORVALE_SCRIPT_VALUE_PARSING_H_
