// Test data shared by the eclipse tests: the built-in eclipses by date, and one eclipse's elements
// as a user would give them in a file, independent of the built-in table.
#ifndef QUORVALE_ECLIPSE_ECLIPSE_TEST_SUPPORT_H_
#define QUORVALE_ECLIPSE_ECLIPSE_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <string>

#include "eclipse/besselian_elements.h"

namespace eclipse_testing {

// The built-in eclipse of |date| (yyyymmdd); fails the test, and gives the first, when there is
// none.
inline const eclipse::BesselianElements& builtIn(int date) {
  for (const eclipse::BesselianElements& e : eclipse::builtInEclipses()) {
    if (e.year * 10000 + e.month * 100 + e.day == date) return e;
  }
  ADD_FAILURE() << "no built-in eclipse on " << date;
  return eclipse::builtInEclipses().front();
}

// The total eclipse of 2024 Apr 08 from its Besselian elements page (Eclipse Predictions by Fred
// Espenak, NASA's GSFC; eclipse.gsfc.nasa.gov/SEbeselm/SEbeselm2001/SE2024Apr08Tbeselm.html).
inline const char k2024Page[] =
    "Besselian Elements for the Total Solar Eclipse of 2024 Apr 08\n"
    "                       \xCE\x94T =    70.6 s         Saros Series =  139 (30/71)\n"
    "Polynomial Besselian Elements for:  2024 Apr 08  18:00:00.0 TDT  (=t0)\n"
    "  n     x          y          d          l1         l2         \xCE\xBC\n"
    "  0  -0.318157   0.219747   7.58620    0.535813  -0.010274   89.59122\n"
    "  1   0.5117105  0.2709586  0.014844   0.0000618  0.0000615  15.004084\n"
    "  2   0.0000326 -0.0000594 -0.000002  -0.0000128 -0.0000127\n"
    "  3  -0.0000085 -0.0000047\n"
    "  Tan \xC6\x92"
    "1 = 0.0046683        Tan \xC6\x92"
    "2 = 0.0046450\n";

// k2024Page read as a file named "tse2024.txt"; the default elements if it cannot be read (the
// tests that use it then fail on their figures).
inline eclipse::BesselianElements elements2024() {
  eclipse::BesselianElements e;
  std::string error;
  eclipse::parseElements(k2024Page, "tse2024.txt", &e, &error);
  return e;
}

}  // namespace eclipse_testing

#endif  // QUORVALE_ECLIPSE_ECLIPSE_TEST_SUPPORT_H_
