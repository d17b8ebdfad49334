// The clock watch's thread through libgps.
#include <gps.h>

#include <vector>

#include "gps/gps_clock_watch.h"
#include "gps/gpsd/gpsd_reports.h"

namespace gps {

void GpsClockWatch::run() {
  constexpr int kRetryMs = 2000;
  constexpr int kPollUs = 200000;  // how soon the thread sees the watch end
  std::vector<GpsReport> reports;
  do {
    gps_data_t data;
    std::string error;
    if (openWatch(address_, &data, &error) != 0) continue;
    while (pause(0)) {
      if (!gps_waiting(&data, kPollUs)) continue;
      data.set = 0;
      if (gps_read(&data, nullptr, 0) < 0) break;
      reports.clear();
      reportsOf(data, &reports);
      for (const GpsReport& report : reports) {
        if (report.kind == GpsReport::Kind::kTimeOffset || report.kind == GpsReport::Kind::kPps) {
          take({report.kind == GpsReport::Kind::kPps ? ClockSource::kPps : ClockSource::kSerialTime,
                report.systemS - report.gpsS},
               std::chrono::steady_clock::now());
        }
      }
    }
    gps_close(&data);
  } while (pause(kRetryMs));
}

}  // namespace gps
