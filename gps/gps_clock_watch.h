// GpsClockWatch: keeps a watch on gpsd on a thread of its own for as long as it lives, and
// remembers GPS time against the system clock as gpsd last reported it (a PPS offset before a
// serial one while pulses keep coming). When gpsd goes away it tries again every two seconds.
//
// Ownership: owns its thread; destroying the watch ends it (within a fraction of a second).
// Thread safety: latest() may be called from any thread; state_ is guarded by mutex_.
#ifndef QUORVALE_GPS_GPS_CLOCK_WATCH_H_
#define QUORVALE_GPS_GPS_CLOCK_WATCH_H_

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "gps/gps_reading.h"

namespace gps {

class GpsClockWatch final {
 public:
  // An offset older than this is no longer shown.
  static constexpr double kStaleS = 5.0;

  // Starts watching gpsd at |address|. Throws std::system_error when no thread can be started.
  explicit GpsClockWatch(const GpsdAddress& address);
  ~GpsClockWatch();
  GpsClockWatch(const GpsClockWatch&) = delete;
  GpsClockWatch& operator=(const GpsClockWatch&) = delete;

  // The latest offset; source kNone when none came in the last kStaleS seconds.
  GpsClockOffset latest();

  // Takes one offset measured at |at| (what the thread does with each TOFF or PPS report).
  void take(const GpsClockOffset& offset, std::chrono::steady_clock::time_point at);

 private:
  void run();  // the watch thread: defined by the build's gpsd implementation
  // Waits up to |ms| unless the watch ends first; returns false when it ends.
  bool pause(int ms);

  const GpsdAddress address_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;                           // guarded by mutex_
  GpsClockOffset offset_;                           // guarded by mutex_
  std::chrono::steady_clock::time_point offsetAt_;  // guarded by mutex_
  std::chrono::steady_clock::time_point ppsAt_;     // guarded by mutex_: the last PPS offset
  std::thread thread_;
};

}  // namespace gps

#endif  // QUORVALE_GPS_GPS_CLOCK_WATCH_H_
