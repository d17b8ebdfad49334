// The reader of a build without libgps (Windows): there is no gpsd to ask.
#include "gps/gpsd_reader.h"

namespace gps {

bool gpsdAvailable() { return false; }

GpsReading readGpsd(const GpsdAddress& address, double fixLimitS) {
  GpsReading reading;
  reading.status = GpsStatus::kUnavailable;
  reading.address = address;
  reading.fixLimitS = fixLimitS;
  reading.detail = QUORVALE_GPS_UNAVAILABLE;
  return reading;
}

}  // namespace gps
