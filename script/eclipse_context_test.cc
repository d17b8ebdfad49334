// The eclipse context of contact waits: the text forms (contact moments, signed durations, the
// site line's items), the choice of the eclipse and the contact moments it hands out.
#include "script/eclipse_context.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The 2024 April 8 total eclipse, Five Millennium Canon of Solar Eclipses (Espenak & Meeus),
// t0 = 18:00 TDT, as NASA prints them: a hand-made set, independent of the built-in table.
eclipse::BesselianElements april2024() {
  eclipse::BesselianElements e;
  e.year = 2024;
  e.month = 4;
  e.day = 8;
  e.t0TtHours = 18.0;
  e.kind = "Total";
  const double x[] = {-0.3182440, 0.5117116, 0.0000326, -0.0000084};
  const double y[] = {0.2197640, 0.2709589, -0.0000595, -0.0000047};
  for (int i = 0; i < 4; ++i) {
    e.x[i] = x[i];
    e.y[i] = y[i];
  }
  const double d[] = {7.5862002, 0.0148440, -0.0000020};
  const double l1[] = {0.5358140, 0.0000618, -0.0000128};
  const double l2[] = {-0.0102720, 0.0000615, -0.0000127};
  const double mu[] = {89.591217, 15.004080, 0.0};
  for (int i = 0; i < 3; ++i) {
    e.d[i] = d[i];
    e.l1[i] = l1[i];
    e.l2[i] = l2[i];
    e.mu[i] = mu[i];
  }
  e.tanF1 = 0.0046683;
  e.tanF2 = 0.0046450;
  e.source = "test";
  return e;
}

eclipse::Site site(double lat, double lon, double height = 0.0) {
  eclipse::Site s;
  s.latitudeDeg = lat;
  s.longitudeDeg = lon;
  s.heightM = height;
  return s;
}

TEST(EclipseContextTest, ContactMomentsAndSignedDurations) {
  const struct {
    const char* text;
    bool ok;
    eclipse::ContactId contact;
    double offset;
  } cases[] = {
      {"c2-60", true, eclipse::ContactId::kC2, -60},
      {"C3+1:30", true, eclipse::ContactId::kC3, 90},
      {"Max", true, eclipse::ContactId::kMax, 0},
      {"c4-1:00:00.5", true, eclipse::ContactId::kC4, -3600.5},
      {"c1+0", true, eclipse::ContactId::kC1, 0},
      {"c5-10", false, {}, 0},
      {"c2-", false, {}, 0},
      {"c2--10", false, {}, 0},
      {"c2-1:300", false, {}, 0},
      {"c2 -10", false, {}, 0},
      {"c2-10s", false, {}, 0},
      {"2026-08-12", false, {}, 0},
  };
  for (const auto& c : cases) {
    ContactMoment m;
    ASSERT_EQ(c.ok, parseContactMoment(c.text, &m)) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(c.contact, m.contact) << c.text;
    EXPECT_DOUBLE_EQ(c.offset, m.offsetS) << c.text;
  }
  double s = 0;
  EXPECT_TRUE(parseSignedDuration("-10", &s));
  EXPECT_DOUBLE_EQ(-10, s);
  EXPECT_TRUE(parseSignedDuration("+1:30", &s));
  EXPECT_DOUBLE_EQ(90, s);
  EXPECT_TRUE(parseSignedDuration("0", &s));
  EXPECT_DOUBLE_EQ(0, s);
  EXPECT_FALSE(parseSignedDuration("", &s));
  EXPECT_FALSE(parseSignedDuration("+", &s));
  EXPECT_FALSE(parseSignedDuration("1:2:3:4", &s));
  EXPECT_EQ("C2-10 s", contactMomentText({eclipse::ContactId::kC2, -10}));
  EXPECT_EQ("C3+90 s", contactMomentText({eclipse::ContactId::kC3, 90}));
  EXPECT_EQ("Max", contactMomentText({eclipse::ContactId::kMax, 0}));
}

TEST(EclipseContextTest, SiteLineItems) {
  eclipse::Site s;
  std::string error;
  ASSERT_TRUE(parseSiteItems(" lat=41.6488 lon=-0.8891 height=200", &s, &error)) << error;
  EXPECT_DOUBLE_EQ(41.6488, s.latitudeDeg);
  EXPECT_DOUBLE_EQ(-0.8891, s.longitudeDeg);
  EXPECT_DOUBLE_EQ(200, s.heightM);
  ASSERT_TRUE(parseSiteItems("LON = 2.5, Lat = -33.9", &s, &error)) << error;
  EXPECT_DOUBLE_EQ(-33.9, s.latitudeDeg);
  EXPECT_DOUBLE_EQ(2.5, s.longitudeDeg);
  EXPECT_DOUBLE_EQ(0, s.heightM);

  const struct {
    const char* items;
    const char* error;
  } bad[] = {
      {"", "lat= and lon= are both needed (decimal degrees, east positive)"},
      {"lat=41.6", "lat= and lon= are both needed (decimal degrees, east positive)"},
      {"lat=41.6 lon=1x", "lon=1x is not a number"},
      {"lat=41.6 lon=1 alt=5", "no item 'alt' (items: lat=<deg> lon=<deg> [height=<m>])"},
      {"lat lon=1", "'lat' has no value (items: lat=<deg> lon=<deg> [height=<m>])"},
  };
  for (const auto& b : bad) {
    eclipse::Site untouched = s;
    EXPECT_FALSE(parseSiteItems(b.items, &untouched, &error)) << b.items;
    EXPECT_EQ(b.error, error) << b.items;
    EXPECT_DOUBLE_EQ(s.latitudeDeg, untouched.latitudeDeg);
  }
  // Out of range: the site's own check says why.
  EXPECT_FALSE(parseSiteItems("lat=91 lon=0", &s, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(parseSiteItems("lat=10 lon=-181", &s, &error));
  EXPECT_FALSE(error.empty());
}

TEST(EclipseContextTest, FindsTheScriptsSiteLineAfterTheHeader) {
  eclipse::Site s;
  std::string error;
  EXPECT_TRUE(
      findScriptSite("site lat=1 lon=1\n#!quorvale\necho x\n  SITE lat=10 lon=20\n", &s, &error));
  EXPECT_DOUBLE_EQ(10, s.latitudeDeg);
  EXPECT_DOUBLE_EQ(20, s.longitudeDeg);
  EXPECT_FALSE(findScriptSite("#!quorvale\nsites lat=10 lon=20\n", &s, &error));
  EXPECT_EQ("", error);
  EXPECT_FALSE(findScriptSite("#!quorvale\nsite lat=10\n", &s, &error));
  EXPECT_EQ("lat= and lon= are both needed (decimal degrees, east positive)", error);
}

TEST(EclipseContextTest, FileTimesAndUnixSeconds) {
  // 2024-04-08 18:00:00 UTC is 1712599200 s after 1970.
  EXPECT_EQ(133570728000000000ULL, unixSecondsToFileTime(1712599200.0));
  EXPECT_DOUBLE_EQ(1712599200.25, fileTimeToUnixSeconds(133570728002500000ULL));
}

TEST(EclipseContextTest, ContactMomentsAtTheSite) {
  EclipseSettings settings;
  settings.elements = april2024();
  settings.deltaTS = 69.2;
  EclipseContext context;
  context.configure(settings);
  std::string error;
  uint64_t due = 0;
  EXPECT_FALSE(context.momentOf({eclipse::ContactId::kC2, 0}, 0, &due, &error));
  EXPECT_EQ("no site: give -site <lat>,<lon>[,<height m>] or a site line before it", error);

  // Dallas, in the path: C2 - 10 s is the contact's own moment less 10 s.
  const eclipse::Site dallas = site(32.7767, -96.7970, 140);
  EXPECT_TRUE(context.setScriptSite(dallas));
  const eclipse::LocalCircumstances lc =
      eclipse::computeLocalCircumstances(april2024(), dallas, 69.2);
  ASSERT_TRUE(lc.contacts[1].exists);
  ASSERT_TRUE(context.momentOf({eclipse::ContactId::kC2, -10}, 0, &due, &error)) << error;
  EXPECT_EQ(unixSecondsToFileTime(lc.contacts[1].utcS - 10), due);
  ASSERT_TRUE(context.momentOf({eclipse::ContactId::kC4, 90}, 0, &due, &error)) << error;
  EXPECT_EQ(unixSecondsToFileTime(lc.contacts[4].utcS + 90), due);
  EXPECT_EQ("2024-04-08", context.eclipseName());

  // A site far outside the path has no C2.
  const eclipse::Site north = site(60.0, -96.0);
  EXPECT_TRUE(context.setScriptSite(north));
  if (eclipse::computeLocalCircumstances(april2024(), north, 69.2).kind ==
      eclipse::LocalKind::kPartial) {
    EXPECT_FALSE(context.momentOf({eclipse::ContactId::kC2, 0}, 0, &due, &error));
    EXPECT_EQ("C2 does not happen at " + eclipse::formatSite(north) +
                  ": the eclipse of 2024-04-08 is partial there",
              error);
    EXPECT_TRUE(context.momentOf({eclipse::ContactId::kMax, 0}, 0, &due, &error)) << error;
  }

  // The command line's site wins over a script's.
  settings.site = dallas;
  context.configure(settings);
  EXPECT_FALSE(context.setScriptSite(north));
  EXPECT_DOUBLE_EQ(dallas.latitudeDeg, context.site().latitudeDeg);
  EXPECT_TRUE(context.siteFromCommandLine());
}

TEST(EclipseContextTest, ChoosesTheNextEclipseVisibleFromTheSite) {
  eclipse::BesselianElements later = april2024();
  later.day = 9;  // the same shadow a day on: the choice goes by the contacts' moments
  const std::vector<eclipse::BesselianElements> both = {april2024(), later};
  const eclipse::Site dallas = site(32.7767, -96.7970);
  eclipse::LocalCircumstances lc;
  EXPECT_EQ(0, chooseEclipse(both, dallas, 69.2, 1712534400.0, 0, &lc));   // 2024-04-08 00:00
  EXPECT_EQ(1, chooseEclipse(both, dallas, 69.2, 1712620800.0, 0, &lc));   // 2024-04-09 00:00
  EXPECT_EQ(-1, chooseEclipse(both, dallas, 69.2, 1712793600.0, 0, &lc));  // 2024-04-11
  // From the other side of the Earth no contact is visible.
  EXPECT_EQ(-1, chooseEclipse(both, site(-30.0, 120.0), 69.2, 0.0, 0, &lc));
  // An hour after the last contact of the first, the next one is next; with the script's grace,
  // the first is still the one meant.
  const eclipse::LocalCircumstances first =
      eclipse::computeLocalCircumstances(april2024(), dallas, 69.2);
  const double anHourAfter = first.contacts[4].utcS + 3600;
  EXPECT_EQ(1, chooseEclipse(both, dallas, 69.2, anHourAfter, 0, &lc));
  EXPECT_EQ(0, chooseEclipse(both, dallas, 69.2, anHourAfter, kScriptEclipseGraceS, &lc));
  EXPECT_EQ(1, chooseEclipse(both, dallas, 69.2, first.contacts[4].utcS + kScriptEclipseGraceS + 1,
                             kScriptEclipseGraceS, &lc));
}

}  // namespace
