// Reads the receiver's fix and GPS time from gpsd, as a client of the daemon (never the serial
// line itself). The implementation is chosen by the build: libgps where it is found, else one that
// says gpsd is not available (Windows).
//
// Thread safety: each call has its own connection; calls may run on any thread.
#ifndef QUORVALE_GPS_GPSD_READER_H_
#define QUORVALE_GPS_GPSD_READER_H_

#include <string>

#include "gps/gps_reading.h"

namespace gps {

// How long a 3D fix is awaited before a 2D fix is taken (or no fix reported).
constexpr double kFixLimitS = 10.0;

// Reads "gps", "gps:<host>" or "gps:<host>:<port>" (the "-site" value that asks for the
// receiver). On success fills *address (defaults for what is left out) and returns true; false
// when the text does not ask for the receiver (or leaves the host or port empty).
bool parseGpsSite(const std::string& text, GpsdAddress* address);

// False where this build cannot talk to gpsd (Windows): readGpsd() then only says so.
bool gpsdAvailable();

// Connects to gpsd at |address|, watches its reports and returns when it has a 3D fix and the
// clock offset (or after a bounded extra wait for the time), or after |fixLimitS| with the best
// there is: a 2D fix, or no fix and why. Never throws; blocks for at most about fixLimitS + 4 s.
GpsReading readGpsd(const GpsdAddress& address, double fixLimitS);

}  // namespace gps

#endif  // QUORVALE_GPS_GPSD_READER_H_
