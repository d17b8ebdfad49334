// Every site of a 1-degree grid over the globe, for a total and an annular eclipse: where the
// eclipse can be seen, found by sampling the shadow at the site every three minutes without any
// iteration, the computation must converge and its contacts must enclose what the samples saw;
// everywhere it converges, its contacts must lie on the shadow's edges.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "eclipse/eclipse_test_support.h"
#include "eclipse/local_circumstances.h"

namespace {

using eclipse::ContactId;
using eclipse::LocalKind;

constexpr double kDeltaT = 69.2;

struct Tally {
  int visibleSites = 0, centralSites = 0, notConverged = 0;
};

void checkSite(const eclipse::BesselianElements& e, const eclipse::Site& site, Tally* tally) {
  SCOPED_TRACE(std::to_string(site.latitudeDeg) + "," + std::to_string(site.longitudeDeg));
  const eclipse::LocalCircumstances lc = eclipse::computeLocalCircumstances(e, site, kDeltaT);
  auto utc = [&](ContactId id) { return lc.contacts[static_cast<int>(id)].utcS; };
  auto shadowAt = [&](ContactId id) { return eclipse::shadowAtSite(e, site, kDeltaT, utc(id)); };
  if (!lc.converged) ++tally->notConverged;

  // The eclipse as sampled, in daylight only: first and last moments seen, partial and central.
  double t0 = eclipse::ttHoursToUtcS(e, 0.0), seen[2] = {0, 0}, central[2] = {0, 0};
  for (double t = t0 - 3.5 * 3600; t <= t0 + 3.5 * 3600; t += 180.0) {
    eclipse::ShadowAtSite s = eclipse::shadowAtSite(e, site, kDeltaT, t);
    if (s.sunAltitudeDeg <= 0.0 || s.distance >= s.l1p) continue;
    if (seen[0] == 0) seen[0] = t;
    seen[1] = t;
    if (s.distance < std::fabs(s.l2p)) {
      if (central[0] == 0) central[0] = t;
      central[1] = t;
    }
  }
  if (seen[0] != 0) {
    ++tally->visibleSites;
    ASSERT_TRUE(lc.converged);  // stops the walk: the contacts below would be noise
    ASSERT_NE(LocalKind::kNone, lc.kind);
    EXPECT_TRUE(lc.visible);
    EXPECT_LE(utc(ContactId::kC1), seen[0]);
    EXPECT_GE(utc(ContactId::kC4), seen[1]);
  }
  const bool hasCentral = lc.kind == LocalKind::kTotal || lc.kind == LocalKind::kAnnular;
  if (central[0] != 0) {
    ++tally->centralSites;
    ASSERT_TRUE(hasCentral);
    EXPECT_LE(utc(ContactId::kC2), central[0]);
    EXPECT_GE(utc(ContactId::kC3), central[1]);
  }
  if (!lc.converged || lc.kind == LocalKind::kNone) return;

  EXPECT_LT(utc(ContactId::kC1), utc(ContactId::kMax));
  EXPECT_LT(utc(ContactId::kMax), utc(ContactId::kC4));
  EXPECT_NEAR(shadowAt(ContactId::kC1).l1p, shadowAt(ContactId::kC1).distance, 1e-6);
  EXPECT_NEAR(shadowAt(ContactId::kC4).l1p, shadowAt(ContactId::kC4).distance, 1e-6);
  EXPECT_EQ(hasCentral, lc.contacts[static_cast<int>(ContactId::kC2)].exists);
  EXPECT_EQ(hasCentral, lc.contacts[static_cast<int>(ContactId::kC3)].exists);
  if (!hasCentral) return;
  EXPECT_LT(utc(ContactId::kC1), utc(ContactId::kC2));
  EXPECT_LT(utc(ContactId::kC2), utc(ContactId::kC3));
  EXPECT_LT(utc(ContactId::kC3), utc(ContactId::kC4));
  for (ContactId id : {ContactId::kC2, ContactId::kC3}) {
    EXPECT_NEAR(std::fabs(shadowAt(id).l2p), shadowAt(id).distance, 1e-6);
  }
}

TEST(LocalCircumstancesGridTest, TotalAndAnnularEclipsesConvergeWhereverTheyAreSeen) {
  for (int date : {20260812, 20300601}) {
    SCOPED_TRACE(date);
    Tally tally;
    for (int lat = -89; lat <= 89 && !HasFatalFailure(); ++lat) {
      for (int lon = -180; lon < 180 && !HasFatalFailure(); ++lon) {
        checkSite(eclipse_testing::builtIn(date), eclipse::Site{1.0 * lat, 1.0 * lon, 0}, &tally);
      }
    }
    // The walk did reach the eclipse: a good part of the globe sees it, a strip of it centrally.
    EXPECT_GT(tally.visibleSites, 10000);
    EXPECT_GT(tally.centralSites, 300);
    EXPECT_EQ(0, tally.notConverged);
  }
}

}  // namespace
