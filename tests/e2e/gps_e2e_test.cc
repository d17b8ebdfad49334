// "-site gps" end to end against the real gpsd, fed by gpsfake with NMEA logs written here: a 3D
// fix at Zaragoza, a 2D fix, no fix, a receiver whose clock is 2 s off, no receiver, and no gpsd.
// Skipped, with one line, where gpsd cannot start.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/gpsd_fake.h"

namespace e2e {
namespace {

const char kScript[] = "#!quorvale\necho at the site\n";
const char kFixPrefix[] = "GPS fix: 41.64880 N, 0.88910 W, ";

RunResult runWith(const std::string& site, bool check) {
  RunOptions options;
  options.arguments = {"-sim", "-site", site, "-log", "-script", "test.qvs"};
  if (check) options.arguments.insert(options.arguments.begin(), "-check");
  options.files = {{"test.qvs", kScript}};
  return runQuorvale(options);
}

std::string reading(const std::string& site) {
  return "Reading the GPS receiver through gpsd at " + site.substr(4) +
         " (up to 10 s for a 3D fix)\n";
}

// The offset that the "GPS time: " line of |text| states (system clock minus GPS time); fails the
// test when there is no such line.
double statedOffset(const std::string& text) {
  const std::string head = "GPS time: the system clock is ";
  const size_t at = text.find(head);
  EXPECT_NE(npos, at) << text;
  if (at == npos) return 1e9;
  const char* number = text.c_str() + at + head.size();
  char* end = nullptr;
  const double size = std::strtod(number, &end);
  const std::string rest(end, 22);
  EXPECT_TRUE(rest == " s ahead of GPS time (" || rest.substr(0, 18) == " s behind GPS time")
      << rest;
  return rest.find("behind") != npos ? -size : size;
}

#define START_RECEIVER(gpsd, fix, shift)                                           \
  do {                                                                             \
    if (testsWindowsProgram()) GTEST_SKIP() << "gpsd is not available on Windows"; \
    std::string why;                                                               \
    QUORVALE_SKIP_WITHOUT_GPSD((gpsd).startReceiver(fix, shift, &why), why);       \
  } while (0)

TEST(GpsE2eTest, ThreeDFixAtZaragozaIsTheSiteOfTheCheckAndOfTheRun) {
  GpsdFake gpsd;
  START_RECEIVER(gpsd, NmeaFix::k3D, 0.0);
  const std::string site = gpsd.siteValue();

  RunResult r = runWith(site, /*check=*/true);
  const std::string fix = std::string(kFixPrefix) + "250 m (3D fix; stated accuracy ";
  EXPECT_NE(npos, r.out.find(kBanner + reading(site) + fix)) << r.out;
  EXPECT_NE(npos, r.out.find(" m horizontal, ")) << r.out;
  EXPECT_NE(npos, r.out.find(" m vertical)\nGPS time: the system clock is ")) << r.out;
  // The offset is the feed's own, to gpsd's few milliseconds.
  EXPECT_NEAR(gpsd.feedOffsetS(), statedOffset(r.out), 0.1);
  EXPECT_NE(npos, r.out.find(" GPS time (gpsd's serial time stamp, no PPS); system clock "));
  EXPECT_EQ(npos, r.out.find("-site gps:")) << r.out;
  // The plan's contacts are at the fix.
  EXPECT_NE(npos, r.out.find(") at 41.64880 N, 0.88910 W, 250 m: ")) << r.out;
  // A clock on GPS time is no finding (when this machine let the fixture aim the feed well).
  if (std::abs(gpsd.feedOffsetS()) < 0.05) {
    EXPECT_NE(npos, r.out.find("\nFindings: none\n")) << r.out;
  }
  EXPECT_EQ("", r.err);

  // Before a run: printed and logged, with GPS time in the log; then the script runs.
  r = runWith(site, /*check=*/false);
  EXPECT_EQ(0, r.exitCode) << r.err;
  if (std::abs(gpsd.feedOffsetS()) < 0.05) {
    EXPECT_EQ("", r.err);  // no warning of the clock
  }
  EXPECT_EQ(0u, r.out.find(kBanner + reading(site) + fix)) << r.out;
  EXPECT_NE(npos, r.out.find(" m vertical)\nOpen session with ")) << r.out;
  EXPECT_NE(npos, r.log.find(fix)) << r.log;
  EXPECT_NEAR(gpsd.feedOffsetS(), statedOffset(r.log), 0.1);
}

// Moving the site on the day: the contacts at the receiver's fix are those at the same site typed.
TEST(GpsE2eTest, TheFixIsTheSiteOfTheEclipseListing) {
  GpsdFake gpsd;
  START_RECEIVER(gpsd, NmeaFix::k3D, 0.0);
  const RunResult typed = runQuorvale({"-eclipse", "2026-08-12", "-site", "41.6488,-0.8891,250"});
  ASSERT_EQ(0, typed.exitCode) << typed.err;
  const RunResult r = runQuorvale({"-eclipse", "2026-08-12", "-site", gpsd.siteValue()});
  EXPECT_EQ(0, r.exitCode) << r.err;
  if (std::abs(gpsd.feedOffsetS()) < 0.05) {
    EXPECT_EQ("", r.err);  // no warning of the clock
  }
  const size_t listing = r.out.find("Eclipse 2026-08-12");
  ASSERT_NE(npos, listing) << r.out;
  EXPECT_EQ(0u, r.out.find(kBanner + reading(gpsd.siteValue()) + kFixPrefix + "250 m (3D fix; "))
      << r.out;
  EXPECT_EQ(typed.out, kBanner + r.out.substr(listing));
  EXPECT_NE(npos, r.out.find("\nSite: 41.64880 N, 0.88910 W, 250 m\n")) << r.out;
}

TEST(GpsE2eTest, TwoDFixIsTakenAfterTheLimitWithHeightZero) {
  GpsdFake gpsd;
  START_RECEIVER(gpsd, NmeaFix::k2D, 0.0);
  const RunResult r = runWith(gpsd.siteValue(), /*check=*/true);
  const std::string fix = std::string(kFixPrefix) +
                          "0 m (2D fix, no 3D fix within 10 s: height taken as 0 m; stated "
                          "accuracy ";
  const size_t at = r.out.find(reading(gpsd.siteValue()) + fix);
  ASSERT_NE(npos, at) << r.out;
  const size_t end = r.out.find('\n', at + reading(gpsd.siteValue()).size());
  EXPECT_EQ(" m horizontal)", r.out.substr(end - 14, 14)) << r.out;
  EXPECT_EQ(npos, r.out.find("-site gps:")) << r.out;
}

TEST(GpsE2eTest, NoFixEndsARunBeforeItStarts) {
  GpsdFake gpsd;
  START_RECEIVER(gpsd, NmeaFix::kNone, 0.0);
  const std::string site = gpsd.siteValue();
  const RunResult r = runWith(site, /*check=*/false);
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ("-site gps: no fix from the receiver within 10 s (gpsd at " + site.substr(4) + ")\n",
            r.err);
  EXPECT_EQ(kBanner + reading(site), r.out);  // no session was opened
}

TEST(GpsE2eTest, NoReceiverIsAFindingOfTheCheck) {
  if (testsWindowsProgram()) GTEST_SKIP() << "gpsd is not available on Windows";
  GpsdFake gpsd;
  std::string why;
  QUORVALE_SKIP_WITHOUT_GPSD(gpsd.startWithoutReceiver(&why), why);
  const std::string site = gpsd.siteValue();
  const RunResult r = runWith(site, /*check=*/true);
  EXPECT_EQ(4, r.exitCode);
  EXPECT_NE(npos,
            r.out.find("  script: -site gps: gpsd at " + site.substr(4) + " has no receiver\n"))
      << r.out;
  EXPECT_EQ(npos, r.out.find("GPS fix:")) << r.out;
}

TEST(GpsE2eTest, ClockTwoSecondsOffGpsTimeIsAFindingAndIsLogged) {
  GpsdFake gpsd;
  START_RECEIVER(gpsd, NmeaFix::k3D, -2.0);  // the receiver's clock is 2 s behind ours
  ASSERT_GT(gpsd.feedOffsetS(), 1.5);
  RunResult r = runWith(gpsd.siteValue(), /*check=*/true);
  EXPECT_EQ(4, r.exitCode);
  EXPECT_NEAR(gpsd.feedOffsetS(), statedOffset(r.out), 0.1);
  // The text after the figure, which differs by a few milliseconds from run to run.
  const std::string after =
      " s ahead of GPS time (gpsd's serial time stamp, no PPS), more than 100 ms: absolute "
      "moments will be off by as much (docs/field_setup.md says how to keep the clock on GPS "
      "time)\n";
  const std::string head = "  script: the system clock is ";
  const size_t finding = r.out.find(head);
  ASSERT_NE(npos, finding) << r.out;
  const size_t tail = r.out.find(' ', finding + head.size());
  EXPECT_EQ(after, r.out.substr(tail, r.out.find('\n', finding) + 1 - tail));

  // A run goes on, warned on the console before it starts, and logs the offset.
  r = runWith(gpsd.siteValue(), /*check=*/false);
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_NEAR(gpsd.feedOffsetS(), statedOffset(r.log), 0.1);
  const std::string warning = "Warning: the system clock is ";
  ASSERT_EQ(0u, r.err.find(warning)) << r.err;
  EXPECT_NEAR(gpsd.feedOffsetS(), std::strtod(r.err.c_str() + warning.size(), nullptr), 0.1);
  const size_t figureEnd = r.err.find(' ', warning.size());
  EXPECT_EQ(after, r.err.substr(figureEnd)) << r.err;
}

TEST(GpsE2eTest, NoGpsdIsAnErrorBeforeARunAndAFindingOfTheCheck) {
  const std::string site = siteWithoutGpsd();
  RunResult r = runWith(site, /*check=*/false);
  EXPECT_EQ(1, r.exitCode);
  const std::string because = testsWindowsProgram() ? "-site gps: not available on Windows\n"
                                                    : "-site gps: no gpsd at 127.0.0.1:9 (";
  EXPECT_EQ(0u, r.err.find(because)) << r.err;
  // Where there is no gpsd to ask, nothing says that it is asked.
  const std::string asking = testsWindowsProgram() ? "" : reading(site);
  EXPECT_EQ(kBanner + asking, r.out);

  r = runWith(site, /*check=*/true);
  EXPECT_EQ(4, r.exitCode);
  EXPECT_NE(npos, r.out.find("  script: " + because.substr(0, because.size() - 1))) << r.out;
  EXPECT_EQ(npos, r.out.find("GPS time:")) << r.out;

  r = runQuorvale({"-eclipse", "2026-08-12", "-site", site});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ(0u, r.err.find(because)) << r.err;
  EXPECT_EQ(kBanner + asking, r.out);
}

TEST(GpsE2eTest, AGpsdAddressThatIsNoneIsABadCommandLine) {
  for (const char* site : {"gps:", "gps:host:", "gps:host:29x", "gpsd"}) {
    const RunResult r = runQuorvale({"-check", "-sim", "-site", site, "-script", "test.qvs"});
    EXPECT_EQ(1, r.exitCode) << site;
    EXPECT_EQ(std::string("-site ") + site +
                  ": not a gpsd address (give gps, gps:<host> or gps:<host>:<port>)\n",
              r.err);
    EXPECT_EQ("", r.out);
  }
}

}  // namespace
}  // namespace e2e
