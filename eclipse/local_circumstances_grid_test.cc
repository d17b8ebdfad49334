// Every site of a 1-degree grid over the globe, for a total and an annular eclipse: where the
// eclipse can be seen, found by sampling the shadow at the site every three minutes without any
// iteration, the computation must converge and its contacts must enclose what the samples saw;
// everywhere it converges, its contacts must lie on the shadow's edges.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "eclipse/local_circumstances.h"

namespace {

using eclipse::BesselianElements;
using eclipse::ContactId;
using eclipse::LocalCircumstances;
using eclipse::LocalKind;
using eclipse::Site;

constexpr double kDeltaT = 69.2;
constexpr double kStepS = 180.0;

struct Tally {
  int visibleSites = 0;
  int centralSites = 0;
  int notConverged = 0;
};

double utc(const LocalCircumstances& lc, ContactId id) {
  return lc.contacts[static_cast<int>(id)].utcS;
}

void checkSite(const BesselianElements& e, const Site& site, Tally* tally) {
  SCOPED_TRACE(std::to_string(site.latitudeDeg) + "," + std::to_string(site.longitudeDeg));
  LocalCircumstances lc = eclipse::computeLocalCircumstances(e, site, kDeltaT);
  if (!lc.converged) ++tally->notConverged;

  // The eclipse as sampled, in daylight only.
  double t0 = eclipse::ttHoursToUtcS(e, 0.0);
  double firstSeen = 0, lastSeen = 0, firstCentral = 0, lastCentral = 0;
  bool seen = false, central = false;
  for (double t = t0 - 3.5 * 3600; t <= t0 + 3.5 * 3600; t += kStepS) {
    eclipse::ShadowAtSite s = eclipse::shadowAtSite(e, site, kDeltaT, t);
    if (s.sunAltitudeDeg <= 0.0 || s.distance >= s.l1p) continue;
    if (!seen) firstSeen = t;
    lastSeen = t;
    seen = true;
    if (s.distance < std::fabs(s.l2p)) {
      if (!central) firstCentral = t;
      lastCentral = t;
      central = true;
    }
  }

  if (seen) {
    ++tally->visibleSites;
    ASSERT_TRUE(lc.converged);
    ASSERT_NE(LocalKind::kNone, lc.kind);
    EXPECT_TRUE(lc.visible);
    EXPECT_LE(utc(lc, ContactId::kC1), firstSeen);
    EXPECT_GE(utc(lc, ContactId::kC4), lastSeen);
  }
  if (central) {
    ++tally->centralSites;
    ASSERT_TRUE(lc.kind == LocalKind::kTotal || lc.kind == LocalKind::kAnnular);
    EXPECT_LE(utc(lc, ContactId::kC2), firstCentral);
    EXPECT_GE(utc(lc, ContactId::kC3), lastCentral);
  }
  if (!lc.converged || lc.kind == LocalKind::kNone) return;

  EXPECT_LT(utc(lc, ContactId::kC1), utc(lc, ContactId::kMax));
  EXPECT_LT(utc(lc, ContactId::kMax), utc(lc, ContactId::kC4));
  for (ContactId id : {ContactId::kC1, ContactId::kC4}) {
    eclipse::ShadowAtSite s = eclipse::shadowAtSite(e, site, kDeltaT, utc(lc, id));
    EXPECT_NEAR(s.l1p, s.distance, 1e-6);
  }
  bool hasCentral = lc.kind == LocalKind::kTotal || lc.kind == LocalKind::kAnnular;
  EXPECT_EQ(hasCentral, lc.contacts[static_cast<int>(ContactId::kC2)].exists);
  EXPECT_EQ(hasCentral, lc.contacts[static_cast<int>(ContactId::kC3)].exists);
  if (hasCentral) {
    EXPECT_LT(utc(lc, ContactId::kC1), utc(lc, ContactId::kC2));
    EXPECT_LT(utc(lc, ContactId::kC2), utc(lc, ContactId::kC3));
    EXPECT_LT(utc(lc, ContactId::kC3), utc(lc, ContactId::kC4));
    for (ContactId id : {ContactId::kC2, ContactId::kC3}) {
      eclipse::ShadowAtSite s = eclipse::shadowAtSite(e, site, kDeltaT, utc(lc, id));
      EXPECT_NEAR(std::fabs(s.l2p), s.distance, 1e-6);
    }
  }
}

Tally walkGrid(int year, int month, int day) {
  Tally tally;
  for (const BesselianElements& e : eclipse::builtInEclipses()) {
    if (e.year != year || e.month != month || e.day != day) continue;
    for (int lat = -89; lat <= 89; ++lat) {
      for (int lon = -180; lon < 180; ++lon) {
        checkSite(e, Site{static_cast<double>(lat), static_cast<double>(lon), 0.0}, &tally);
        if (testing::Test::HasFatalFailure()) return tally;
      }
    }
  }
  return tally;
}

TEST(LocalCircumstancesGridTest, TotalEclipseOf2026ConvergesWhereverItIsSeen) {
  Tally tally = walkGrid(2026, 8, 12);
  // The walk did reach the eclipse: a good part of the globe sees it, a strip of it totality.
  EXPECT_GT(tally.visibleSites, 10000);
  EXPECT_GT(tally.centralSites, 300);
  EXPECT_EQ(0, tally.notConverged);
}

TEST(LocalCircumstancesGridTest, AnnularEclipseOf2030ConvergesWhereverItIsSeen) {
  Tally tally = walkGrid(2030, 6, 1);
  EXPECT_GT(tally.visibleSites, 10000);
  EXPECT_GT(tally.centralSites, 300);
  EXPECT_EQ(0, tally.notConverged);
}

}  // namespace
