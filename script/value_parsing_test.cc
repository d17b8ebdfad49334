#include "script/value_parsing.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/calendar_testing.h"

namespace {

// Runs a routine that takes a text (and may move the pointer) on a private copy of |text|.
template <typename Routine>
std::string applied(Routine routine, const std::string& text) {
  std::string copy(text);
  char* p = &copy[0];
  routine(p);
  return p == nullptr ? "<null>" : p;
}

TEST(ValueParsingTest, TrimExtractAndUnescape) {
  // Bytes of 0x80 and above are never white space.
  const std::pair<std::string, const char*> trims[] = {
      {" \t1.5 \r\n", "1.5"}, {"a b", "a b"}, {" \n\v\f", ""}, {"\xa0x\xa0 ", "\xa0x\xa0"}};
  for (const auto& c : trims) EXPECT_EQ(c.second, applied(trimBlanks, c.first)) << c.first;
  // Only the first "=" separates; a closing quote goes only with an opening one; blanks inside
  // the quotes stay, as the trimming happened before the quotes came off. Only lower-case n and t
  // are escapes.
  // clang-format off
  const std::pair<std::string, const char*> extracts[] = {
      {"sleep = 1.5  \n", "1.5"}, {"user=\"Press  OK\"\n", "Press  OK"}, {"user\n", "<null>"},
      {"user=\"a\"\"b\"\n", "a\"\"b"}, {"user=\"", ""}, {"k=a=b", "a=b"}, {"tv=30\"", "30\""},
      {"tv=\"30\"\"", "30\""}, {"k= \" x \" ", " x "}};
  const std::pair<std::string, const char*> unescapes[] = {
      {"two\\nlines", "two\nlines"}, {"a\\tb", "a\tb"}, {"a\\\\b", "a\\b"}, {"\\x\\\"", "x\""},
      {"end\\", "end"}, {"\\N", "N"}, {"", ""}};
  // clang-format on
  for (const auto& c : extracts) EXPECT_EQ(c.second, applied(extractValue, c.first)) << c.first;
  for (const auto& c : unescapes) EXPECT_EQ(c.second, applied(unescapeText, c.first)) << c.first;
}

TEST(ValueParsingTest, MomentsFromAFixedToday) {
  const platform::CalendarTime today{2025, 6, 0, 15, 14, 20, 30, 250};  // a Sunday
  // There is no range check here: the conversion meets impossible dates. An empty text is now.
  // clang-format off
  const std::pair<std::string, const char*> moments[] = {
      {"31.12", "2025-12-31 00:00:00.000"}, {"12-31", "2025-12-31 00:00:00.000"},
      {"24-12-31", "2024-12-31 00:00:00.000"}, {"31.12.24", "2024-12-31 00:00:00.000"},
      {"5", "2025-06-05 00:00:00.000"}, {"10:00", "2025-06-15 10:00:00.000"},
      {"2024-12-31t23:59", "2024-12-31 23:59:00.000"},
      {" 31.12.2024 \t 23:59:59.5 ", "2024-12-31 23:59:59.500"},
      {"23:59:59.9996", "2025-06-15 23:59:59.1000"}, {"31.02", "2025-02-31 00:00:00.000"},
      {"13-1", "2025-13-01 00:00:00.000"}, {"", "2025-06-15 14:20:30.250"}};
  // clang-format on
  for (const auto& c : moments) {
    std::string copy = c.first;
    EXPECT_EQ(c.second + std::string(" wd0"),
              calendar_testing::describe(parseMomentFrom(&copy[0], today)))
        << c.first;
  }
}

}  // namespace
