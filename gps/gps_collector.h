// GpsCollector: turns gpsd's reports, in the order they come, into one GpsReading, and says when
// the reading is complete. It holds no connection and reads no clock: the caller passes each
// report with the times it was received, so every rule here is testable without a daemon.
//
// Rules:
// - A 3D fix is taken at once (a later one replaces it while the reading goes on: gpsd completes
//   a fix's figures over its cycle); the reading then waits up to kTimeWaitS for a clock offset
//   (gpsd's TOFF or PPS report, else a fix with its time), and after the first offset up to
//   kPpsWaitS for a PPS offset, which replaces a coarser one.
// - At the fix limit, the best there is: the last 2D fix (height 0 m), else no fix — or no
//   receiver when gpsd never reported a device.
//
// Thread safety: none; one collector per reading, used by one thread.
#ifndef QUORVALE_GPS_GPS_COLLECTOR_H_
#define QUORVALE_GPS_GPS_COLLECTOR_H_

#include "gps/gps_reading.h"

namespace gps {

// One report from gpsd, reduced to what the reading uses.
struct GpsReport {
  enum class Kind { kDevices, kFix, kTimeOffset, kPps };
  Kind kind = Kind::kFix;
  int deviceCount = 0;     // kDevices: how many receivers gpsd has
  int mode = 0;            // kFix: 0 not seen, 1 no fix, 2 2D, 3 3D
  GpsFix fix;              // kFix with mode >= 2 (heightM taken only for mode 3)
  bool hasTime = false;    // kFix: the report carries the fix's time
  double timeS = 0.0;      // kFix: the fix's time, seconds since 1970 (UTC)
  double receivedS = 0.0;  // kFix: the system clock when the report came, seconds since 1970
  double gpsS = 0.0;       // kTimeOffset, kPps: GPS time of the event, seconds since 1970
  double systemS = 0.0;    // kTimeOffset, kPps: the system clock at that event
};

class GpsCollector {
 public:
  static constexpr double kTimeWaitS = 2.5;
  static constexpr double kPpsWaitS = 1.2;

  // |startS|: when the watch began, on the caller's monotonic clock in seconds.
  GpsCollector(const GpsdAddress& address, double fixLimitS, double startS);

  // Takes one report received at |nowS| (monotonic). Returns true when the reading is complete.
  bool add(const GpsReport& report, double nowS);

  // The moment (monotonic) after which finish() is due even without more reports.
  double deadline() const;

  // The reading: at or after deadline(), or once add() returned true.
  GpsReading finish() const;

 private:
  bool complete(double nowS) const;

  GpsReading reading_;
  const double startS_;
  bool deviceSeen_ = false;
  bool have3d_ = false;
  bool have2d_ = false;
  GpsFix last2d_;
  double fix3dAtS_ = 0.0;   // when the first 3D fix came
  double offsetAtS_ = 0.0;  // when the first clock offset came
  bool haveOffset_ = false;
};

}  // namespace gps

#endif  // QUORVALE_GPS_GPS_COLLECTOR_H_
