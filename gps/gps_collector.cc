#include "gps/gps_collector.h"

#include <algorithm>

namespace gps {

GpsCollector::GpsCollector(const GpsdAddress& address, double fixLimitS, double startS)
    : startS_(startS) {
  reading_.address = address;
  reading_.fixLimitS = fixLimitS;
  reading_.status = GpsStatus::kNoReceiver;
}

bool GpsCollector::add(const GpsReport& report, double nowS) {
  switch (report.kind) {
    case GpsReport::Kind::kDevices:
      if (report.deviceCount > 0) deviceSeen_ = true;
      break;
    case GpsReport::Kind::kFix:
      deviceSeen_ = true;
      if (report.mode == 3) {
        // The latest 3D fix: gpsd completes a fix's figures (its accuracy) over a cycle.
        if (!have3d_) fix3dAtS_ = nowS;
        have3d_ = true;
        reading_.fix = report.fix;
        reading_.fix.mode = 3;
      } else if (report.mode == 2 && !have3d_) {
        have2d_ = true;
        last2d_ = report.fix;
        last2d_.mode = 2;
        last2d_.heightM = 0.0;
        last2d_.verticalErrorM = NAN;
      }
      // A fix's own time is the coarsest offset: taken only while there is no other.
      if (report.hasTime && report.mode >= 2 && !haveOffset_) {
        reading_.clock = {ClockSource::kFixOnReceipt, report.receivedS - report.timeS};
        haveOffset_ = true;
        offsetAtS_ = nowS;
      }
      break;
    case GpsReport::Kind::kTimeOffset:
      deviceSeen_ = true;
      if (reading_.clock.source != ClockSource::kPps) {
        if (!haveOffset_ || reading_.clock.source == ClockSource::kFixOnReceipt) offsetAtS_ = nowS;
        reading_.clock = {ClockSource::kSerialTime, report.systemS - report.gpsS};
        haveOffset_ = true;
      }
      break;
    case GpsReport::Kind::kPps:
      deviceSeen_ = true;
      reading_.clock = {ClockSource::kPps, report.systemS - report.gpsS};
      if (!haveOffset_) offsetAtS_ = nowS;
      haveOffset_ = true;
      break;
  }
  return complete(nowS);
}

bool GpsCollector::complete(double nowS) const {
  if (!have3d_) return false;
  if (reading_.clock.source == ClockSource::kPps) return true;
  if (reading_.clock.source == ClockSource::kSerialTime) return nowS >= offsetAtS_ + kPpsWaitS;
  return nowS >= deadline();
}

double GpsCollector::deadline() const {
  if (!have3d_) return startS_ + reading_.fixLimitS;
  if (reading_.clock.source == ClockSource::kSerialTime) return offsetAtS_ + kPpsWaitS;
  return fix3dAtS_ + kTimeWaitS;
}

GpsReading GpsCollector::finish() const {
  GpsReading reading = reading_;
  if (have3d_) {
    reading.status = GpsStatus::kFix;
  } else if (have2d_) {
    reading.status = GpsStatus::kFix;
    reading.fix = last2d_;
  } else {
    reading.status = deviceSeen_ ? GpsStatus::kNoFix : GpsStatus::kNoReceiver;
  }
  return reading;
}

}  // namespace gps
