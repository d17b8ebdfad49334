// The built-in eclipses: the polynomial Besselian elements of the coming total, annular and
// hybrid solar eclipses as NASA publishes them, typed from those figures: the per-eclipse
// Besselian elements pages (eclipse.gsfc.nasa.gov/SEbeselm/...) where we have them, those of
// NASA's path tables, else the Five Millennium Canon's elements printed on the SEdata pages
// (eclipse.gsfc.nasa.gov/SEsearch/SEdata.php?Ecl=<yyyymmdd>). Eclipse Predictions by Fred
// Espenak, NASA's GSFC.
//
// Each row: date of t0, t0 (TT hours), kind, x0..x3, y0..y3, d0..d2, l1 0..2, l2 0..2, mu0..mu2,
// tan f1, tan f2, the page's Delta T, and whether the page is the eclipse's own Besselian elements
// page (SEbeselm2001/SE<yyyy><Mon><dd><T|A>beselm.html) rather than the canon's.
#include "eclipse/besselian_elements.h"

#include <cstdio>
#include <initializer_list>
#include <vector>

namespace eclipse {

namespace {

BesselianElements row(int year, int month, int day, double t0, const char* kind,
                      std::initializer_list<double> x, std::initializer_list<double> y,
                      std::initializer_list<double> d, std::initializer_list<double> l1,
                      std::initializer_list<double> l2, std::initializer_list<double> mu,
                      double tanF1, double tanF2, double deltaT, bool perEclipsePage) {
  BesselianElements e;
  e.year = year;
  e.month = month;
  e.day = day;
  e.t0TtHours = t0;
  e.kind = kind;
  int i = 0;
  for (double v : x) e.x[i++] = v;
  i = 0;
  for (double v : y) e.y[i++] = v;
  i = 0;
  for (double v : d) e.d[i++] = v;
  i = 0;
  for (double v : l1) e.l1[i++] = v;
  i = 0;
  for (double v : l2) e.l2[i++] = v;
  i = 0;
  for (double v : mu) e.mu[i++] = v;
  e.tanF1 = tanF1;
  e.tanF2 = tanF2;
  e.deltaTPrintedS = deltaT;
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char source[96];
  std::snprintf(source, sizeof source, "NASA GSFC, %s, %04d %s %02d",
                perEclipsePage ? "Besselian elements page" : "Five Millennium Canon", year,
                kMonths[month - 1], day);
  e.source = source;
  return e;
}

std::vector<BesselianElements> makeTable() {
  return {
      row(2026, 8, 12, 18.0, "Total", {0.475593, 0.5189288, -0.0000773, -0.0000088},
          {0.771161, -0.2301664, -0.0001245, 0.0000037}, {14.79667, -0.012065, -0.000003},
          {0.537954, 0.0000940, -0.0000121}, {-0.008142, 0.0000935, -0.0000121},
          {88.74776, 15.003093, 0.0}, 0.0046141, 0.0045911, 71.4, true),
      row(2027, 2, 6, 16.0, "Annular", {0.111743, 0.4664823, -0.0000325, -0.0000032},
          {-0.273277, 0.2031840, 0.0001025, -0.0000025}, {-15.54794, 0.012383, 0.000004},
          {0.571927, -0.0000653, -0.0000101}, {0.025661, -0.0000650, -0.0000100},
          {56.49306, 15.000512, 0.0}, 0.0047426, 0.0047190, 71.6, true),
      row(2027, 8, 2, 10.0, "Total", {-0.019645, 0.5447105, -0.0000444, -0.0000091},
          {0.160063, -0.2111569, -0.0001217, 0.0000037}, {17.76247, -0.010181, -0.000004},
          {0.530596, 0.0000138, -0.0000128}, {-0.015464, 0.0000137, -0.0000128},
          {328.42249, 15.002093, 0.0}, 0.0046064, 0.0045834, 71.7, true),
      row(2028, 1, 26, 15.0, "Annular", {-0.205283, 0.4742570, -0.0000390, -0.0000053},
          {0.340280, 0.1738587, 0.0000968, -0.0000021}, {-18.72825, 0.010074, 0.000005},
          {0.574117, 0.0000420, -0.0000099}, {0.027840, 0.0000418, -0.0000099},
          {41.89128, 14.998963, 0.0}, 0.0047501, 0.0047264, 76.3, true),
      row(2028, 7, 22, 3.0, "Total", {-0.1544090, 0.5449892, -0.0000214, -0.0000087},
          {-0.5864240, -0.1746085, -0.0001021, 0.0000030}, {20.1823101, -0.0079740, -0.0000050},
          {0.5352370, -0.0000859, -0.0000123}, {-0.0108460, -0.0000854, -0.0000122},
          {223.378677, 15.001020, 0.0}, 0.0046016, 0.0045786, 76.6, false),
      row(2030, 6, 1, 6.0, "Annular", {-0.2693910, 0.5056371, 0.0000182, -0.0000057},
          {0.5519770, 0.0210150, -0.0001586, -0.0000002}, {22.0613003, 0.0055810, -0.0000050},
          {0.5661500, -0.0000130, -0.0000097}, {0.0199120, -0.0000129, -0.0000097},
          {270.539825, 14.999700, 0.0}, 0.0046120, 0.0045890, 77.8, false),
      row(2030, 11, 25, 7.0, "Total", {0.0441500, 0.5787798, 0.0000177, -0.0000098},
          {-0.3926600, -0.0551891, 0.0001744, 0.0000008}, {-20.760999, -0.0079890, 0.0000050},
          {0.5382130, -0.0000379, -0.0000130}, {-0.0078850, -0.0000377, -0.0000130},
          {288.274597, 14.998360, 0.0}, 0.0047361, 0.0047125, 78.1, false),
      row(2031, 5, 21, 7.0, "Annular", {-0.1147810, 0.5112392, 0.0000072, -0.0000060},
          {-0.2112480, 0.0579330, -0.0001182, -0.0000006}, {20.1591492, 0.0083390, -0.0000050},
          {0.5624050, 0.0000806, -0.0000100}, {0.0161860, 0.0000802, -0.0000100},
          {285.851135, 15.000620, 0.0}, 0.0046208, 0.0045978, 78.5, false),
      row(2031, 11, 14, 21.0, "Hybrid", {-0.0198690, 0.5509440, 0.0000366, -0.0000082},
          {0.3149710, -0.0890652, 0.0001046, 0.0000012}, {-18.336809, -0.0105340, 0.0000040},
          {0.5477740, -0.0001068, -0.0000120}, {0.0016280, -0.0001063, -0.0000119},
          {138.893982, 14.999760, 0.0}, 0.0047260, 0.0047025, 78.8, false),
      row(2032, 5, 9, 13.0, "Annular", {-0.0743600, 0.5359546, 0.0000052, -0.0000074},
          {-0.9654510, 0.0954058, -0.0000702, -0.0000013}, {17.5929108, 0.0106940, -0.0000040},
          {0.5488530, 0.0001272, -0.0000112}, {0.0027020, 0.0001266, -0.0000112},
          {15.889100, 15.001740, 0.0}, 0.0046310, 0.0046079, 79.1, false),
      row(2033, 3, 30, 18.0, "Total", {-0.3188510, 0.5554244, 0.0000227, -0.0000094},
          {0.9246670, 0.1756610, -0.0000801, -0.0000029}, {4.0936799, 0.0157190, -0.0000010},
          {0.5349430, 0.0000276, -0.0000129}, {-0.0111390, 0.0000275, -0.0000129},
          {88.928078, 15.004450, 0.0}, 0.0046807, 0.0046574, 79.7, false),
      row(2034, 3, 20, 10.0, "Total", {-0.2596090, 0.5481629, 0.0000234, -0.0000090},
          {0.2207520, 0.1755790, -0.0000080, -0.0000028}, {-0.0551300, 0.0160420, 0.0000000},
          {0.5386310, -0.0000665, -0.0000127}, {-0.0074690, -0.0000662, -0.0000126},
          {328.139130, 15.004400, 0.0}, 0.0046952, 0.0046718, 80.4, false),
  };
}

}  // namespace

const std::vector<BesselianElements>& builtInEclipses() {
  static const std::vector<BesselianElements> kTable = makeTable();
  return kTable;
}

}  // namespace eclipse
