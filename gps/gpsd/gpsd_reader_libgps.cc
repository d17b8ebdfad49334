// The reader through libgps: one watch session with gpsd (JSON reports, PPS reports asked for),
// each report handed to a GpsCollector until the reading is complete or its time is up.
#include <gps.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>

#include "gps/gps_collector.h"
#include "gps/gpsd_reader.h"

namespace gps {
namespace {

double steadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

double systemSeconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
      .count();
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

// Hands what the last gps_read() brought to |collector|. Returns true when the reading is
// complete.
bool deliver(const gps_data_t& data, double nowS, GpsCollector* collector) {
  bool done = false;
  if (data.set & DEVICELIST_SET) {
    GpsReport report;
    report.kind = GpsReport::Kind::kDevices;
    report.deviceCount = data.devices.ndevices;
    done = collector->add(report, nowS) || done;
  }
  if ((data.set & DEVICE_SET) && data.dev.path[0] != '\0') {
    GpsReport report;
    report.kind = GpsReport::Kind::kDevices;
    report.deviceCount = 1;
    done = collector->add(report, nowS) || done;
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
    done = collector->add(report, nowS) || done;
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
      done = collector->add(report, nowS) || done;
    }
  }
  return done;
}

}  // namespace

GpsReading readGpsd(const GpsdAddress& address, double fixLimitS) {
  gps_data_t data;
  std::memset(&data, 0, sizeof(data));
  errno = 0;
  if (gps_open(address.host.c_str(), address.port.c_str(), &data) != 0) {
    GpsReading reading;
    reading.status = GpsStatus::kNoDaemon;
    reading.address = address;
    reading.fixLimitS = fixLimitS;
    reading.detail = gps_errstr(errno);
    return reading;
  }
  GpsCollector collector(address, fixLimitS, steadySeconds());
  bool lost = false;
  std::string lostDetail;
  if (gps_stream(&data, WATCH_ENABLE | WATCH_JSON | WATCH_PPS, nullptr) != 0) {
    lost = true;
    lostDetail = std::strerror(errno);
  }
  while (!lost) {
    const double now = steadySeconds();
    const double left = collector.deadline() - now;
    if (left <= 0) break;
    const int waitUs = static_cast<int>(std::fmin(left, 0.5) * 1e6) + 1;
    if (!gps_waiting(&data, waitUs)) continue;
    errno = 0;
    data.set = 0;  // each read tells only what its own report brought
    if (gps_read(&data, nullptr, 0) < 0) {
      lost = true;
      lostDetail = errno != 0 ? std::strerror(errno) : "end of data";
      break;
    }
    if (deliver(data, steadySeconds(), &collector)) break;
  }
  GpsReading reading = collector.finish();
  if (lost && reading.status != GpsStatus::kFix) {
    reading.status = GpsStatus::kLost;
    reading.detail = lostDetail;
  }
  gps_stream(&data, WATCH_DISABLE, nullptr);
  gps_close(&data);
  return reading;
}

}  // namespace gps
