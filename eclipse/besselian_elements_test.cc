#include "eclipse/besselian_elements.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

using eclipse::BesselianElements;

// The block as NASA's per-eclipse pages print it: t0 as a clock time, "Tan \u0192", row 2 without
// its zero mu and row 3 with x and y only. The figures are those of the Besselian elements page
// for the total eclipse of 2026 Aug 12 (eclipse.gsfc.nasa.gov/SEbeselm/SEbeselm2001/
// SE2026Aug12Tbeselm.html), with the page's surrounding lines that the reader passes over.
const char k2026Page[] =
    "Besselian Elements for the Total Solar Eclipse of 2026 Aug 12\n"
    "\n"
    "              Instant of            17:47:05.5 TDT     J.D. = 2461265.241036\n"
    "           Greatest Eclipse:      (=17:45:54.1 UT)\n"
    "\n"
    "                    Gamma =  0.8978            Ephemerides = VSOP87/ELP2000-82\n"
    "        Eclipse Magnitude =  1.0386           Lunation No. =     285\n"
    "                       \xCE\x94T =    71.4 s         Saros Series =  126 (48/72)\n"
    "\n"
    "        Polynomial Besselian Elements for:  2026 Aug 12  18:00:00.0 TDT  (=t0)\n"
    "\n"
    "          n     x          y          d          l1         l2         \xCE\xBC\n"
    "\n"
    "          0   0.475593   0.771161  14.79667    0.537954  -0.008142   88.74776\n"
    "          1   0.5189288 -0.2301664 -0.012065   0.0000940  0.0000935  15.003093\n"
    "          2  -0.0000773 -0.0001245 -0.000003  -0.0000121 -0.0000121\n"
    "          3  -0.0000088  0.0000037\n"
    "\n"
    "               Tan \xC6\x92"
    "1 = 0.0046141        Tan \xC6\x92"
    "2 = 0.0045911\n"
    "\n"
    "        At time t1 (decimal hours), each Besselian element is evaluated by:\n"
    "        a = a0 + a1*t + a2*t^2 + a3*t^3   (or  a = \xCE\xA3 [an*t^n]; n = 0 to 3)\n"
    "        where: a = x, y, d, l1, l2, or \xCE\xBC; t = t1 - t0 (decimal hours)\n";

// The Five Millennium Canon's text form, for the annular eclipse of 2030 Jun 01 (NASA GSFC,
// eclipse.gsfc.nasa.gov/SEsearch/SEdata.php?Ecl=20300601), with Windows line ends and the HTML
// page's "&Delta;T".
const char k2030Canon[] =
    "Gamma = 0.5626             Ephemerides  = VSOP87/ELP2000-82\r\n"
    "     Eclipse Type = A                  Saros Series = 128\r\n"
    "                                                 &Delta;T = 77.8 s\r\n"
    "\r\n"
    "Polynomial Besselian Elements for:   2030 Jun 01    6.000 TDT  (=t0)\r\n"
    "\r\n"
    "  n        x          y         d          l1         l2          mu\r\n"
    "\r\n"
    "  0  -0.2693910  0.5519770 22.0613003  0.5661500  0.0199120 270.539825 \r\n"
    "  1   0.5056371  0.0210150  0.0055810 -0.0000130 -0.0000129  14.999700 \r\n"
    "  2   0.0000182 -0.0001586 -0.0000050 -0.0000097 -0.0000097   0.000000 \r\n"
    "  3  -0.0000057 -0.0000002  0.0000000  0.0000000  0.0000000   0.000000\r\n"
    "  \r\n"
    "                tan f1 = 0.0046120        tan f2 = 0.0045890 \r\n";

const BesselianElements& builtIn(int year, int month, int day) {
  for (const BesselianElements& e : eclipse::builtInEclipses()) {
    if (e.year == year && e.month == month && e.day == day) return e;
  }
  ADD_FAILURE() << "no built-in eclipse on " << year << "-" << month << "-" << day;
  return eclipse::builtInEclipses().front();
}

void expectSameFigures(const BesselianElements& a, const BesselianElements& b) {
  EXPECT_EQ(a.year, b.year);
  EXPECT_EQ(a.month, b.month);
  EXPECT_EQ(a.day, b.day);
  EXPECT_EQ(a.t0TtHours, b.t0TtHours);
  EXPECT_EQ(a.kind, b.kind);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(a.x[i], b.x[i]) << "x" << i;
    EXPECT_EQ(a.y[i], b.y[i]) << "y" << i;
  }
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(a.d[i], b.d[i]) << "d" << i;
    EXPECT_EQ(a.l1[i], b.l1[i]) << "l1 " << i;
    EXPECT_EQ(a.l2[i], b.l2[i]) << "l2 " << i;
    EXPECT_EQ(a.mu[i], b.mu[i]) << "mu" << i;
  }
  EXPECT_EQ(a.tanF1, b.tanF1);
  EXPECT_EQ(a.tanF2, b.tanF2);
  EXPECT_EQ(a.deltaTPrintedS, b.deltaTPrintedS);
}

TEST(BesselianElementsTest, ReadsNasasPrintedForms) {
  BesselianElements e;
  std::string error;
  ASSERT_TRUE(eclipse::parseElements(k2026Page, "tse2026.txt", &e, &error)) << error;
  EXPECT_EQ("tse2026.txt", e.source);
  EXPECT_EQ(2026, e.year);
  EXPECT_EQ(8, e.month);
  EXPECT_EQ(12, e.day);
  EXPECT_EQ(18.0, e.t0TtHours);
  EXPECT_EQ("Total", e.kind);
  EXPECT_EQ(71.4, e.deltaTPrintedS);
  EXPECT_EQ(-0.0000088, e.x[3]);
  EXPECT_EQ(15.003093, e.mu[1]);
  // The built-in table carries the same figures as the page.
  expectSameFigures(builtIn(2026, 8, 12), e);

  ASSERT_TRUE(eclipse::parseElements(k2030Canon, "ase2030.txt", &e, &error)) << error;
  EXPECT_EQ("Annular", e.kind);
  EXPECT_EQ(6.0, e.t0TtHours);
  expectSameFigures(builtIn(2030, 6, 1), e);
}

// Each fault names the file and the line it was found on.
TEST(BesselianElementsTest, MalformedBlocksAreRefusedWithFileAndLine) {
  struct Case {
    const char* from;
    const char* to;
    const char* error;
  } cases[] = {
      {"Polynomial Besselian Elements for:", "Polynomial elements for:",
       "e.txt:23: no \"Polynomial Besselian Elements for: ... TDT (=t0)\" line"},
      {"2026 Aug 12  18:00:00.0 TDT", "2026 Agu 12  18:00:00.0 TDT",
       "e.txt:10: the t0 line must read \"Polynomial Besselian Elements for: <yyyy> <Mon> <dd> "
       "<hh.hhh> TDT (=t0)\""},
      {"18:00:00.0 TDT  (=t0)", "18:00:00.0 UT  (=t0)",
       "e.txt:10: the t0 line must read \"Polynomial Besselian Elements for: <yyyy> <Mon> <dd> "
       "<hh.hhh> TDT (=t0)\""},
      {"2026 Aug 12  18:00:00.0", "2026 Aug 12  18:60:00.0",
       "e.txt:10: the t0 line must read \"Polynomial Besselian Elements for: <yyyy> <Mon> <dd> "
       "<hh.hhh> TDT (=t0)\""},
      {"0.5189288 -0.2301664", "0.5189288 -0.23O1664",
       "e.txt:15: row 1 of the elements must be \"1\" and its numbers (x y d l1 l2 mu)"},
      {"  88.74776\n", "\n",
       "e.txt:14: row 0 of the elements must be \"0\" and its numbers (x y d l1 l2 mu)"},
      {"  15.003093\n", "\n",
       "e.txt:15: row 1 of the elements must be \"1\" and its numbers (x y d l1 l2 mu)"},
      {"3  -0.0000088  0.0000037\n", "3  -0.0000088  0.0000037  0.0\n",
       "e.txt:17: row 3 of the elements must be \"3\" and its numbers (x y d l1 l2 mu)"},
      {"          2  -0.0000773", "          3  -0.0000773",
       "e.txt:16: row 2 of the elements must be \"2\" and its numbers (x y d l1 l2 mu)"},
      {"          3  -0.0000088  0.0000037\n", "",
       "e.txt:18: row 3 of the elements must be \"3\" and its numbers (x y d l1 l2 mu)"},
      {"2 = 0.0045911", "2 = 0,0045911",
       "e.txt:19: the line must read \"tan f1 = <value> tan f2 = <value>\""},
      {"               Tan \xC6\x92"
       "1 = 0.0046141        Tan \xC6\x92"
       "2 = 0.0045911\n",
       "", "e.txt:22: no \"tan f1 = ... tan f2 = ...\" line"},
      {"71.4 s", "71.4 min", "e.txt:8: the Delta T line must read \"\xCE\x94T = <seconds> s\""},
      {"\xCE\x94T =    71.4 s", "dT =    71.4 s", "e.txt:23: no \"\xCE\x94T = ... s\" line"},
      {"15.003093", "1.5003093",
       "e.txt:23: the elements are not those of a solar eclipse (l1, mu)"},
  };
  for (const Case& c : cases) {
    std::string text = k2026Page;
    size_t at = text.find(c.from);
    ASSERT_NE(std::string::npos, at) << c.from;
    text.replace(at, std::string(c.from).size(), c.to);
    BesselianElements e;
    e.year = 1;
    std::string error;
    EXPECT_FALSE(eclipse::parseElements(text, "e.txt", &e, &error)) << c.to;
    EXPECT_EQ(c.error, error) << c.to;
    EXPECT_EQ(1, e.year) << "the output is left as it was";
  }

  std::string twice = std::string(k2026Page) + k2026Page;
  BesselianElements e;
  std::string error;
  EXPECT_FALSE(eclipse::parseElements(twice, "e.txt", &e, &error));
  EXPECT_EQ("e.txt:33: a second elements block", error);
}

TEST(BesselianElementsTest, ReadsAFile) {
  std::string path = testing::TempDir() + "besselian_elements_test.txt";
  {
    std::ofstream out(path, std::ios::binary);
    out << k2030Canon;
  }
  BesselianElements e;
  std::string error;
  ASSERT_TRUE(eclipse::readElementsFile(path, &e, &error)) << error;
  EXPECT_EQ(path, e.source);
  EXPECT_EQ(2030, e.year);
  std::remove(path.c_str());

  EXPECT_FALSE(eclipse::readElementsFile(path, &e, &error));
  EXPECT_EQ(path + ":0: cannot be read", error);
}

}  // namespace
