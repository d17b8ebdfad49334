// What one libgps read brought, as the library-neutral reports of gps_collector.h. Internal to
// the gpsd readers (the only place libgps headers are seen).
#ifndef QUORVALE_GPS_GPSD_GPSD_REPORTS_H_
#define QUORVALE_GPS_GPSD_GPSD_REPORTS_H_

#include <gps.h>

#include <string>
#include <vector>

#include "gps/gps_collector.h"

namespace gps {

// Appends to *reports what the last gps_read() into |data| brought, per its |set| flags (cleared
// by the caller before each read). Reads the system clock for a fix's time of receipt.
void reportsOf(const gps_data_t& data, std::vector<GpsReport>* reports);

// Streams JSON reports with PPS and TOFF from gpsd at |address| into *data. Returns 0, or -1 when
// gpsd cannot be reached (*data then needs no closing) with *error set to the reason.
// Thread safety: may be called from any thread (connections are made one at a time).
int openWatch(const GpsdAddress& address, gps_data_t* data, std::string* error);

}  // namespace gps

#endif  // QUORVALE_GPS_GPSD_GPSD_REPORTS_H_
