// formatMoment with the C library's LC_TIME (POSIX systems; elsewhere the user's formats come
// from the system's own settings, which the end-to-end suite exercises).
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include "script/value_parsing.h"

namespace {

// Selects a German LC_TIME; when none is installed, compiles one from the system's locale
// sources into a private directory named by LOCPATH. Returns false when neither works.
bool selectGermanTimeLocale() {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
    if (std::setlocale(LC_TIME, name) != nullptr) return true;
  }
  const std::string dir = testing::TempDir() + "quorvale_locales";
  const std::string make = "mkdir -p '" + dir + "' && localedef -i de_DE -f UTF-8 '" + dir +
                           "/de_DE.UTF-8' >/dev/null 2>&1";
  setenv("LOCPATH", dir.c_str(), 1);  // made by an earlier run?
  bool selected = std::setlocale(LC_TIME, "de_DE.UTF-8") != nullptr ||
                  (std::system(make.c_str()) == 0 && std::setlocale(LC_TIME, "de_DE.UTF-8"));
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
