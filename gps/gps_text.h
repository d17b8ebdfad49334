// The texts that show a GpsReading to people: the fix used, why there is none, and the clock
// against GPS time. Pure functions; safe from any thread.
#ifndef QUORVALE_GPS_GPS_TEXT_H_
#define QUORVALE_GPS_GPS_TEXT_H_

#include <string>

#include "gps/gps_reading.h"

namespace gps {

// Beyond this the system clock is not trusted against GPS time.
constexpr double kClockOffsetLimitS = 0.1;

// "41.64880 N, 0.88910 W, 250 m (3D fix; stated accuracy 17.1 m horizontal, 34.5 m vertical)"
// or, for a 2D fix, "41.64880 N, 0.88910 W, 0 m (2D fix, no 3D fix within 10 s: height taken as
// 0 m; stated accuracy 17.1 m horizontal)". REQUIRES: reading.status == GpsStatus::kFix.
std::string fixText(const GpsReading& reading);

// Why there is no fix, naming the daemon's address, e.g. "no gpsd at localhost:2947 (Connection
// refused)", "gpsd at localhost:2947 has no receiver", "no fix from the receiver within 10 s
// (gpsd at localhost:2947)". REQUIRES: reading.status != GpsStatus::kFix.
std::string failureText(const GpsReading& reading);

// "the system clock is 2.004 s behind GPS time (gpsd's serial time stamp, no PPS)", "... ahead
// of GPS time (PPS)", or "gpsd reported no time".
std::string clockOffsetText(const GpsClockOffset& clock);

// "GPS -2.004 s" (system clock minus GPS time), or empty when there is no offset: for the status
// line.
std::string shortClockOffsetText(const GpsClockOffset& clock);

// True when an offset is known and larger than kClockOffsetLimitS either way.
bool clockOffsetTooLarge(const GpsClockOffset& clock);

}  // namespace gps

#endif  // QUORVALE_GPS_GPS_TEXT_H_
