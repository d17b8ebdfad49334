// BesselianElements: one solar eclipse's polynomial Besselian elements, in the form NASA's
// per-eclipse pages print them, the elements file reader, and the table of built-in eclipses.
//
// Conventions: t is in TT hours from t0 (t = TT - t0); x, y, l1, l2 in Earth equatorial radii;
// d and mu in degrees. The printed Delta T is kept (deltaTPrintedS) but is not the figure used to
// turn the Earth: see local_circumstances.h.
//
// Thread safety: plain values; builtInEclipses() returns a constant table, safe from any thread.
#ifndef QUORVALE_ECLIPSE_BESSELIAN_ELEMENTS_H_
#define QUORVALE_ECLIPSE_BESSELIAN_ELEMENTS_H_

#include <string>
#include <vector>

namespace eclipse {

struct BesselianElements {
  int year = 0, month = 0, day = 0;  // calendar date of t0 (TT)
  double t0TtHours = 0.0;            // TT hour of t0 on that date, e.g. 18.0
  std::string kind;                  // "Total", "Annular" or "Hybrid" (the eclipse's own type);
                                     // from a file also "Partial", or "" when the file does not say
  double x[4] = {}, y[4] = {};       // polynomial coefficients a0 + a1 t + a2 t^2 + a3 t^3
  double d[3] = {}, l1[3] = {}, l2[3] = {}, mu[3] = {};
  double tanF1 = 0.0, tanF2 = 0.0;
  double deltaTPrintedS = 0.0;       // the Delta T line of the source, read but not used by default
  std::string source;                // where the figures come from (file path or the page's name)
};

// Reads one eclipse's elements from a text file in NASA's printed form: the per-eclipse Besselian
// elements pages (t0 as "18:00:00.0 TDT", "Tan \u0192" lines, row 2 without mu, row 3 with x and y
// only) or the Five Millennium Canon's (t0 as "18.000 TDT", all rows full). On failure returns
// false, leaves *out unchanged and sets *error to "<path>:<line>: <reason>" (line 0 when the file
// cannot be read at all; the last line when something is missing).
bool readElementsFile(const std::string& path, BesselianElements* out, std::string* error);

// Same, from text already in memory; |name| stands for the path in errors.
bool parseElements(const std::string& text, const std::string& name, BesselianElements* out,
                   std::string* error);

// The built-in eclipses, in date order.
const std::vector<BesselianElements>& builtInEclipses();

// The credit line that every listing of built-in or NASA elements carries.
extern const char kEclipseCredit[];  // "Eclipse Predictions by Fred Espenak, NASA's GSFC"

}  // namespace eclipse

#endif  // QUORVALE_ECLIPSE_BESSELIAN_ELEMENTS_H_
