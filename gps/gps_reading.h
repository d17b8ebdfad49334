// GpsReading: what one session with gpsd gave: the receiver's fix (the site) and GPS time against
// the system clock, or why there is none. Plain values; safe to copy between threads.
//
// Conventions: latitude north positive, longitude east positive, decimal degrees (WGS 84);
// heights in metres above the ellipsoid; clock offsets in seconds, system clock minus GPS time
// (positive: the system clock is ahead).
#ifndef QUORVALE_GPS_GPS_READING_H_
#define QUORVALE_GPS_GPS_READING_H_

#include <cmath>
#include <string>

namespace gps {

// Where gpsd listens: "localhost" and "2947" unless the command line says otherwise.
struct GpsdAddress {
  std::string host = "localhost";
  std::string port = "2947";
};

// "localhost:2947".
std::string addressText(const GpsdAddress& address);

enum class GpsStatus {
  kFix,          // a 2D or 3D fix was read
  kNoDaemon,     // nothing answers at the address (|detail|: the system's reason)
  kNoReceiver,   // gpsd answers but has no receiver
  kNoFix,        // the receiver gave no fix within the limit
  kLost,         // gpsd closed the connection before a fix
  kUnavailable,  // this build cannot talk to gpsd (|detail| says why, e.g. on Windows)
};

struct GpsFix {
  int mode = 0;                   // 2: latitude and longitude only; 3: with height
  double latitudeDeg = 0.0;       // north positive
  double longitudeDeg = 0.0;      // east positive
  double heightM = 0.0;           // above the ellipsoid; 0 for a 2D fix
  double horizontalErrorM = NAN;  // the receiver's stated accuracy; NaN: not stated
  double verticalErrorM = NAN;    // NaN: not stated (always for a 2D fix)
};

// Where a clock offset was measured.
enum class ClockSource {
  kNone,          // gpsd reported no time
  kPps,           // the receiver's pulse per second, as gpsd timed it (sub-millisecond)
  kSerialTime,    // gpsd's stamp of the serial time message (includes the receiver's delay)
  kFixOnReceipt,  // the fix's time against our clock when the report came (includes gpsd's cycle)
};

struct GpsClockOffset {
  ClockSource source = ClockSource::kNone;
  double offsetS = 0.0;  // system clock minus GPS time
};

struct GpsReading {
  GpsStatus status = GpsStatus::kNoDaemon;
  std::string detail;      // the system's or gpsd's reason for kNoDaemon, kLost, kUnavailable
  GpsdAddress address;     // where gpsd was asked
  double fixLimitS = 0.0;  // how long a 3D fix was awaited
  GpsFix fix;              // meaningful when status == kFix
  GpsClockOffset clock;    // may be known without a fix (a receiver without fix still has time)
};

}  // namespace gps

#endif  // QUORVALE_GPS_GPS_READING_H_
