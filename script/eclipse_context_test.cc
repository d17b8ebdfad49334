// The eclipse context of contact waits: the text forms (contact moments, signed durations, the
// site line's items) and the choice of the eclipse.
#include "script/eclipse_context.h"

#include <gtest/gtest.h>

#include <string>

#include "eclipse/eclipse_test_support.h"

namespace {

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
  double s = 1;
  EXPECT_TRUE(parseSignedDuration("0", &s) && s == 0);
  for (const char* bad : {"", "+", "1:2:3:4"}) EXPECT_FALSE(parseSignedDuration(bad, &s)) << bad;
  EXPECT_EQ("C3+90 s", contactMomentText({eclipse::ContactId::kC3, 90}));
  EXPECT_EQ("Max", contactMomentText({eclipse::ContactId::kMax, 0}));
}

TEST(EclipseContextTest, SiteLineItems) {
  eclipse::Site s;
  std::string error;
  ASSERT_TRUE(parseSiteItems(" lat=41.6488 lon=-0.8891 height=200", &s, &error)) << error;
  EXPECT_EQ("41.64880 N, 0.88910 W, 200 m", eclipse::formatSite(s));
  ASSERT_TRUE(parseSiteItems("LON = 2.5, Lat = -33.9", &s, &error)) << error;
  EXPECT_EQ("33.90000 S, 2.50000 E, 0 m", eclipse::formatSite(s));

  const struct {
    const char* items;
    const char* error;
  } bad[] = {
      {"", "lat= and lon= are both needed (decimal degrees, east positive)"},
      {"lat=41.6", "lat= and lon= are both needed (decimal degrees, east positive)"},
      {"lat=41.6 lon=1x", "lon=1x is not a number"},
      {"lat=41.6 lon=1 alt=5", "no item 'alt' (items: lat=<deg> lon=<deg> [height=<m>])"},
      {"lat lon=1", "'lat' has no value (items: lat=<deg> lon=<deg> [height=<m>])"},
      {"lat=91 lon=0", "the site's latitude must be from -90 to 90 degrees"},
  };
  for (const auto& b : bad) {
    eclipse::Site untouched = s;
    EXPECT_FALSE(parseSiteItems(b.items, &untouched, &error)) << b.items;
    EXPECT_EQ(b.error, error) << b.items;
    EXPECT_DOUBLE_EQ(s.latitudeDeg, untouched.latitudeDeg);
  }
}

TEST(EclipseContextTest, FindsTheScriptsSiteLineAfterTheHeader) {
  eclipse::Site s;
  std::string error;
  EXPECT_TRUE(
      findScriptSite("site lat=1 lon=1\n#!quorvale\necho x\n  SITE lat=10 lon=20\n", &s, &error));
  EXPECT_EQ("10.00000 N, 20.00000 E, 0 m", eclipse::formatSite(s));
  EXPECT_FALSE(findScriptSite("#!quorvale\nsites lat=10 lon=20\n", &s, &error));
  EXPECT_EQ("", error);
}

TEST(EclipseContextTest, ChoosesTheNextEclipseVisibleFromTheSite) {
  eclipse::BesselianElements later = eclipse_testing::elements2024();
  later.day = 9;  // the same shadow a day on: the choice goes by the contacts' moments
  const std::vector<eclipse::BesselianElements> both = {eclipse_testing::elements2024(), later};
  const eclipse::Site dallas{32.7767, -96.7970, 0};
  eclipse::LocalCircumstances lc;
  EXPECT_EQ(0, chooseEclipse(both, dallas, 69.2, 1712534400.0, 0, &lc));   // 2024-04-08 00:00
  EXPECT_EQ(1, chooseEclipse(both, dallas, 69.2, 1712620800.0, 0, &lc));   // 2024-04-09 00:00
  EXPECT_EQ(-1, chooseEclipse(both, dallas, 69.2, 1712793600.0, 0, &lc));  // 2024-04-11
  // From the other side of the Earth no contact is visible.
  EXPECT_EQ(-1, chooseEclipse(both, eclipse::Site{-30.0, 120.0, 0}, 69.2, 0.0, 0, &lc));
  // An hour after the last contact of the first, the next one is next; with the script's grace,
  // the first is still the one meant.
  const double c4 = eclipse::computeLocalCircumstances(both[0], dallas, 69.2).contacts[4].utcS;
  EXPECT_EQ(1, chooseEclipse(both, dallas, 69.2, c4 + 3600, 0, &lc));
  EXPECT_EQ(0, chooseEclipse(both, dallas, 69.2, c4 + 3600, kScriptEclipseGraceS, &lc));
  EXPECT_EQ(1, chooseEclipse(both, dallas, 69.2, c4 + kScriptEclipseGraceS + 1,
                             kScriptEclipseGraceS, &lc));
}

}  // namespace
