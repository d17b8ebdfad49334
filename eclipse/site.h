// Site: where the observer stands, and the text forms that name it.
//
// Conventions: latitude north positive, longitude east positive, both in decimal degrees (WGS 84);
// height in metres above the ellipsoid.
//
// Thread safety: plain values and pure functions; safe from any thread.
#ifndef QUORVALE_ECLIPSE_SITE_H_
#define QUORVALE_ECLIPSE_SITE_H_

#include <string>

namespace eclipse {

struct Site {
  double latitudeDeg = 0.0;   // -90 .. 90, north positive
  double longitudeDeg = 0.0;  // -180 .. 180, east positive
  double heightM = 0.0;       // above the ellipsoid
};

// Reads "<lat>,<lon>[,<height m>]" (decimal degrees, east positive, e.g. "41.6488,-0.8891,200").
// The whole text must be taken. On success fills *site and returns true; on failure leaves *site
// unchanged, sets *error to a one-line reason (without the text itself) and returns false.
bool parseSite(const std::string& text, Site* site, std::string* error);

// Checks the ranges of a site built from separate values (the script's site line). Returns true,
// or false with *error set.
bool validateSite(const Site& site, std::string* error);

// "41.64880 N, 0.88910 W, 200 m": the form every listing shows.
std::string formatSite(const Site& site);

}  // namespace eclipse

#endif  // QUORVALE_ECLIPSE_SITE_H_
