// libgps reads turned into reports; the watch that asks for them.
#include "gps/gpsd/gpsd_reports.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>

namespace gps {
namespace {

double systemSeconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

double seconds(const timespec_t& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The stated horizontal accuracy: gpsd's eph, else the larger of its per-axis estimates.
double horizontalError(const gps_fix_t& fix) {
  if (std::isfinite(fix.eph)) return fix.eph;
  if (std::isfinite(fix.epx) && std::isfinite(fix.epy)) return std::fmax(fix.epx, fix.epy);
  return NAN;
}

}  // namespace

void reportsOf(const gps_data_t& data, std::vector<GpsReport>* reports) {
  if (data.set & DEVICELIST_SET) {
    GpsReport report;
    report.kind = GpsReport::Kind::kDevices;
    report.deviceCount = data.devices.ndevices;
    reports->push_back(report);
  }
  if ((data.set & DEVICE_SET) && data.dev.path[0] != '\0') {
    GpsReport report;
    report.kind = GpsReport::Kind::kDevices;
    report.deviceCount = 1;
    reports->push_back(report);
  }
  if (data.set & MODE_SET) {
    GpsReport report;
    report.kind = GpsReport::Kind::kFix;
    report.mode = data.fix.mode;
    report.fix.latitudeDeg = data.fix.latitude;
    report.fix.longitudeDeg = data.fix.longitude;
    report.fix.heightM = data.fix.altHAE;
    report.fix.horizontalErrorM = horizontalError(data.fix);
    report.fix.verticalErrorM = data.fix.epv;
    // A 3D fix without a height above the ellipsoid is no 3D fix for us.
    if (report.mode == MODE_3D && !((data.set & ALTITUDE_SET) && std::isfinite(data.fix.altHAE))) {
      report.mode = MODE_2D;
    }
    if (report.mode >= MODE_2D &&
        !(std::isfinite(data.fix.latitude) && std::isfinite(data.fix.longitude))) {
      report.mode = MODE_NO_FIX;
    }
    report.hasTime = (data.set & TIME_SET) != 0 && data.fix.time.tv_sec > 0;
    report.timeS = seconds(data.fix.time);
    report.receivedS = systemSeconds();
    reports->push_back(report);
  }
  // libgps (3.22) unpacks a TOFF report into the pps pair and leaves toff empty: take whichever
  // pair the report filled. A pair without GPS time is no measurement.
  if (data.set & (TOFF_SET | PPS_SET)) {
    const bool pps = (data.set & PPS_SET) != 0;
    const timedelta_t& pair = !pps && data.toff.real.tv_sec > 0 ? data.toff : data.pps;
    if (pair.real.tv_sec > 0 && pair.clock.tv_sec > 0) {
      GpsReport report;
      report.kind = pps ? GpsReport::Kind::kPps : GpsReport::Kind::kTimeOffset;
      report.gpsS = seconds(pair.real);
      report.systemS = seconds(pair.clock);
      reports->push_back(report);
    }
  }
}

int openWatch(const GpsdAddress& address, gps_data_t* data, std::string* error) {
  // libgps connects through getprotobyname(), whose result is a static of the C library: one
  // connection is made at a time.
  static std::mutex openMutex;
  std::memset(data, 0, sizeof(*data));
  std::lock_guard<std::mutex> lock(openMutex);
  errno = 0;
  if (gps_open(address.host.c_str(), address.port.c_str(), data) != 0) {
    *error = gps_errstr(errno);
    return -1;
  }
  if (gps_stream(data, WATCH_ENABLE | WATCH_JSON | WATCH_PPS, nullptr) != 0) {
    *error = std::strerror(errno);
    gps_close(data);
    return -1;
  }
  return 0;
}

}  // namespace gps
