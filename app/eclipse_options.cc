#include "app/eclipse_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/gps_site.h"
#include "eclipse/besselian_elements.h"
#include "output/output.h"

namespace {

// |DeltaT| beyond this is a typing error for any eclipse the program knows of.
constexpr double kMaxDeltaTS = 3600.0;

bool readDate(const std::string& text, int* year, int* month, int* day) {
  int y = 0, m = 0, d = 0;
  int used = 0;
  if (text.size() != 10 || std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &y, &m, &d, &used) != 3 ||
      used != 10 || text[4] != '-' || text[7] != '-' || m < 1 || m > 12 || d < 1 || d > 31) {
    return false;
  }
  *year = y;
  *month = m;
  *day = d;
  return true;
}

}  // namespace

bool readSiteOption(const std::string& value, eclipse::Site* site, std::string* error) {
  return eclipse::parseSite(value, site, error);
}

bool prepareEclipseOptions(ProgramOptions* options) {
  EclipseSettings settings;
  gps::GpsdAddress gpsd;
  if (options->site && options->site->compare(0, 3, "gps") == 0 &&
      !wantsGpsSite(*options, &gpsd)) {
    printErr("-site %s: not a gpsd address (give gps, gps:<host> or gps:<host>:<port>)\n",
             options->site->c_str());
    return false;
  }
  if (options->site && !wantsGpsSite(*options, &gpsd)) {  // the receiver's fix comes later
    eclipse::Site site;
    std::string error;
    if (!readSiteOption(*options->site, &site, &error)) {
      printErr("-site %s: %s (give <lat>,<lon>[,<height m>], decimal degrees, east positive)\n",
               options->site->c_str(), error.c_str());
      return false;
    }
    settings.site = site;
  }
  if (options->deltaT) {
    const char* text = options->deltaT->c_str();
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(value) || std::fabs(value) > kMaxDeltaTS) {
      printErr("-deltat %s: not a Delta T in seconds (TT - UT1, e.g. 69.2)\n", text);
      return false;
    }
    settings.deltaTS = value;
  }
  if (options->elementsPath) {
    eclipse::BesselianElements elements;
    std::string error;
    if (!eclipse::readElementsFile(*options->elementsPath, &elements, &error)) {
      printErr("-elements %s\n", error.c_str());
      return false;
    }
    settings.elements = elements;
  }
  if (options->eclipseDate &&
      !readDate(*options->eclipseDate, &settings.year, &settings.month, &settings.day)) {
    printErr("-eclipse %s: not a date (yyyy-mm-dd)\n", options->eclipseDate->c_str());
    return false;
  }
  options->eclipse = settings;
  return true;
}
