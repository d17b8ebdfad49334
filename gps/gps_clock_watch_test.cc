#include "gps/gps_clock_watch.h"

#include <gtest/gtest.h>

namespace gps {
namespace {

using Clock = std::chrono::steady_clock;

// Nothing listens at the discard port: the watch's own thread only retries, so what it shows is
// what the test gives it. (Serial time alone is shown end to end in the status line.)
TEST(GpsClockWatch, PulsesOutrankSerialTimeWhileTheyComeAndOldOffsetsGo) {
  const Clock::time_point now = Clock::now();
  const auto old = now - std::chrono::seconds(10);
  GpsClockWatch watch({"127.0.0.1", "9"});
  watch.take({ClockSource::kSerialTime, 0.120}, now);
  watch.take({ClockSource::kPps, 0.0004}, now);
  watch.take({ClockSource::kSerialTime, 0.130}, now);  // pulses still come: kept out
  EXPECT_EQ(ClockSource::kPps, watch.latest().source);
  EXPECT_DOUBLE_EQ(0.0004, watch.latest().offsetS);

  // Pulses that stopped long ago give way to the serial time again.
  GpsClockWatch stopped({"127.0.0.1", "9"});
  stopped.take({ClockSource::kPps, 0.0004}, old);
  stopped.take({ClockSource::kSerialTime, 2.0}, now);
  EXPECT_EQ(ClockSource::kSerialTime, stopped.latest().source);
  EXPECT_DOUBLE_EQ(2.0, stopped.latest().offsetS);

  // Nothing new for longer than kStaleS: no offset is shown.
  GpsClockWatch silent({"127.0.0.1", "9"});
  silent.take({ClockSource::kSerialTime, 0.1}, old);
  EXPECT_EQ(ClockSource::kNone, silent.latest().source);
}

}  // namespace
}  // namespace gps
