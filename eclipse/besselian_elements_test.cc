#include "eclipse/besselian_elements.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "eclipse/eclipse_test_support.h"

namespace {

using eclipse::BesselianElements;

// The block as NASA's per-eclipse pages print it: t0 as a clock time, "Tan \u0192", row 2 without
// its zero mu and row 3 with x and y only. The figures are those of the Besselian elements page
// for the total eclipse of 2026 Aug 12 (eclipse.gsfc.nasa.gov/SEbeselm/SEbeselm2001/
// SE2026Aug12Tbeselm.html), with the page's surrounding lines that the reader passes over (blank
// lines left out).
const char k2026Page[] =
    "Besselian Elements for the Total Solar Eclipse of 2026 Aug 12\n"
    "              Instant of            17:47:05.5 TDT     J.D. = 2461265.241036\n"
    "           Greatest Eclipse:      (=17:45:54.1 UT)\n"
    "                    Gamma =  0.8978            Ephemerides = VSOP87/ELP2000-82\n"
    "        Eclipse Magnitude =  1.0386           Lunation No. =     285\n"
    "                       \xCE\x94T =    71.4 s         Saros Series =  126 (48/72)\n"
    "        Polynomial Besselian Elements for:  2026 Aug 12  18:00:00.0 TDT  (=t0)\n"
    "          n     x          y          d          l1         l2         \xCE\xBC\n"
    "          0   0.475593   0.771161  14.79667    0.537954  -0.008142   88.74776\n"
    "          1   0.5189288 -0.2301664 -0.012065   0.0000940  0.0000935  15.003093\n"
    "          2  -0.0000773 -0.0001245 -0.000003  -0.0000121 -0.0000121\n"
    "          3  -0.0000088  0.0000037\n"
    "               Tan \xC6\x92"
    "1 = 0.0046141        Tan \xC6\x92"
    "2 = 0.0045911\n"
    "        At time t1 (decimal hours), each Besselian element is evaluated by:\n"
    "        a = a0 + a1*t + a2*t^2 + a3*t^3   (or  a = \xCE\xA3 [an*t^n]; n = 0 to 3)\n"
    "        where: a = x, y, d, l1, l2, or \xCE\xBC; t = t1 - t0 (decimal hours)\n";

// The Five Millennium Canon's text form, for the annular eclipse of 2030 Jun 01 (NASA GSFC,
// eclipse.gsfc.nasa.gov/SEsearch/SEdata.php?Ecl=20300601), with Windows line ends and the HTML
// page's "&Delta;T".
const char k2030Canon[] =
    "     Eclipse Type = A                  Saros Series = 128\r\n"
    "                                                 &Delta;T = 77.8 s\r\n"
    "Polynomial Besselian Elements for:   2030 Jun 01    6.000 TDT  (=t0)\r\n"
    "  n        x          y         d          l1         l2          mu\r\n"
    "  0  -0.2693910  0.5519770 22.0613003  0.5661500  0.0199120 270.539825 \r\n"
    "  1   0.5056371  0.0210150  0.0055810 -0.0000130 -0.0000129  14.999700 \r\n"
    "  2   0.0000182 -0.0001586 -0.0000050 -0.0000097 -0.0000097   0.000000 \r\n"
    "  3  -0.0000057 -0.0000002  0.0000000  0.0000000  0.0000000   0.000000\r\n"
    "  \r\n"
    "                tan f1 = 0.0046120        tan f2 = 0.0045890 \r\n";

// The same figures in every coefficient (the parse of a page against the built-in table).
void expectSameFigures(const BesselianElements& a, const BesselianElements& b) {
  EXPECT_EQ(a.year * 10000 + a.month * 100 + a.day, b.year * 10000 + b.month * 100 + b.day);
  EXPECT_EQ(a.t0TtHours, b.t0TtHours);
  EXPECT_EQ(a.kind, b.kind);
  EXPECT_TRUE(std::equal(a.x, a.x + 4, b.x) && std::equal(a.y, a.y + 4, b.y));
  EXPECT_TRUE(std::equal(a.d, a.d + 3, b.d) && std::equal(a.mu, a.mu + 3, b.mu));
  EXPECT_TRUE(std::equal(a.l1, a.l1 + 3, b.l1) && std::equal(a.l2, a.l2 + 3, b.l2));
  EXPECT_TRUE(a.tanF1 == b.tanF1 && a.tanF2 == b.tanF2);
  EXPECT_EQ(a.deltaTPrintedS, b.deltaTPrintedS);
}

// Both printed forms, read from files: the built-in table carries the same figures as the pages.
TEST(BesselianElementsTest, ReadsNasasPrintedFormsFromFiles) {
  const std::string path = testing::TempDir() + "besselian_elements_test.txt";
  for (const char* text : {k2026Page, k2030Canon}) {
    std::ofstream(path, std::ios::binary) << text;
    BesselianElements e;
    std::string error;
    ASSERT_TRUE(eclipse::readElementsFile(path, &e, &error)) << error;
    EXPECT_EQ(path, e.source);
    expectSameFigures(eclipse_testing::builtIn(e.year * 10000 + e.month * 100 + e.day), e);
  }
  std::remove(path.c_str());
}

// Each fault names the file and the line it was found on, and leaves the output as it was.
TEST(BesselianElementsTest, MalformedBlocksAreRefusedWithFileAndLine) {
  const std::string t0 =
      ": the t0 line must read \"Polynomial Besselian Elements for: <yyyy> <Mon> <dd> <hh.hhh> TDT "
      "(=t0)\"";
  auto row = [](int n) {
    return ": row " + std::to_string(n) + " of the elements must be \"" + std::to_string(n) +
           "\" and its numbers (x y d l1 l2 mu)";
  };
  const struct {
    std::string from, to, error;
  } cases[] = {
      {"Polynomial Besselian Elements for:", "Polynomial elements for:",
       "16: no \"Polynomial Besselian Elements for: ... TDT (=t0)\" line"},
      {"2026 Aug 12  18:00:00.0 TDT", "2026 Agu 12  18:00:00.0 TDT", "7" + t0},
      {"18:00:00.0 TDT  (=t0)", "18:00:00.0 UT  (=t0)", "7" + t0},
      {"2026 Aug 12  18:00:00.0", "2026 Aug 12  18:60:00.0", "7" + t0},
      {"0.5189288 -0.2301664", "0.5189288 -0.23O1664", "10" + row(1)},
      {"  15.003093\n", "\n", "10" + row(1)},
      {"3  -0.0000088  0.0000037\n", "3  -0.0000088  0.0000037  0.0\n", "12" + row(3)},
      {"          2  -0.0000773", "          3  -0.0000773", "11" + row(2)},
      {"          3  -0.0000088  0.0000037\n", "", "12" + row(3)},
      {"2 = 0.0045911", "2 = 0,0045911",
       "13: the line must read \"tan f1 = <value> tan f2 = <value>\""},
      {"               Tan \xC6\x92"
       "1 = 0.0046141        Tan \xC6\x92"
       "2 = 0.0045911\n",
       "", "15: no \"tan f1 = ... tan f2 = ...\" line"},
      {"71.4 s", "71.4 min", "6: the Delta T line must read \"\xCE\x94T = <seconds> s\""},
      {"\xCE\x94T =    71.4 s", "dT =    71.4 s", "16: no \"\xCE\x94T = ... s\" line"},
      {"15.003093", "1.5003093", "16: the elements are not those of a solar eclipse (l1, mu)"},
      {"", k2026Page, "23: a second elements block"},
  };
  for (const auto& c : cases) {
    std::string text = k2026Page;
    const size_t at = c.from.empty() ? text.size() : text.find(c.from);
    ASSERT_NE(std::string::npos, at) << c.from;
    text.replace(at, c.from.size(), c.to);
    BesselianElements e;
    e.year = 1;
    std::string error;
    EXPECT_FALSE(eclipse::parseElements(text, "e.txt", &e, &error)) << c.to;
    EXPECT_EQ("e.txt:" + c.error, error) << c.to;
    EXPECT_EQ(1, e.year) << c.to;
  }
}

}  // namespace
