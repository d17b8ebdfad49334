#include "eclipse/site.h"

#include <cmath>
#include <cstdio>
#include <locale>
#include <sstream>
#include <vector>

#include "eclipse/decimal.h"

namespace eclipse {

namespace {

constexpr double kMinHeightM = -1000.0;  // below the Dead Sea shore, with margin
constexpr double kMaxHeightM = 20000.0;  // above any aircraft an eclipse chaser flies in

std::vector<std::string> splitCommas(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string::npos ? comma : comma - start));
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

}  // namespace

bool parseSite(const std::string& text, Site* site, std::string* error) {
  std::vector<std::string> parts = splitCommas(text);
  if (parts.size() < 2 || parts.size() > 3) {
    *error = "a site is <lat>,<lon>[,<height m>] in decimal degrees, east positive";
    return false;
  }
  static const char* const kNames[] = {"latitude", "longitude", "height"};
  double values[3] = {0.0, 0.0, 0.0};
  for (size_t i = 0; i < parts.size(); ++i) {
    if (!parseDecimal(parts[i], &values[i])) {
      *error = std::string("the site's ") + kNames[i] + " is not a decimal number";
      return false;
    }
  }
  Site parsed;
  parsed.latitudeDeg = values[0];
  parsed.longitudeDeg = values[1];
  parsed.heightM = values[2];
  if (!validateSite(parsed, error)) return false;
  *site = parsed;
  return true;
}

bool validateSite(const Site& site, std::string* error) {
  if (!std::isfinite(site.latitudeDeg) || site.latitudeDeg < -90.0 || site.latitudeDeg > 90.0) {
    *error = "the site's latitude must be from -90 to 90 degrees";
    return false;
  }
  if (!std::isfinite(site.longitudeDeg) || site.longitudeDeg < -180.0 ||
      site.longitudeDeg > 180.0) {
    *error = "the site's longitude must be from -180 to 180 degrees (east positive)";
    return false;
  }
  if (!std::isfinite(site.heightM) || site.heightM < kMinHeightM || site.heightM > kMaxHeightM) {
    *error = "the site's height must be from -1000 to 20000 m";
    return false;
  }
  return true;
}

std::string formatSite(const Site& site) {
  // Rounded first, so that a value that shows as zero takes the positive hemisphere's letter
  // and the height never shows as "-0".
  double lat = std::round(site.latitudeDeg * 1e5) / 1e5;
  double lon = std::round(site.longitudeDeg * 1e5) / 1e5;
  double height = std::round(site.heightM);
  if (height == 0.0) height = 0.0;  // drops a negative zero
  char text[96];
  std::snprintf(text, sizeof text, "%.5f %c, %.5f %c, %.0f m", std::fabs(lat),
                lat < 0.0 ? 'S' : 'N', std::fabs(lon), lon < 0.0 ? 'W' : 'E', height);
  return text;
}

}  // namespace eclipse
