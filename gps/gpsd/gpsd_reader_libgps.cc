// The reader through libgps: one watch session with gpsd (JSON reports, PPS reports asked for),
// each report handed to a GpsCollector until the reading is complete or its time is up.
#include <gps.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

#include "gps/gps_collector.h"
#include "gps/gpsd/gpsd_reports.h"
#include "gps/gpsd_reader.h"

namespace gps {
namespace {

double steadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool gpsdAvailable() { return true; }

GpsReading readGpsd(const GpsdAddress& address, double fixLimitS) {
  gps_data_t data;
  std::string error;
  if (openWatch(address, &data, &error) != 0) {
    GpsReading reading;
    reading.status = GpsStatus::kNoDaemon;
    reading.address = address;
    reading.fixLimitS = fixLimitS;
    reading.detail = error;
    return reading;
  }
  GpsCollector collector(address, fixLimitS, steadySeconds());
  bool lost = false;
  std::vector<GpsReport> reports;
  for (bool done = false; !done;) {
    const double left = collector.deadline() - steadySeconds();
    if (left <= 0) break;
    if (!gps_waiting(&data, static_cast<int>(std::fmin(left, 0.5) * 1e6) + 1)) continue;
    errno = 0;
    data.set = 0;  // each read tells only what its own report brought
    if (gps_read(&data, nullptr, 0) < 0) {
      lost = true;
      error = errno != 0 ? std::strerror(errno) : "end of data";
      break;
    }
    reports.clear();
    reportsOf(data, &reports);
    const double now = steadySeconds();
    for (const GpsReport& report : reports) done = collector.add(report, now) || done;
  }
  GpsReading reading = collector.finish();
  if (lost && reading.status != GpsStatus::kFix) {
    reading.status = GpsStatus::kLost;
    reading.detail = error;
  }
  gps_stream(&data, WATCH_DISABLE, nullptr);
  gps_close(&data);
  return reading;
}

}  // namespace gps
