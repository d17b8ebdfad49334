// The eclipse commands: the site line and the contact waits, on a fake clock and hand-made
// elements (the 2024 April 8 eclipse), against the contacts the local circumstances give.
#include <gtest/gtest.h>

#include <string>

#include "camera/canon_camera.h"
#include "script/eclipse_context.h"
#include "script/script_parser.h"
#include "script/script_test_support.h"
#include "script/value_parsing.h"

namespace {

using script_testing::FakeScriptClock;
using script_testing::OutputCapture;
using script_testing::runScript;

constexpr uint64_t kNow = 133570512000000000ULL;  // 2024-04-08 12:00:00 UTC
constexpr uint64_t kMs = 10000ULL;

eclipse::BesselianElements april2024() {
  // Five Millennium Canon of Solar Eclipses (Espenak & Meeus), t0 = 18:00 TDT.
  eclipse::BesselianElements e;
  e.year = 2024;
  e.month = 4;
  e.day = 8;
  e.t0TtHours = 18.0;
  e.kind = "Total";
  const double x[] = {-0.3182440, 0.5117116, 0.0000326, -0.0000084};
  const double y[] = {0.2197640, 0.2709589, -0.0000595, -0.0000047};
  const double d[] = {7.5862002, 0.0148440, -0.0000020};
  const double l1[] = {0.5358140, 0.0000618, -0.0000128};
  const double l2[] = {-0.0102720, 0.0000615, -0.0000127};
  const double mu[] = {89.591217, 15.004080, 0.0};
  for (int i = 0; i < 4; ++i) e.x[i] = x[i], e.y[i] = y[i];
  for (int i = 0; i < 3; ++i) e.d[i] = d[i], e.l1[i] = l1[i], e.l2[i] = l2[i], e.mu[i] = mu[i];
  e.tanF1 = 0.0046683;
  e.tanF2 = 0.0046450;
  return e;
}

eclipse::Site dallas() {
  eclipse::Site s;
  s.latitudeDeg = 32.7767;
  s.longitudeDeg = -96.797;
  s.heightM = 140;
  return s;
}

// The contact |id| at |site| plus |offsetS|, as a UTC file time.
uint64_t contactAt(const eclipse::Site& site, int id, double offsetS) {
  const eclipse::LocalCircumstances lc =
      eclipse::computeLocalCircumstances(april2024(), site, 69.2);
  return unixSecondsToFileTime(lc.contacts[id].utcS + offsetS);
}

std::string gmtText(uint64_t utc) {
  platform::CalendarTime t{};
  platform::fileTimeToCalendar(utc, &t);
  char out[kMomentTextSize];
  formatMoment(t, out);
  return "Wait for " + std::string(out) + " GMT\n";
}

class ContactCommandsTest : public testing::Test {
 protected:
  ContactCommandsTest() : stop_(true, false), camera_(nullptr, nullptr) {
    settings_.elements = april2024();
    settings_.deltaTS = 69.2;
  }

  std::string run(const std::string& body, FakeScriptClock* clock) {
    OutputCapture capture;
    CQuorvaleScriptParser parser(&camera_, nullptr, nullptr, &stop_, clock);
    parser.eclipse().configure(settings_);
    end_ = runScript(&parser, "#!quorvale\n" + body);
    return capture.out();
  }

  platform::Event stop_;
  CCanonCamera camera_;
  EclipseSettings settings_;
  std::string end_;
};

TEST_F(ContactCommandsTest, WaitsForTheContactsPlusTheirOffsets) {
  const eclipse::Site site = dallas();
  const eclipse::LocalCircumstances lc =
      eclipse::computeLocalCircumstances(april2024(), site, 69.2);
  ASSERT_EQ(eclipse::LocalKind::kTotal, lc.kind);
  const uint64_t c1 = contactAt(site, 0, 0);
  const uint64_t c2 = contactAt(site, 1, -10);
  const uint64_t c3 = contactAt(site, 3, 90);
  const uint64_t max = contactAt(site, 2, 0);
  FakeScriptClock clock(kNow);
  // Keywords in any case, blanks around "=", quoted values, offsets in every duration form.
  EXPECT_EQ(gmtText(c1) + "Continue\n" + gmtText(c2) + "Continue\n" + gmtText(c3) + "Continue\n" +
                gmtText(max) + "Moment in the past. Continue\n" + "done\n",
            run("site lat=32.7767 lon=-96.797 height=140\nwait c1=0\nWAIT C2 = -10\n"
                "wait c3=\"+1:30\"\nwait Max=+0\necho done\n",
                &clock));
  EXPECT_EQ("end", end_);
  EXPECT_EQ("moment +" + std::to_string((c1 - kNow) / kMs) + " ms\nmoment +" +
                std::to_string((c2 - c1) / kMs) + " ms\nmoment +" +
                std::to_string((c3 - c2) / kMs) + " ms\n",
            clock.journal());
}

TEST_F(ContactCommandsTest, AStopEndsAContactWaitAsAnyWait) {
  FakeScriptClock clock(kNow);
  clock.onWait = [this] { stop_.set(); };
  EXPECT_EQ(gmtText(contactAt(dallas(), 1, -10)) + "\nProgram terminated!\n",
            run("site lat=32.7767 lon=-96.797 height=140\nwait c2=-10\necho never\n", &clock));
  EXPECT_EQ("value 0", end_);
}

TEST_F(ContactCommandsTest, FailuresAreReportedAndTheScriptGoesOn) {
  FakeScriptClock clock(kNow);
  std::string out =
      run("wait c2=-10\nsite lat=91 lon=0\nsite lat=1\nsite\nwait c3=0\necho after\n", &clock);
  const std::string noSite =
      "no site: give -site <lat>,<lon>[,<height m>] or a site line before it\n";
  EXPECT_EQ(0u, out.find("Wait for C2-10 s: " + noSite + "site lat=91 lon=0: ")) << out;
  EXPECT_NE(std::string::npos,
            out.find("\nsite lat=1: lat= and lon= are both needed (decimal degrees, east "
                     "positive)\nsite: lat= and lon= are both needed (decimal degrees, east "
                     "positive)\nWait for C3: " +
                     noSite + "after\n"))
      << out;
  EXPECT_EQ("", clock.journal());
  EXPECT_EQ("end", end_);

  // A wait form the rule does not take is skipped whole, as other wait arguments are.
  out = run("site lat=32.7767 lon=-96.797\nwait c2=ten\nwait c5=1\n", &clock);
  EXPECT_EQ("\nSkip: c2=ten\n\n\nSkip: c5=1\n\n", out);
  EXPECT_EQ("", clock.journal());
}

TEST_F(ContactCommandsTest, TheCommandLinesSiteWinsOverTheScripts) {
  settings_.site = dallas();
  FakeScriptClock clock(kNow);
  // The script's site is far north of the path; the command line's is in it: C2 exists.
  EXPECT_EQ(gmtText(contactAt(dallas(), 1, 0)) + "Continue\n",
            run("site lat=70 lon=20\nwait c2=0\n", &clock));
}

TEST_F(ContactCommandsTest, NoContactAtAPartialSite) {
  // Miami: a partial eclipse (magnitude about 0.46) far south of the path.
  eclipse::Site north;
  north.latitudeDeg = 25.7617;
  north.longitudeDeg = -80.1918;
  const eclipse::LocalCircumstances lc =
      eclipse::computeLocalCircumstances(april2024(), north, 69.2);
  ASSERT_EQ(eclipse::LocalKind::kPartial, lc.kind);
  FakeScriptClock clock(kNow);
  EXPECT_EQ("Wait for C2: C2 does not happen at " + eclipse::formatSite(north) +
                ": the eclipse of 2024-04-08 is partial there\n" + gmtText(contactAt(north, 2, 0)) +
                "Continue\n",
            run("site lat=25.7617 lon=-80.1918\nwait c2=0\nwait max=0\n", &clock));
}

}  // namespace
