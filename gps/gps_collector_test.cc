#include "gps/gps_collector.h"

#include <gtest/gtest.h>

namespace gps {
namespace {

GpsReport fixReport(int mode, double lat, double lon, double height) {
  GpsReport report;
  report.kind = GpsReport::Kind::kFix;
  report.mode = mode;
  report.fix = {mode, lat, lon, height, 17.1, 34.5};
  return report;
}

GpsReport offsetReport(GpsReport::Kind kind, double gps, double system) {
  GpsReport report;
  report.kind = kind;
  report.gpsS = gps;
  report.systemS = system;
  return report;
}

GpsReport devices(int count) {
  GpsReport report;
  report.kind = GpsReport::Kind::kDevices;
  report.deviceCount = count;
  return report;
}

// The waits after a 3D fix that no end-to-end run can time: for a clock offset, then for a PPS.
TEST(GpsCollector, ThreeDFixWaitsBrieflyForTimeThenForPps) {
  GpsCollector collector(GpsdAddress(), 10.0, 100.0);
  EXPECT_FALSE(collector.add(fixReport(2, 41.6, -0.9, 0), 100.2));  // a 2D fix is not enough yet
  EXPECT_DOUBLE_EQ(110.0, collector.deadline());
  EXPECT_FALSE(collector.add(fixReport(3, 41.6488, -0.8891, 250.0), 101.0));
  EXPECT_DOUBLE_EQ(101.0 + GpsCollector::kTimeWaitS, collector.deadline());
  // The same fix completed later in gpsd's cycle replaces the first, without a longer wait.
  EXPECT_FALSE(collector.add(fixReport(3, 41.6488, -0.8891, 250.5), 101.2));
  EXPECT_DOUBLE_EQ(101.0 + GpsCollector::kTimeWaitS, collector.deadline());
  EXPECT_FALSE(collector.add(offsetReport(GpsReport::Kind::kTimeOffset, 1000.0, 1002.25), 101.5));
  EXPECT_DOUBLE_EQ(101.5 + GpsCollector::kPpsWaitS, collector.deadline());
  // A later fix (here a 2D one) changes neither the fix taken nor the wait.
  EXPECT_TRUE(collector.add(fixReport(2, 1.0, 1.0, 0), 101.5 + GpsCollector::kPpsWaitS));
  EXPECT_EQ(3, collector.finish().fix.mode);
  EXPECT_DOUBLE_EQ(250.5, collector.finish().fix.heightM);

  // Without any time, the reading ends after the time wait.
  GpsCollector untimed(GpsdAddress(), 10.0, 0.0);
  EXPECT_FALSE(untimed.add(fixReport(3, 1, 2, 3), 4.0));
  EXPECT_FALSE(untimed.add(fixReport(3, 1, 2, 3), 4.0 + GpsCollector::kTimeWaitS - 0.01));
  EXPECT_TRUE(untimed.add(fixReport(3, 1, 2, 3), 4.0 + GpsCollector::kTimeWaitS));
  EXPECT_EQ(ClockSource::kNone, untimed.finish().clock.source);
}

TEST(GpsCollector, PpsReplacesCoarserOffsetsAndCompletesAtOnce) {
  GpsCollector collector(GpsdAddress(), 10.0, 0.0);
  GpsReport timed = fixReport(3, 41.6, -0.9, 200.0);
  timed.hasTime = true;
  timed.timeS = 5000.0;
  timed.receivedS = 5000.7;  // the end of gpsd's cycle: the coarsest offset
  EXPECT_FALSE(collector.add(timed, 1.0));
  EXPECT_EQ(ClockSource::kFixOnReceipt, collector.finish().clock.source);
  EXPECT_NEAR(0.7, collector.finish().clock.offsetS, 1e-9);
  EXPECT_FALSE(collector.add(offsetReport(GpsReport::Kind::kTimeOffset, 5001.0, 5001.120), 1.5));
  EXPECT_NEAR(0.12, collector.finish().clock.offsetS, 1e-9);
  EXPECT_TRUE(collector.add(offsetReport(GpsReport::Kind::kPps, 5002.0, 5001.9996), 2.0));
  EXPECT_EQ(ClockSource::kPps, collector.finish().clock.source);
  EXPECT_NEAR(-0.0004, collector.finish().clock.offsetS, 1e-9);
  // A serial stamp after the pulse does not displace it.
  collector.add(offsetReport(GpsReport::Kind::kTimeOffset, 5003.0, 5003.2), 2.5);
  EXPECT_EQ(ClockSource::kPps, collector.finish().clock.source);
}

// What gpsfake's steady logs cannot show: a fix lost after a 2D one, a receiver listed late.
TEST(GpsCollector, ALostFixKeepsTheLast2DOneAndAReceiverWithoutFixStillGivesItsTime) {
  GpsCollector collector(GpsdAddress(), 10.0, 0.0);
  collector.add(fixReport(2, 10.0, 20.0, 123.0), 1.0);
  collector.add(fixReport(2, 41.6488, -0.8891, 456.0), 2.0);
  collector.add(fixReport(1, 0, 0, 0), 3.0);
  GpsReading reading = collector.finish();
  EXPECT_EQ(2, reading.fix.mode);
  EXPECT_DOUBLE_EQ(41.6488, reading.fix.latitudeDeg);
  EXPECT_DOUBLE_EQ(0.0, reading.fix.heightM);

  // Reports of "no fix" make a receiver, though gpsd listed none; its time still counts.
  GpsCollector noFix(GpsdAddress(), 10.0, 0.0);
  noFix.add(devices(0), 0.1);
  noFix.add(fixReport(1, 0, 0, 0), 1.0);
  noFix.add(offsetReport(GpsReport::Kind::kTimeOffset, 100.0, 98.0), 1.1);
  reading = noFix.finish();
  EXPECT_EQ(GpsStatus::kNoFix, reading.status);
  EXPECT_EQ(ClockSource::kSerialTime, reading.clock.source);
  EXPECT_DOUBLE_EQ(-2.0, reading.clock.offsetS);
}

}  // namespace
}  // namespace gps
