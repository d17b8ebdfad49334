// Eclipse contacts end to end: the -eclipse listing and its errors, -site, -elements and -deltat,
// the script's site line and contact waits in a rehearsal at the eclipse's hour, "-at c2-60", the
// check's contacts and findings, and the contact lines of the timeline (read as SVG).
#include <expat.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

// NASA's polynomial elements of the 2026 August 12 total eclipse (per-eclipse page, path tables
// with Delta T 71.4 s), typed as the page prints them; line 4 is the heading.
const char kElements2026[] =
    "Total Solar Eclipse of 2026 Aug 12\n"
    "\n"
    "Eclipse Type = T\n"
    "Polynomial Besselian Elements for: 2026 Aug 12 18.000 TDT (=t0)\n"
    "   n     x         y          d          l1         l2          mu\n"
    "   0  0.475593  0.771161  14.79667   0.537954  -0.008142   88.74776\n"
    "   1  0.5189288 -0.2301664 -0.012065  0.0000940  0.0000935  15.003093\n"
    "   2 -0.0000773 -0.0001245 -0.000003 -0.0000121 -0.0000121   0.000000\n"
    "   3 -0.0000088  0.0000037  0.000000  0.000000   0.000000    0.000000\n"
    "\n"
    "   tan f1 = 0.0046141   tan f2 = 0.0045911\n"
    "\n"
    "   \xCE\x94T = 71.4 s\n";

// A point of NASA's 2026 path table: 41.81667 N 3.18500 W, greatest eclipse 18:30:00 UT (with
// Delta T 71.4 s), totality 104.6 s.
const char kPathPoint[] = "41.81667,-3.185";
const char kBurgos[] = "42.3439,-3.6969,860";

const std::regex kContactLine(
    "(C1|C2|Max|C3|C4) +(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d) UTC  local "
    "(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d)  Sun ([-+]\\d+\\.\\d) deg(, below the "
    "horizon)?");

struct ListedContact {
  std::string name, utc, local;
  double altitude = 0;
  bool below = false;
};

// The contact lines of a listing, in their order; every line that starts with a contact's name
// must have the documented form.
std::vector<ListedContact> contactsOf(const std::string& out) {
  std::vector<ListedContact> contacts;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    if (!std::regex_search(line, std::regex("^(C1|C2|Max|C3|C4) "))) continue;
    std::smatch m;
    EXPECT_TRUE(std::regex_match(line, m, kContactLine)) << line;
    if (m.empty()) continue;
    contacts.push_back({m[1], m[2], m[3], std::stod(m[4]), m[5].matched});
  }
  return contacts;
}

// Seconds of the day of "yyyy-mm-dd hh:mm:ss.s".
double secondsOfDay(const std::string& moment) {
  int h = 0, m = 0;
  double s = 0;
  std::sscanf(moment.c_str() + 11, "%d:%d:%lf", &h, &m, &s);
  return h * 3600 + m * 60 + s;
}

RunResult listing(std::vector<std::string> arguments,
                  std::vector<std::pair<std::string, std::string>> files = {}) {
  RunOptions options;
  options.arguments = std::move(arguments);
  options.files = std::move(files);
  options.environment = {{"TZ", std::string("CET-1CEST,M3.5.0,M10.5.0/3")}};
  return runQuorvale(options);
}

TEST(EclipseE2eTest, ListingAtAPointOfNasasPathTable) {
  RunResult r = listing({"-eclipse", "2026-08-12", "-site", kPathPoint, "-deltat", "71.4"});
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ("", r.err);
  const std::string heading =
      "Eclipse 2026-08-12 (Total), built-in elements\n"
      "Kind at the site: total\n"
      "Site: 41.81667 N, 3.18500 W, 0 m\n"
      "Delta T: 71.4 s\n"
      "Eclipse Predictions by Fred Espenak, NASA's GSFC\n";
  EXPECT_NE(npos, r.out.find(heading)) << r.out;
  const std::vector<ListedContact> contacts = contactsOf(r.out);
  ASSERT_EQ(5u, contacts.size()) << r.out;
  const char* names[] = {"C1", "C2", "Max", "C3", "C4"};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(names[i], contacts[i].name);
    EXPECT_EQ("2026-08-12", contacts[i].utc.substr(0, 10));
    // Local time is summer time in Spain, two hours ahead.
    EXPECT_NEAR(std::fmod(secondsOfDay(contacts[i].utc) + 7200, 86400),
                secondsOfDay(contacts[i].local), 0.01);
    if (i > 0) {
      EXPECT_LT(secondsOfDay(contacts[i - 1].utc), secondsOfDay(contacts[i].utc));
    }
  }
  // NASA's UT there is TT - 71.4 s; ours is UTC = TT - 69.184 s: 2.216 s later.
  EXPECT_NEAR(18 * 3600 + 30 * 60 + 2.216, secondsOfDay(contacts[2].utc), 0.5);
  EXPECT_NE(npos, r.out.find("\nTotality: 104.6 s\n")) << r.out;
  // The Sun sets before the last contact, and the line says so.
  EXPECT_TRUE(contacts[4].below);
  EXPECT_LT(contacts[4].altitude, 0);
  EXPECT_FALSE(contacts[1].below);
  EXPECT_NE(npos, r.out.find("\nMagnitude: 1.0")) << r.out;

  // The same elements from a file give the same contacts; the file's Delta T is not used.
  RunResult f = listing({"-eclipse", "-site", kPathPoint, "-elements", "e.txt", "-deltat", "71.4"},
                        {{"e.txt", kElements2026}});
  EXPECT_EQ(0, f.exitCode) << f.err;
  EXPECT_NE(npos, f.out.find("Eclipse 2026-08-12 (Total), elements from e.txt\n")) << f.out;
  EXPECT_EQ(r.out.substr(r.out.find("Kind at")), f.out.substr(f.out.find("Kind at")));
  f = listing({"-eclipse", "-site", kPathPoint, "-elements", "e.txt"}, {{"e.txt", kElements2026}});
  EXPECT_NE(npos, f.out.find("\nDelta T: 69.2 s\n")) << f.out;
}

TEST(EclipseE2eTest, PartialAndInvisibleSites) {
  // London: partial, no C2 or C3.
  RunResult r = listing({"-eclipse", "2026-08-12", "-site", "51.5074,-0.1278"});
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_NE(npos, r.out.find("Kind at the site: partial (no C2 or C3)\n")) << r.out;
  std::vector<ListedContact> contacts = contactsOf(r.out);
  ASSERT_EQ(3u, contacts.size()) << r.out;
  EXPECT_EQ("C1", contacts[0].name);
  EXPECT_EQ("Max", contacts[1].name);
  EXPECT_EQ("C4", contacts[2].name);
  EXPECT_EQ(npos, r.out.find("Totality")) << r.out;

  // Lagos, Nigeria: the shadow passes after sunset there.
  r = listing({"-eclipse", "2026-08-12", "-site", "6.5244,3.3792"});
  EXPECT_EQ(2, r.exitCode) << r.out;
  EXPECT_NE(npos, r.out.find("\nNot visible from the site: ")) << r.out;
  // Sydney: no part of the Moon's shadow.
  r = listing({"-eclipse", "2026-08-12", "-site", "-33.8688,151.2093"});
  EXPECT_EQ(2, r.exitCode) << r.out;
  EXPECT_NE(npos, r.out.find("\nNot visible from the site: the Moon's shadow does not reach it\n"))
      << r.out;
  EXPECT_TRUE(contactsOf(r.out).empty());

  // The default eclipse is the next one with a visible contact after -at.
  r = listing({"-eclipse", "-site", kBurgos, "-atutc", "2026-01-01"});
  EXPECT_NE(npos, r.out.find("Eclipse 2026-08-12 (Total)")) << r.out << r.err;
  r = listing({"-eclipse", "-site", kBurgos, "-atutc", "2026-08-12 19:30"});
  EXPECT_EQ(npos, r.out.find("Eclipse 2026-08-12")) << r.out;
}

TEST(EclipseE2eTest, BadSiteDeltaTAndDateAreCommandLineErrors) {
  const char* kForm = " (give <lat>,<lon>[,<height m>], decimal degrees, east positive)\n";
  for (const char* site : {"95,1", "41.6", "abc", "41.6,-0.9,x", "41.6,200"}) {
    RunResult r = listing({"-eclipse", "-site", site});
    EXPECT_EQ(1, r.exitCode) << site;
    EXPECT_EQ("", r.out) << site;
    EXPECT_EQ(0u, r.err.find(std::string("-site ") + site + ": ")) << r.err;
    EXPECT_NE(npos, r.err.find(kForm)) << r.err;
    // The same in a script run: nothing runs.
    r = listing({"-sim", "-site", site, "-script", "x.qvs"}, {{"x.qvs", "#!quorvale\nshot\n"}});
    EXPECT_EQ(1, r.exitCode) << site;
    EXPECT_EQ("", r.out);
  }
  RunResult r = listing({"-eclipse", "-site", kBurgos, "-deltat", "69s"});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ("-deltat 69s: not a Delta T in seconds (TT - UT1, e.g. 69.2)\n", r.err);
  r = listing({"-eclipse", "12.08.2026", "-site", kBurgos});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ("-eclipse 12.08.2026: not a date (yyyy-mm-dd)\n", r.err);
  r = listing({"-eclipse", "2026-08-13", "-site", kBurgos});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_NE(npos, r.err.find("-eclipse: no built-in eclipse on 2026-08-13\n")) << r.err;
  r = listing({"-eclipse"});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_NE(npos, r.err.find("-eclipse needs the site: -site <lat>,<lon>[,<height m>]\n"));
}

TEST(EclipseE2eTest, MalformedElementsFileIsNamedWithItsLine) {
  std::string bad = kElements2026;
  bad.replace(bad.find("0.5189288"), 9, "0.51x9288");  // row 1, line 7
  RunResult r = listing({"-eclipse", "-site", kBurgos, "-elements", "bad.txt"},
                        {{"bad.txt", bad}});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ("", r.out);
  EXPECT_EQ(0u, r.err.find("-elements bad.txt:7: ")) << r.err;
  r = listing({"-eclipse", "-site", kBurgos, "-elements", "missing.txt"});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ(0u, r.err.find("-elements missing.txt:0: ")) << r.err;
  // A script run with it does not start either.
  r = listing({"-sim", "-elements", "bad.txt", "-script", "x.qvs"},
              {{"bad.txt", bad}, {"x.qvs", "#!quorvale\nshot\n"}});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ(0u, r.err.find("-elements bad.txt:7: ")) << r.err;
}

}  // namespace
}  // namespace e2e
