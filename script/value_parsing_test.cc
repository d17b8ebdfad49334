#include "script/value_parsing.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Runs a pointer-moving routine on a private copy and returns the result ("<null>" for none).
std::string extracted(const char* text) {
  std::string copy(text);
  char* p = &copy[0];
  extractValue(p);
  return p == nullptr ? "<null>" : std::string(p);
}

std::string trimmed(const char* text) {
  std::string copy(text);
  char* p = &copy[0];
  trimBlanks(p);
  return p;
}

std::string unescaped(const char* text) {
  std::string copy(text);
  unescapeText(&copy[0]);
  return copy.c_str();
}

// 15 June 2025, 14:20:30.250, a Sunday: the fixed "today" of the moment examples.
platform::CalendarTime today() {
  platform::CalendarTime t{2025, 6, 0, 15, 14, 20, 30, 250};
  return t;
}

std::string moment(const char* text) {
  std::string copy(text);
  platform::CalendarTime t = parseMomentFrom(&copy[0], today());
  char out[64];
  std::snprintf(out, sizeof(out), "%04u-%02u-%02u %02u:%02u:%02u.%03u dow%u", t.year, t.month,
                t.day, t.hour, t.minute, t.second, t.millisecond, t.dayOfWeek);
  return out;
}

TEST(ValueParsingTest, TrimBlanks) {
  EXPECT_EQ("1.5", trimmed(" \t1.5 \r\n"));
  EXPECT_EQ("a b", trimmed("a b"));
  EXPECT_EQ("", trimmed(" \n\v\f"));
  // Bytes of 0x80 and above are never white space.
  EXPECT_EQ("\xa0x\xa0", trimmed("\xa0x\xa0 "));
  char* none = nullptr;
  trimBlanks(none);
  EXPECT_EQ(nullptr, none);
}

TEST(ValueParsingTest, ExtractValue) {
  EXPECT_EQ("1.5", extracted("sleep = 1.5  \n"));
  EXPECT_EQ("Press  OK", extracted("user=\"Press  OK\"\n"));
  EXPECT_EQ("a\"\"b", extracted("user=\"a\"\"b\"\n"));
  EXPECT_EQ("<null>", extracted("user\n"));
  EXPECT_EQ("", extracted("user=\""));
  // Only the first "=" separates; a closing quote goes only with an opening one.
  EXPECT_EQ("a=b", extracted("k=a=b"));
  EXPECT_EQ("30\"", extracted("tv=30\""));
  EXPECT_EQ("30\"", extracted("tv=\"30\"\""));
  // Blanks inside the quotes stay: the trimming happened before the quotes came off.
  EXPECT_EQ(" x ", extracted("k= \" x \" "));
}

TEST(ValueParsingTest, UnescapeText) {
  EXPECT_EQ("two\nlines", unescaped("two\\nlines"));
  EXPECT_EQ("a\tb", unescaped("a\\tb"));
  EXPECT_EQ("a\\b", unescaped("a\\\\b"));
  EXPECT_EQ("x\"", unescaped("\\x\\\""));
  EXPECT_EQ("end", unescaped("end\\"));
  EXPECT_EQ("N", unescaped("\\N"));  // only lower-case n and t are escapes
  EXPECT_EQ("", unescaped(""));
}

TEST(ValueParsingTest, Durations) {
  EXPECT_DOUBLE_EQ(90.0, parseDuration("90"));
  EXPECT_DOUBLE_EQ(1.5, parseDuration("1.5"));
  EXPECT_DOUBLE_EQ(90.0, parseDuration("1:30"));
  EXPECT_DOUBLE_EQ(3723.5, parseDuration("1:02:03.5"));
  EXPECT_DOUBLE_EQ(0.0, parseDuration("0:0"));
  EXPECT_DOUBLE_EQ(90.0, parseDuration("1::30"));      // empty fields do not count
  EXPECT_DOUBLE_EQ(3723.0, parseDuration("1:2:3:4"));  // a fourth field is ignored
  EXPECT_DOUBLE_EQ(0.0, parseDuration(""));
  EXPECT_DOUBLE_EQ(0.0, parseDuration(nullptr));
  // A long value is read whole, not cut to some buffer.
  EXPECT_DOUBLE_EQ(7.0, parseDuration((std::string(300, '0') + "7").c_str()));
}

TEST(ValueParsingTest, MomentsFromAFixedToday) {
  EXPECT_EQ("2025-12-31 00:00:00.000 dow0", moment("31.12"));
  EXPECT_EQ("2025-12-31 00:00:00.000 dow0", moment("12-31"));
  EXPECT_EQ("2024-12-31 00:00:00.000 dow0", moment("24-12-31"));
  EXPECT_EQ("2024-12-31 00:00:00.000 dow0", moment("31.12.24"));
  EXPECT_EQ("2025-06-05 00:00:00.000 dow0", moment("5"));
  EXPECT_EQ("2025-06-15 10:00:00.000 dow0", moment("10:00"));
  EXPECT_EQ("2024-12-31 23:59:00.000 dow0", moment("2024-12-31T23:59"));
  EXPECT_EQ("2024-12-31 23:59:00.000 dow0", moment("2024-12-31t23:59"));
  EXPECT_EQ("2024-12-31 23:59:59.500 dow0", moment("31.12.2024 23:59:59.5"));
  EXPECT_EQ("2024-12-31 23:59:59.500 dow0", moment(" 31.12.2024 \t 23:59:59.5 "));
  EXPECT_EQ("2025-06-15 23:59:59.1000 dow0", moment("23:59:59.9996"));
  // No range check here: the conversion meets impossible dates.
  EXPECT_EQ("2025-02-31 00:00:00.000 dow0", moment("31.02"));
  EXPECT_EQ("2025-13-01 00:00:00.000 dow0", moment("13-1"));
  // An empty text is now.
  EXPECT_EQ("2025-06-15 14:20:30.250 dow0", moment(""));
}

// Selects a German LC_TIME; when the machine has none installed, compiles one from the system's
// locale sources into a private directory and points LOCPATH there. Returns false when neither
// works.
bool selectGermanTimeLocale() {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
    if (std::setlocale(LC_TIME, name) != nullptr) return true;
  }
  const std::string dir = testing::TempDir() + "quorvale_locales";
  setenv("LOCPATH", dir.c_str(), 1);  // made by an earlier run?
  bool selected = std::setlocale(LC_TIME, "de_DE.UTF-8") != nullptr;
  unsetenv("LOCPATH");
  if (selected) return true;
  const std::string command = "mkdir -p '" + dir + "' && localedef -i de_DE -f UTF-8 '" + dir +
                              "/de_DE.UTF-8' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return false;
  setenv("LOCPATH", dir.c_str(), 1);
  selected = std::setlocale(LC_TIME, "de_DE.UTF-8") != nullptr;
  unsetenv("LOCPATH");
  return selected;
}

TEST(ValueParsingTest, FormatMomentUsesTheTimeLocale) {
  platform::CalendarTime t{2024, 12, 2, 31, 23, 59, 59, 500};
  char out[kMomentTextSize];
  std::memset(out, 'x', sizeof(out));
  std::string previous = std::setlocale(LC_TIME, nullptr);
  std::setlocale(LC_TIME, "C");
  formatMoment(t, out);
  EXPECT_STREQ("12/31/24 23:59:59", out);  // never milliseconds

  bool haveGerman = selectGermanTimeLocale();
  if (haveGerman) {
    formatMoment(t, out);
    EXPECT_STREQ("31.12.2024 23:59:59", out);
  }
  std::setlocale(LC_TIME, previous.c_str());
  if (!haveGerman) GTEST_SKIP() << "no German locale and no locale sources to make one";
}

}  // namespace
