#include "eclipse/site.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using eclipse::Site;

TEST(SiteTest, ParsesTwoOrThreeValues) {
  Site site;
  std::string error;
  ASSERT_TRUE(eclipse::parseSite("41.6488,-0.8891,200", &site, &error)) << error;
  EXPECT_DOUBLE_EQ(41.6488, site.latitudeDeg);
  EXPECT_DOUBLE_EQ(-0.8891, site.longitudeDeg);
  EXPECT_DOUBLE_EQ(200.0, site.heightM);

  ASSERT_TRUE(eclipse::parseSite("-33.5,+151", &site, &error)) << error;
  EXPECT_DOUBLE_EQ(-33.5, site.latitudeDeg);
  EXPECT_DOUBLE_EQ(151.0, site.longitudeDeg);
  EXPECT_DOUBLE_EQ(0.0, site.heightM);

  ASSERT_TRUE(eclipse::parseSite("90,-180,-12.5", &site, &error)) << error;
  EXPECT_DOUBLE_EQ(-12.5, site.heightM);
}

TEST(SiteTest, RefusesMalformedTextAndLeavesTheSite) {
  const Site before{1.0, 2.0, 3.0};
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"", "a site is <lat>,<lon>[,<height m>] in decimal degrees, east positive"},
      {"41.6488", "a site is <lat>,<lon>[,<height m>] in decimal degrees, east positive"},
      {"1,2,3,4", "a site is <lat>,<lon>[,<height m>] in decimal degrees, east positive"},
      {"41.6488;-0.8891", "a site is <lat>,<lon>[,<height m>] in decimal degrees, east positive"},
      {"41.6N,0.8891", "the site's latitude is not a decimal number"},
      {" 41.6,0.8891", "the site's latitude is not a decimal number"},
      {"4e1,0.8891", "the site's latitude is not a decimal number"},
      {"nan,0", "the site's latitude is not a decimal number"},
      {"41.6,", "the site's longitude is not a decimal number"},
      {"41.6,0.8.8", "the site's longitude is not a decimal number"},
      {"41.6,-", "the site's longitude is not a decimal number"},
      {"41.6,0,200m", "the site's height is not a decimal number"},
      {"-33.5,+151,", "the site's height is not a decimal number"},
      {"90.0001,0", "the site's latitude must be from -90 to 90 degrees"},
      {"-91,0", "the site's latitude must be from -90 to 90 degrees"},
      {"0,180.5", "the site's longitude must be from -180 to 180 degrees (east positive)"},
      {"0,-181", "the site's longitude must be from -180 to 180 degrees (east positive)"},
      {"0,0,20001", "the site's height must be from -1000 to 20000 m"},
      {"0,0,-1001", "the site's height must be from -1000 to 20000 m"},
  };
  for (const Case& c : cases) {
    Site site = before;
    std::string error;
    EXPECT_FALSE(eclipse::parseSite(c.text, &site, &error)) << c.text;
    EXPECT_EQ(c.error, error) << c.text;
    EXPECT_EQ(before.latitudeDeg, site.latitudeDeg) << c.text;
    EXPECT_EQ(before.longitudeDeg, site.longitudeDeg) << c.text;
    EXPECT_EQ(before.heightM, site.heightM) << c.text;
  }
}

TEST(SiteTest, ValidatesSeparateValues) {
  std::string error;
  EXPECT_TRUE(eclipse::validateSite(Site{-90.0, 180.0, 8848.0}, &error));
  EXPECT_FALSE(eclipse::validateSite(Site{std::nan(""), 0.0, 0.0}, &error));
  EXPECT_EQ("the site's latitude must be from -90 to 90 degrees", error);
  EXPECT_FALSE(eclipse::validateSite(Site{0.0, INFINITY, 0.0}, &error));
  EXPECT_EQ("the site's longitude must be from -180 to 180 degrees (east positive)", error);
  EXPECT_FALSE(eclipse::validateSite(Site{0.0, 0.0, 1e6}, &error));
  EXPECT_EQ("the site's height must be from -1000 to 20000 m", error);
}

TEST(SiteTest, FormatsWithHemispheresAndWholeMetres) {
  EXPECT_EQ("41.64880 N, 0.88910 W, 200 m", eclipse::formatSite(Site{41.6488, -0.8891, 200.0}));
  EXPECT_EQ("33.86000 S, 151.21000 E, 58 m", eclipse::formatSite(Site{-33.86, 151.21, 57.6}));
  // Values that round to zero show the positive hemisphere and no negative zero.
  EXPECT_EQ("0.00000 N, 0.00000 E, 0 m", eclipse::formatSite(Site{-0.000001, -0.000004, -0.4}));
  EXPECT_EQ("65.17167 N, 25.20500 W, -3 m", eclipse::formatSite(Site{65.17167, -25.205, -3.0}));
}

}  // namespace
