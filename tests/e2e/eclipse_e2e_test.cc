// Eclipse contacts end to end: the -eclipse listing and its errors, -site, -elements and -deltat,
// the script's site line and contact waits in a rehearsal from "-at c2-60" and after the eclipse,
// the check's contacts and findings, and the contact lines of the timeline (read as SVG).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/svg_document.h"

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

// A run with |arguments| in Spain's time zone, the 2026 elements as e.txt beside it and, when
// given, |script| run or checked as s.qvs.
RunOptions optionsFor(std::vector<std::string> arguments, const std::string& script = "",
                      std::vector<std::pair<std::string, std::string>> files = {}) {
  RunOptions options;
  options.arguments = std::move(arguments);
  options.files = std::move(files);
  options.files.push_back({"e.txt", kElements2026});
  if (!script.empty()) {
    options.arguments.insert(options.arguments.end(), {"-script", "s.qvs"});
    options.files.push_back({"s.qvs", script});
  }
  options.environment = {{"TZ", std::string("CET-1CEST,M3.5.0,M10.5.0/3")}};
  options.timeoutMs = 30000;
  return options;
}

RunResult run(std::vector<std::string> arguments, const std::string& script = "",
              std::vector<std::pair<std::string, std::string>> files = {}) {
  return runQuorvale(optionsFor(std::move(arguments), script, std::move(files)));
}

// The five contacts at |site| as -eclipse lists them (the figures the other modes must agree with).
std::vector<ListedContact> listedContacts(const std::string& site) {
  const RunResult r = run({"-eclipse", "2026-08-12", "-site", site});
  std::vector<ListedContact> contacts = contactsOf(r.out);
  EXPECT_EQ(5u, contacts.size()) << r.out;
  contacts.resize(5);
  return contacts;
}

// "hh:mm:ss" of |secondsOfDay|, whole seconds cut off as the announcements do.
std::string clockOf(double seconds) {
  const long s = static_cast<long>(std::floor(seconds + 1e-6));
  char text[64];
  std::snprintf(text, sizeof(text), "%02ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  return text;
}

// The announcement of a contact wait: the moment in UTC as "wait utc=" prints it. The listing
// rounds to tenths, so a moment within 0.05 s of a whole second may show either second.
bool announces(const std::string& out, double seconds) {
  for (double d : {-0.05, 0.05}) {
    if (out.find("Wait for 08/12/26 " + clockOf(seconds + d) + " GMT\n") != npos) return true;
  }
  return false;
}

// Success when |text| holds |part|; otherwise a failure that shows the text.
testing::AssertionResult has(const std::string& text, const std::string& part) {
  if (text.find(part) != npos) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

TEST(EclipseE2eTest, ListingAtAPointOfNasasPathTable) {
  RunResult r = run({"-eclipse", "2026-08-12", "-site", kPathPoint, "-deltat", "71.4"});
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ("", r.err);
  EXPECT_TRUE(has(r.out,
                  "Eclipse 2026-08-12 (Total), built-in elements\nKind at the site: total\n"
                  "Site: 41.81667 N, 3.18500 W, 0 m\nDelta T: 71.4 s\n"
                  "Eclipse Predictions by Fred Espenak, NASA's GSFC\n"));
  const std::vector<ListedContact> contacts = contactsOf(r.out);
  ASSERT_EQ(5u, contacts.size()) << r.out;
  const char* names[] = {"C1", "C2", "Max", "C3", "C4"};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(names[i], contacts[i].name);
    // Local time is summer time in Spain, two hours ahead.
    EXPECT_NEAR(std::fmod(secondsOfDay(contacts[i].utc) + 7200, 86400),
                secondsOfDay(contacts[i].local), 0.01);
  }
  // NASA's UT there is TT - 71.4 s; ours is UTC = TT - 69.184 s: 2.216 s later.
  EXPECT_NEAR(18 * 3600 + 30 * 60 + 2.216, secondsOfDay(contacts[2].utc), 0.5);
  EXPECT_TRUE(has(r.out, "\nMagnitude: 1.0"));
  EXPECT_TRUE(has(r.out, "\nTotality: 104.6 s\n"));
  // The Sun sets before the last contact, and the line says so.
  EXPECT_TRUE(contacts[4].below && contacts[4].altitude < 0);
  EXPECT_FALSE(contacts[3].below);

  // The same elements from a file give the same contacts; the file's Delta T is not used.
  RunResult f = run({"-eclipse", "-site", kPathPoint, "-elements", "e.txt", "-deltat", "71.4"});
  EXPECT_EQ(0, f.exitCode) << f.err;
  EXPECT_TRUE(has(f.out, "Eclipse 2026-08-12 (Total), elements from e.txt\n"));
  EXPECT_EQ(r.out.substr(r.out.find("Kind at")), f.out.substr(f.out.find("Kind at")));
  f = run({"-eclipse", "-site", kPathPoint, "-elements", "e.txt"});
  EXPECT_TRUE(has(f.out, "\nDelta T: 69.2 s\n"));
}

TEST(EclipseE2eTest, PartialAndInvisibleSites) {
  // London: partial, no C2 or C3.
  RunResult r = run({"-eclipse", "2026-08-12", "-site", "51.5074,-0.1278"});
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_TRUE(has(r.out, "Kind at the site: partial (no C2 or C3)\n"));
  std::vector<ListedContact> contacts = contactsOf(r.out);
  ASSERT_EQ(3u, contacts.size()) << r.out;
  EXPECT_EQ("C1 Max C4", contacts[0].name + " " + contacts[1].name + " " + contacts[2].name);
  EXPECT_EQ(npos, r.out.find("Totality")) << r.out;

  // Lagos, Nigeria: the shadow passes after sunset there.
  r = run({"-eclipse", "2026-08-12", "-site", "6.5244,3.3792"});
  EXPECT_EQ(2, r.exitCode) << r.out;
  EXPECT_TRUE(has(r.out, "\nNot visible from the site: the Sun is below the horizon throughout\n"));
  for (const ListedContact& c : contactsOf(r.out)) EXPECT_TRUE(c.below) << c.name;
  // Sydney: no part of the Moon's shadow.
  r = run({"-eclipse", "2026-08-12", "-site", "-33.8688,151.2093"});
  EXPECT_EQ(2, r.exitCode) << r.out;
  EXPECT_TRUE(has(r.out, "\nNot visible from the site: the Moon's shadow does not reach it\n"));
  EXPECT_TRUE(contactsOf(r.out).empty());

  // The default eclipse is the next one with a visible contact after -at.
  r = run({"-eclipse", "-site", kBurgos, "-atutc", "2026-01-01"});
  EXPECT_TRUE(has(r.out, "Eclipse 2026-08-12 (Total)")) << r.err;
  r = run({"-eclipse", "-site", kBurgos, "-atutc", "2026-08-12 19:30"});
  EXPECT_EQ(npos, r.out.find("Eclipse 2026-08-12")) << r.out;
}

// A bad site, Delta T, date or elements file is named with what is wrong (the file with its line);
// nothing is listed and no script runs. (The site's own messages are those of site_test.cc; every
// mode checks these options in one place, so -sim stands for the others once.)
TEST(EclipseE2eTest, CommandLineErrorsNameTheValueAndRunNothing) {
  std::string bad = kElements2026;
  bad.replace(bad.find("0.5189288"), 9, "0.51x9288");  // row 1, line 7
  const std::string form = " (give <lat>,<lon>[,<height m>], decimal degrees, east positive)";
  const struct {
    std::vector<std::string> arguments;
    std::string error;
  } kErrors[] = {
      {{"-sim", "-site", "41.6,200"},
       "-site 41.6,200: the site's longitude must be from -180 to 180 degrees (east positive)" +
           form},
      {{"-eclipse", "-site", kBurgos, "-deltat", "69s"},
       "-deltat 69s: not a Delta T in seconds (TT - UT1, e.g. 69.2)"},
      {{"-eclipse", "12.08.2026", "-site", kBurgos},
       "-eclipse 12.08.2026: not a date (yyyy-mm-dd)"},
      {{"-eclipse", "2026-08-13", "-site", kBurgos}, "-eclipse: no built-in eclipse on 2026-08-13"},
      {{"-eclipse"}, "-eclipse needs the site: -site <lat>,<lon>[,<height m>]"},
      {{"-eclipse", "-site", kBurgos, "-elements", "bad.txt"},
       "-elements bad.txt:7: row 1 of the elements must be \"1\" and its numbers (x y d l1 l2 mu)"},
      {{"-eclipse", "-site", kBurgos, "-elements", "missing.txt"},
       "-elements missing.txt:0: cannot be read"},
  };
  for (const auto& e : kErrors) {
    const bool script = e.arguments[0] == "-sim";
    RunResult r = run(e.arguments, script ? "#!quorvale\nshot\n" : "", {{"bad.txt", bad}});
    EXPECT_EQ(1, r.exitCode) << e.error;
    EXPECT_EQ(e.error + "\n", r.err);
    EXPECT_TRUE(r.out.empty() || r.out == kBanner) << r.out;
  }
}

// The script's site line and its contact waits in a rehearsal from a minute before totality, with
// keywords in any case and quoted offsets; waits already past go on at once.
TEST(EclipseE2eTest, ContactWaitsInARehearsalAtAContact) {
  const std::vector<ListedContact> c = listedContacts(kBurgos);
  const double c2 = secondsOfDay(c[1].utc), c3 = secondsOfDay(c[3].utc);
  // The site comes from the script's site line; the eclipse from the elements file.
  RunResult r = run({"-sim", "-elements", "e.txt", "-at", "c2-60", "-speed", "100"},
                    "#!quorvale\nsite lat=42.3439 lon=-3.6969 height=860\nwait c2=-61\n"
                    "wait c2=-40\nshot\nWAIT C2 = 0\necho C2\nwait c3=\"+0:05\"\necho after C3\n");
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ("", r.err);
  EXPECT_TRUE(has(r.out, "Wait for 08/12/26 " + clockOf(c2 - 61) +
                             " GMT\nMoment in the past. Continue\nWait for 08/12/26 " +
                             clockOf(c2 - 40) + " GMT\nContinue\nShot #1: ok\n"));
  EXPECT_TRUE(announces(r.out, c2) && announces(r.out, c3 + 5)) << r.out;
  EXPECT_TRUE(has(r.out, " GMT\nContinue\nC2\n"));
  EXPECT_TRUE(has(r.out, " GMT\nContinue\nafter C3\n"));

  // -site wins over the site line; -atutc takes the same form.
  r = run({"-sim", "-elements", "e.txt", "-site", kBurgos, "-atutc", "C2-60", "-speed", "50"},
          "#!quorvale\nsite lat=51.5 lon=0\nwait c2=-50\n");
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_TRUE(has(r.out, clockOf(c2 - 50) + " GMT\nContinue\n"));

  // Without a site, at a site without the contact, or with a bad site line, nothing runs.
  const struct {
    std::string script, at, error;
  } kFailures[] = {
      {"echo x", "c2-60",
       "-at c2-60: no site: give -site <lat>,<lon>[,<height m>] or a site line before it"},
      {"site lat=51.5074 lon=-0.1278", "c3+10",
       "-at c3+10: C3 does not happen at 51.50740 N, 0.12780 W, 0 m: the eclipse of 2026-08-12 is "
       "partial there"},
      {"site lat=1", "c2-60",
       "-at c2-60: the script's site line: lat= and lon= are both needed (decimal degrees, east "
       "positive)"},
  };
  for (const auto& f : kFailures) {
    r = run({"-sim", "-elements", "e.txt", "-at", f.at}, "#!quorvale\n" + f.script + "\n");
    EXPECT_EQ(1, r.exitCode) << f.script;
    EXPECT_EQ(f.error + "\n", r.err);
  }
}

// A script started after the eclipse (C4 is after sunset at Burgos) finds its contacts past; it
// does not wait a year for the next eclipse. A contact wait without a site and a bad site line are
// command failures: the script goes on.
TEST(EclipseE2eTest, ContactWaitsAfterTheEclipseAndTheirFailures) {
  const std::vector<ListedContact> c = listedContacts(kBurgos);
  RunResult r = run({"-sim", "-atutc", "2026-08-12 19:00:00", "-log"},
                    "#!quorvale\nwait c2=-10\nsite lat=abc lon=1\n"
                    "site lat=42.3439 lon=-3.6969 height=860\nwait c3=+20\necho end\n");
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ(
      "Wait for C2-10 s: no site: give -site <lat>,<lon>[,<height m>] or a site line before it\n"
      "site lat=abc lon=1: lat=abc is not a number\n",
      r.err);
  EXPECT_TRUE(has(r.out, "Wait for 08/12/26 " + clockOf(secondsOfDay(c[3].utc) + 20) +
                             " GMT\nMoment in the past. Continue\nend\nClose session\n"));
  // The log keeps the eclipse the waits are measured from.
  EXPECT_TRUE(has(r.log, "Eclipse 2026-08-12 at 42.34390 N, 3.69690 W, 860 m, Delta T 69.2 s\n"));
  EXPECT_TRUE(has(r.log, "\nC3   " + c[3].utc + " UTC  local "));
}

TEST(EclipseE2eTest, CheckShowsTheContactsAndFindsTheirProblems) {
  // 42.3 N near Zaragoza: inside the path by a few km, about 20 s of totality; C4 after sunset.
  const RunResult l = run({"-eclipse", "2026-08-12", "-site", "42.3,-0.8891"});
  const std::vector<ListedContact> c = contactsOf(l.out);
  ASSERT_EQ(5u, c.size()) << l.out;
  const std::vector<std::string> check = {"-check", "-sim", "-atutc", "2026-08-12 17:00"};
  RunResult r = run(check, "#!quorvale\nsite lat=42.3 lon=-0.8891\nwait c2=-10\nshot\n");
  EXPECT_EQ(4, r.exitCode);
  // The heading, then the contacts as -eclipse lists them.
  std::string lines =
      "Eclipse 2026-08-12 (Total) at 42.30000 N, 0.88910 W, 0 m: total, Delta T 69.2 s, totality ";
  ASSERT_TRUE(has(r.out, lines));
  lines.clear();
  for (const ListedContact& contact : c) {
    const size_t at = l.out.find(contact.name + " ");
    lines += "  " + l.out.substr(at, l.out.find('\n', at) - at + 1);
  }
  EXPECT_TRUE(has(r.out, lines));
  // The wait stands at C2 - 10 s, to the millisecond that the listing's tenth allows.
  const size_t wait = r.out.find("   wait c2=-10\n");
  ASSERT_NE(npos, wait) << r.out;
  const size_t utc = r.out.rfind("(", wait);
  EXPECT_NEAR(secondsOfDay(c[1].utc) - 10, secondsOfDay("0000-00-00 " + r.out.substr(utc + 1, 12)),
              0.051);
  EXPECT_TRUE(has(r.out, "  script: C4: the Sun is below the horizon (" +
                             std::to_string(c[4].altitude).substr(0, 4) +
                             " deg) at 42.30000 N, 0.88910 W, 0 m\n"));
  EXPECT_TRUE(has(r.out, "  script: 42.30000 N, 0.88910 W, 0 m is near the edge of the path: "));
  EXPECT_TRUE(has(r.out,
                  " between C2 and C3 (under 30 s), where a small error in the site moves "
                  "the contacts by seconds or takes them away\n"));

  // A contact the site does not have; -site wins over the script's line; -deltat is the figure
  // the plan uses and shows.
  std::vector<std::string> args = check;
  args.insert(args.end(), {"-site", "51.5074,-0.1278", "-deltat", "71.4"});
  r = run(args, "#!quorvale\nsite lat=42.3439 lon=-3.6969\nwait c3=0\n");
  EXPECT_EQ(4, r.exitCode);
  EXPECT_TRUE(has(r.out,
                  "Eclipse 2026-08-12 (Total) at 51.50740 N, 0.12780 W, 0 m: partial "
                  "(no C2 or C3), Delta T 71.4 s\n"));
  EXPECT_TRUE(has(r.out,
                  "  line 3: a contact wait for a contact the site does not have: a run "
                  "prints \"Wait for C3: C3 does not happen at 51.50740 N, 0.12780 W, 0 "
                  "m: the eclipse of 2026-08-12 is partial there\"\n"));
  EXPECT_EQ(npos, r.out.find("near the edge")) << r.out;

  // -at c2-60 checks as if started a minute before totality: the wait for C1 is past then.
  r = run({"-check", "-sim", "-at", "c2-60", "-elements", "e.txt"},
          "#!quorvale\nsite lat=42.3439 lon=-3.6969 height=860\nwait c1=0\nwait c2=0\n");
  EXPECT_TRUE(has(r.out, "  line 3: moment already past: "));
  EXPECT_EQ(npos, r.out.find("  line 4: moment already past")) << r.out;
  EXPECT_TRUE(has(r.out, "started at 2026-08-12 " +
                             clockOf(secondsOfDay(listedContacts(kBurgos)[1].utc) + 7140)));
}

// The whole example script spans the eclipse; the first zoomed row, totality. C4 is after sunset
// at Burgos. Rows zoomed further in show the contacts that fall in them.
TEST(EclipseE2eTest, TimelineDrawsTheContactsOnBothRows) {
  RunResult r;
  const SvgDocument doc = runPlot(
      optionsFor({"-check", "-sim", "-atutc", "2026-08-12T15:00"}, exampleText("eclipse.qvs")), &r);
  EXPECT_EQ(4, r.exitCode) << r.err;
  std::vector<std::vector<std::string>> rows;  // the texts of each "contacts" group
  for (const auto& group : doc.groupsOf("contacts")) {
    rows.emplace_back();
    for (const Element* e : group) {
      if (e->name == "text") rows.back().push_back(e->text);
    }
  }
  ASSERT_LE(2u, rows.size());
  EXPECT_EQ((std::vector<std::string>{"C1", "C2", "Max", "C3", "C4 (Sun below horizon)"}), rows[0]);
  EXPECT_EQ((std::vector<std::string>{"C2", "Max", "C3"}), rows[1]);
  for (size_t i = 2; i < rows.size(); ++i) {
    for (const std::string& label : rows[i]) {
      EXPECT_TRUE(label == "C2" || label == "Max" || label == "C3") << label;
    }
  }
}

}  // namespace
}  // namespace e2e
