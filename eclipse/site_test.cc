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
  EXPECT_EQ("41.64880 N, 0.88910 W, 200 m", eclipse::formatSite(site));
  ASSERT_TRUE(eclipse::parseSite("-33.5,+151", &site, &error)) << error;
  EXPECT_EQ("33.50000 S, 151.00000 E, 0 m", eclipse::formatSite(site));
  ASSERT_TRUE(eclipse::parseSite("90,-180,-12.5", &site, &error)) << error;
  EXPECT_DOUBLE_EQ(-12.5, site.heightM);
  // Values that round to zero show the positive hemisphere and no negative zero.
  EXPECT_EQ("0.00000 N, 0.00000 E, 0 m", eclipse::formatSite(Site{-0.000001, -0.000004, -0.4}));
  EXPECT_EQ("33.86000 S, 151.21000 E, 58 m", eclipse::formatSite(Site{-33.86, 151.21, 57.6}));
}

TEST(SiteTest, RefusesMalformedOrOutOfRangeValuesAndLeavesTheSite) {
  const std::string form = "a site is <lat>,<lon>[,<height m>] in decimal degrees, east positive";
  const std::string lat = "the site's latitude ", lon = "the site's longitude ";
  const std::string height = "the site's height ", number = "is not a decimal number";
  const std::string latRange = lat + "must be from -90 to 90 degrees";
  const std::string lonRange = lon + "must be from -180 to 180 degrees (east positive)";
  const std::string heightRange = height + "must be from -1000 to 20000 m";
  const struct {
    const char* text;
    std::string error;
  } cases[] = {
      {"", form},
      {"41.6488", form},
      {"1,2,3,4", form},
      {"41.6N,0.8891", lat + number},
      {" 41.6,0.8891", lat + number},
      {"4e1,0.8891", lat + number},
      {"nan,0", lat + number},
      {"41.6,", lon + number},
      {"41.6,-", lon + number},
      {"41.6,0,200m", height + number},
      {"-33.5,+151,", height + number},
      {"90.0001,0", latRange},
      {"-91,0", latRange},
      {"0,180.5", lonRange},
      {"0,-181", lonRange},
      {"0,0,20001", heightRange},
      {"0,0,-1001", heightRange},
  };
  for (const auto& c : cases) {
    Site site{1.0, 2.0, 3.0};
    std::string error;
    EXPECT_FALSE(eclipse::parseSite(c.text, &site, &error)) << c.text;
    EXPECT_EQ(c.error, error) << c.text;
    EXPECT_TRUE(site.latitudeDeg == 1.0 && site.longitudeDeg == 2.0 && site.heightM == 3.0);
  }
  // Separate values (the script's site line): not-a-number and infinity are out of range.
  std::string error;
  EXPECT_TRUE(eclipse::validateSite(Site{-90.0, 180.0, 8848.0}, &error));
  EXPECT_FALSE(eclipse::validateSite(Site{std::nan(""), 0.0, 0.0}, &error));
  EXPECT_EQ(latRange, error);
  EXPECT_FALSE(eclipse::validateSite(Site{0.0, INFINITY, 0.0}, &error));
  EXPECT_EQ(lonRange, error);
  EXPECT_FALSE(eclipse::validateSite(Site{0.0, 0.0, 1e6}, &error));
  EXPECT_EQ(heightRange, error);
}

}  // namespace
