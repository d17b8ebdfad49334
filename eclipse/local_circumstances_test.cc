#include "eclipse/local_circumstances.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "eclipse/eclipse_test_support.h"

namespace {

using eclipse::BesselianElements;
using eclipse::ContactId;
using eclipse::LocalCircumstances;
using eclipse::LocalKind;
using eclipse::Site;
using eclipse_testing::builtIn;

constexpr double kPi = 3.14159265358979323846;
// 00:00 UTC of the eclipse days used here, seconds since 1970 (from the calendar, not our code).
constexpr double k20260812 = 1786492800.0;
constexpr double k20280126 = 1832457600.0;
constexpr double k20280722 = 1847836800.0;

const eclipse::Contact& at(const LocalCircumstances& lc, ContactId id) {
  return lc.contacts[static_cast<int>(id)];
}

// NASA's prediction gives its moments in UT = TT - Delta T; ours are UTC = TT - 69.184 s. With the
// same Delta T the same instant reads, in UTC, UT + Delta T - 69.184 s.
double utcOfNasaUt(double dayS, int hour, int minute, double second, double deltaTS) {
  return dayS + hour * 3600.0 + minute * 60.0 + second + deltaTS - eclipse::kTtMinusUtcS;
}

// NASA's path table for the total eclipse of 2026 Aug 12, Delta T 71.4 s (Eclipse Predictions by
// Fred Espenak, NASA's GSFC; eclipse.gsfc.nasa.gov/SEpath/SEpath2001/SE2026Aug12Tpath.html):
// central line position at each UT, the Sun's altitude there (whole degrees) and the central
// duration. On the central line the maximum falls at the tabulated UT, and totality is
// symmetric about it (to far less than 0.1 s), so C2 and C3 are half the duration either side.
TEST(LocalCircumstancesTest, MatchesNasaPathTableFor2026WithItsElementsAndDeltaT) {
  const struct {
    int hour, minute;
    double lat, lon, durationS, sunAltitudeDeg;
  } kRows[] = {
      {17, 20, 79.77333, -26.98167, 130.0, 21}, {17, 34, 71.45000, -27.36167, 136.8, 25},
      {17, 46, 65.17167, -25.20500, 138.2, 26}, {18, 0, 58.27167, -21.57333, 135.3, 24},
      {18, 16, 50.33333, -15.31667, 125.2, 19}, {18, 28, 43.37167, -6.18833, 109.3, 10},
      {18, 30, 41.81667, -3.18500, 104.6, 8},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(std::to_string(row.hour) + ":" + std::to_string(row.minute));
    LocalCircumstances lc =
        eclipse::computeLocalCircumstances(builtIn(20260812), Site{row.lat, row.lon, 0}, 71.4);
    ASSERT_TRUE(lc.converged);
    EXPECT_EQ(LocalKind::kTotal, lc.kind);
    EXPECT_GT(lc.magnitude, 1.0);
    double max = utcOfNasaUt(k20260812, row.hour, row.minute, 0, 71.4);
    EXPECT_NEAR(max, at(lc, ContactId::kMax).utcS, 0.5);
    EXPECT_NEAR(row.durationS, lc.centralDurationS, 0.5);
    EXPECT_NEAR(max - row.durationS / 2, at(lc, ContactId::kC2).utcS, 0.5);
    EXPECT_NEAR(max + row.durationS / 2, at(lc, ContactId::kC3).utcS, 0.5);
    EXPECT_NEAR(row.sunAltitudeDeg, at(lc, ContactId::kMax).sunAltitudeDeg, 0.6);
  }
}

// NASA's path table for the annular eclipse of 2028 Jan 26 (Eclipse Predictions by Fred Espenak,
// NASA's GSFC; eclipse.gsfc.nasa.gov/SEpath/SEpath2001/SE2028Jan26Apath.html): central line in
// degrees and minutes at each UT, the Sun's altitude, the duration of annularity. The table does
// not print the Delta T it was made with, and it is not the 76.3 s of the elements page. The
// durations, which Delta T does not change, must match to 0.5 s; the table's Delta T is found from
// its first row, and with it every other row's moment must match to 0.5 s.
TEST(LocalCircumstancesTest, MatchesNasaPathTableFor2028Annular) {
  const struct {
    int minute;
    double latD, latM, lonD, lonM, durationS, sunAltitudeDeg;
  } kRows[] = {
      {20, 0, 4.4, -97, 23.4, 7 * 60 + 21.4, 9},    {22, -1, 3.1, -93, 28.3, 7 * 60 + 35.0, 14},
      {24, -1, 47.2, -90, 39.6, 7 * 60 + 45.8, 17}, {26, -2, 19.9, -88, 22.7, 7 * 60 + 55.2, 20},
      {28, -2, 45.5, -86, 25.5, 8 * 60 + 3.8, 22},
  };
  const BesselianElements& e = builtIn(20280126);
  auto siteOf = [](const auto& row) {
    // South and west are negative; the first row's 0 degrees 4.4' is north.
    double lat = row.latD < 0 ? row.latD - row.latM / 60 : row.latD + row.latM / 60;
    return Site{lat, row.lonD - row.lonM / 60, 0};
  };
  // The moment of the first row minus the table's, as a function of Delta T; its root by secant.
  auto miss = [&](double deltaT) {
    LocalCircumstances lc = eclipse::computeLocalCircumstances(e, siteOf(kRows[0]), deltaT);
    return at(lc, ContactId::kMax).utcS - utcOfNasaUt(k20280126, 13, 20, 0, deltaT);
  };
  double a = 70.0, b = 76.3, fa = miss(a), fb = miss(b);
  for (int i = 0; i < 20 && std::fabs(fb) > 1e-4; ++i) {
    double c = b - fb * (b - a) / (fb - fa);
    a = b, fa = fb, b = c, fb = miss(b);
  }
  ASSERT_TRUE(b > 68.0 && b < 76.3) << b;
  for (const auto& row : kRows) {
    SCOPED_TRACE("13:" + std::to_string(row.minute));
    LocalCircumstances lc = eclipse::computeLocalCircumstances(e, siteOf(row), b);
    ASSERT_TRUE(lc.converged);
    EXPECT_EQ(LocalKind::kAnnular, lc.kind);
    EXPECT_LT(lc.magnitude, 1.0);
    EXPECT_NEAR(row.durationS, lc.centralDurationS, 0.5);
    EXPECT_NEAR(row.sunAltitudeDeg, at(lc, ContactId::kMax).sunAltitudeDeg, 0.6);
    EXPECT_NEAR(utcOfNasaUt(k20280126, 13, row.minute, 0, b), at(lc, ContactId::kMax).utcS, 0.5);
  }
}

// The total eclipse of 2024 Apr 08 from its elements page, as a user would give it in a file. The
// page's greatest eclipse: 18:18:29.0 TDT at 25 17.2' N, 104 08.3' W, totality 4m28.1s, with its
// Delta T of 70.6 s.
TEST(LocalCircumstancesTest, Reproduces2024GreatestEclipseFromItsElementsPage) {
  BesselianElements e;
  std::string error;
  ASSERT_TRUE(eclipse::parseElements(eclipse_testing::k2024Page, "e.txt", &e, &error)) << error;
  EXPECT_EQ("Total", e.kind);
  LocalCircumstances lc = eclipse::computeLocalCircumstances(
      e, Site{25 + 17.2 / 60, -(104 + 8.3 / 60), 0}, e.deltaTPrintedS);
  ASSERT_TRUE(lc.converged);
  EXPECT_EQ(LocalKind::kTotal, lc.kind);
  EXPECT_NEAR(4 * 60 + 28.1, lc.centralDurationS, 0.5);
  const double k20240408 = 1712534400.0;  // 00:00 UTC
  EXPECT_NEAR(k20240408 + 18 * 3600 + 18 * 60 + 29.0 - eclipse::kTtMinusUtcS,
              at(lc, ContactId::kMax).utcS, 0.5);
}

// An observer h metres up sees what an observer at sea level sees h / tan(altitude) further from
// the Sun, where the same sunbeam reaches the ground. In the Cantabrian mountains the Sun is 10
// degrees up at totality: 2500 m of height are worth 14 km of ground and more than a second of
// third contact.
TEST(LocalCircumstancesTest, HeightActsAsTheGroundWhereTheSunbeamLands) {
  const BesselianElements& e = builtIn(20260812);
  const double deltaT = 69.2, height = 2500.0;
  Site high{42.60, -5.57, height};
  LocalCircumstances up = eclipse::computeLocalCircumstances(e, high, deltaT);
  LocalCircumstances sea = eclipse::computeLocalCircumstances(e, Site{42.60, -5.57, 0}, deltaT);
  ASSERT_TRUE(up.converged && sea.converged);
  ASSERT_EQ(LocalKind::kTotal, up.kind);
  EXPECT_GT(std::fabs(at(up, ContactId::kC3).utcS - at(sea, ContactId::kC3).utcS), 1.0);

  // The Sun's direction at maximum, from the elements (declination d, hour angle H), and the
  // point on the ground, away from the Sun, where the sunbeam through the high observer lands.
  double t = (at(up, ContactId::kMax).utcS + eclipse::kTtMinusUtcS - k20260812) / 3600.0 - 18.0;
  double d = (e.d[0] + e.d[1] * t + e.d[2] * t * t) * kPi / 180;
  double h = (e.mu[0] + e.mu[1] * t + high.longitudeDeg - 0.00417807 * deltaT) * kPi / 180;
  double phi = high.latitudeDeg * kPi / 180;
  double altitude =
      std::asin(std::sin(phi) * std::sin(d) + std::cos(phi) * std::cos(d) * std::cos(h));
  double azimuth =
      std::atan2(-std::cos(d) * std::sin(h),  // from north through east
                 std::sin(d) * std::cos(phi) - std::cos(d) * std::sin(phi) * std::cos(h));
  double groundM = height / std::tan(altitude), away = azimuth + kPi, kEarthRadiusM = 6371000.0;
  Site landed{
      high.latitudeDeg + groundM * std::cos(away) / kEarthRadiusM * 180 / kPi,
      high.longitudeDeg + groundM * std::sin(away) / (kEarthRadiusM * std::cos(phi)) * 180 / kPi,
      0};
  LocalCircumstances low = eclipse::computeLocalCircumstances(e, landed, deltaT);
  ASSERT_TRUE(low.converged);
  for (ContactId id : {ContactId::kC2, ContactId::kMax, ContactId::kC3}) {
    EXPECT_NEAR(at(low, id).utcS, at(up, id).utcS, 0.2) << eclipse::contactName(id);
  }
}

// Fiji's Taveuni lies on the 180th meridian and sees the 2028 Jul 22 eclipse partial in the
// afternoon (UTC+12: between 02:00 and 06:00 UTC): the two names of the meridian and the sites
// either side agree.
TEST(LocalCircumstancesTest, ASiteOnTheDatelineHasOneAnswer) {
  auto lc = [](double lon) {
    return eclipse::computeLocalCircumstances(builtIn(20280722), Site{-16.8, lon, 0}, 69.2);
  };
  LocalCircumstances east = lc(180.0), west = lc(-180.0), nearE = lc(179.9999),
                     nearW = lc(-179.9999);
  ASSERT_TRUE(east.converged && west.converged && nearE.converged && nearW.converged);
  ASSERT_EQ(LocalKind::kPartial, east.kind);
  EXPECT_TRUE(east.visible);
  for (int i = 0; i < eclipse::kContactCount; ++i) {
    EXPECT_EQ(east.contacts[i].exists, west.contacts[i].exists);
    EXPECT_NEAR(east.contacts[i].utcS, west.contacts[i].utcS, 1e-3);
    EXPECT_NEAR(nearE.contacts[i].utcS, nearW.contacts[i].utcS, 0.1);
    EXPECT_NEAR(east.contacts[i].utcS, nearE.contacts[i].utcS, 0.1);
  }
  EXPECT_GT(east.contacts[0].utcS, k20280722 + 2 * 3600);
  EXPECT_LT(east.contacts[4].utcS, k20280722 + 6 * 3600);
}

// Elements whose shadow passes nearest the site far outside the hours they are good for: the
// iteration leaves them, and says it did not converge rather than give a moment. Figures that are
// not numbers end the same way.
TEST(LocalCircumstancesTest, ReportsAnIterationThatDoesNotConverge) {
  BesselianElements e = builtIn(20260812);
  e.x[0] = 6.0;  // the axis reaches the Earth's centre line 11 hours before t0
  EXPECT_FALSE(eclipse::computeLocalCircumstances(e, Site{41.6, -0.9, 0}, 69.2).converged);
  const BesselianElements& good = builtIn(20260812);
  EXPECT_FALSE(eclipse::computeLocalCircumstances(good, Site{41.6, -0.9, 0}, NAN).converged);
  EXPECT_FALSE(eclipse::computeLocalCircumstances(good, Site{NAN, -0.9, 0}, 69.2).converged);
}

}  // namespace
