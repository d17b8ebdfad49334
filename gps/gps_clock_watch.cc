#include "gps/gps_clock_watch.h"

namespace gps {

GpsClockWatch::GpsClockWatch(const GpsdAddress& address) : address_(address) {
  thread_ = std::thread([this] { run(); });
}

GpsClockWatch::~GpsClockWatch() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

bool GpsClockWatch::pause(int ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

void GpsClockWatch::take(const GpsClockOffset& offset, std::chrono::steady_clock::time_point at) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (offset.source == ClockSource::kPps) {
    ppsAt_ = at;
  } else if (offset_.source == ClockSource::kPps &&
             at - ppsAt_ < std::chrono::duration<double>(kStaleS)) {
    return;  // pulses still come: a coarser offset does not replace theirs
  }
  offset_ = offset;
  offsetAt_ = at;
}

GpsClockOffset GpsClockWatch::latest() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (offset_.source == ClockSource::kNone ||
      std::chrono::steady_clock::now() - offsetAt_ > std::chrono::duration<double>(kStaleS)) {
    return GpsClockOffset();
  }
  return offset_;
}

}  // namespace gps
