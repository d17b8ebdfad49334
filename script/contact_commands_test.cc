// The eclipse commands: the site line and the contact waits, on a fake clock and the elements of
// the 2024 April 8 eclipse from a file, against the contacts the local circumstances give.
#include <gtest/gtest.h>

#include <string>

#include "camera/canon_camera.h"
#include "eclipse/eclipse_test_support.h"
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

const eclipse::Site kDallas{32.7767, -96.797, 140};  // in the path of totality
const eclipse::Site kMiami{25.7617, -80.1918, 0};    // partial (magnitude about 0.46)

// The contact |id| at |site| plus |offsetS|, as a UTC file time.
uint64_t contactAt(const eclipse::Site& site, int id, double offsetS) {
  const eclipse::LocalCircumstances lc =
      eclipse::computeLocalCircumstances(eclipse_testing::elements2024(), site, 69.2);
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
    settings_.elements = eclipse_testing::elements2024();
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

// Keywords in any case, blanks around "=", quoted values, offsets in every duration form: each
// wait is on the script clock's timer, to the millisecond of its contact.
TEST_F(ContactCommandsTest, WaitsForTheContactsPlusTheirOffsets) {
  const uint64_t c1 = contactAt(kDallas, 0, 0), c2 = contactAt(kDallas, 1, -10);
  const uint64_t c3 = contactAt(kDallas, 3, 90), max = contactAt(kDallas, 2, 0);
  FakeScriptClock clock(kNow);
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
  EXPECT_EQ(gmtText(contactAt(kDallas, 1, -10)) + "\nProgram terminated!\n",
            run("site lat=32.7767 lon=-96.797 height=140\nwait c2=-10\necho never\n", &clock));
  EXPECT_EQ("value 0", end_);
}

// At a partial site C2 is a command failure and Max a wait; a wait form the rule does not take is
// skipped whole, as other wait arguments are.
TEST_F(ContactCommandsTest, PartialSitesAndUnknownFormsGoOnWithTheScript) {
  FakeScriptClock clock(kNow);
  EXPECT_EQ("Wait for C2: C2 does not happen at " + eclipse::formatSite(kMiami) +
                ": the eclipse of 2024-04-08 is partial there\n" +
                gmtText(contactAt(kMiami, 2, 0)) + "Continue\n\nSkip: c2=ten\n\n\nSkip: c5=1\n\n",
            run("site lat=25.7617 lon=-80.1918\nwait c2=0\nwait max=0\nwait c2=ten\nwait c5=1\n",
                &clock));
  EXPECT_EQ("end", end_);
}

}  // namespace
