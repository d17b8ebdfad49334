// The eclipse part of the check: its findings and its lines in the report, from plain plans.
#include "check/plan_eclipse.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

PlannedEclipse totalAt(double centralS, double c4Altitude) {
  PlannedEclipse e;
  e.siteKnown = true;
  e.present = true;
  e.site = "42.30000 N, 0.88910 W, 0 m";
  e.heading = "Eclipse 2026-08-12 (Total) at " + e.site + ": total, Delta T 69.2 s";
  e.central = true;
  e.centralDurationS = centralS;
  const char* names[] = {"C1", "C2", "Max", "C3", "C4"};
  for (int i = 0; i < 5; ++i) {
    e.contacts[i].exists = true;
    e.contacts[i].utc = 1000 + i;
    e.contacts[i].sunAltitudeDeg = i == 4 ? c4Altitude : 10.0;
    e.contacts[i].line = std::string(names[i]) + " line\n";
  }
  return e;
}

// (The findings' texts at a real site are tested end to end in eclipse_e2e_test.cc.) Exactly 30 s
// of totality is not near the edge, just under it is; a partial site has no path to be near the
// edge of, and contacts it lacks are not judged; no eclipse, no findings.
TEST(PlanEclipseTest, FindingsOfTheEclipseItself) {
  EXPECT_TRUE(eclipseFindings(totalAt(30.0, 2.0)).empty());
  EXPECT_EQ(2u, eclipseFindings(totalAt(29.9, -0.12)).size());
  PlannedEclipse partial = totalAt(0.0, -3.0);
  partial.central = false;
  partial.contacts[1].exists = partial.contacts[3].exists = false;
  partial.contacts[1].sunAltitudeDeg = -5.0;
  EXPECT_EQ(
      std::vector<std::string>{
          "C4: the Sun is below the horizon (-3.0 deg) at 42.30000 N, 0.88910 W, 0 m"},
      eclipseFindings(partial));
  partial.present = false;
  EXPECT_TRUE(eclipseFindings(partial).empty());
}

// A contact the site lacks has no line; a site without an eclipse says why.
TEST(PlanEclipseTest, ReportLines) {
  EXPECT_EQ("", eclipseReportText(PlannedEclipse()));
  PlannedEclipse e = totalAt(104.6, 2.0);
  e.contacts[3].exists = false;
  EXPECT_EQ(e.heading + "\n  C1 line\n  C2 line\n  Max line\n  C4 line\n", eclipseReportText(e));
  PlannedEclipse none;
  none.siteKnown = true;
  none.site = "1.00000 S, 2.00000 E, 0 m";
  none.problem = "no built-in eclipse has a contact visible from there";
  EXPECT_EQ("Eclipse at 1.00000 S, 2.00000 E, 0 m: " + none.problem + "\n",
            eclipseReportText(none));
}

}  // namespace
