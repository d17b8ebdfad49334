#include "gps/gps_text.h"

#include <cmath>
#include <cstdio>

namespace gps {
namespace {

std::string degreesText(double value, char positive, char negative) {
  char text[48];
  std::snprintf(text, sizeof(text), "%.5f %c", std::fabs(value), value < 0 ? negative : positive);
  return text;
}

std::string metresText(double value) {
  char text[48];
  std::snprintf(text, sizeof(text), "%.1f m", value);
  return text;
}

std::string secondsText(double value) {
  char text[48];
  std::snprintf(text, sizeof(text), "%.3f s", value);
  return text;
}

const char* sourceText(ClockSource source) {
  switch (source) {
    case ClockSource::kPps:
      return "PPS";
    case ClockSource::kSerialTime:
      return "gpsd's serial time stamp, no PPS";
    case ClockSource::kFixOnReceipt:
      return "the fix's time on receipt, no PPS";
    case ClockSource::kNone:
      break;
  }
  return "";
}

}  // namespace

std::string addressText(const GpsdAddress& address) { return address.host + ":" + address.port; }

std::string fixText(const GpsReading& reading) {
  const GpsFix& fix = reading.fix;
  char height[48];
  std::snprintf(height, sizeof(height), "%.0f m", fix.heightM);
  std::string text = degreesText(fix.latitudeDeg, 'N', 'S') + ", " +
                     degreesText(fix.longitudeDeg, 'E', 'W') + ", " + height + " (";
  if (fix.mode == 3) {
    text += "3D fix";
  } else {
    char limit[32];
    std::snprintf(limit, sizeof(limit), "%.0f s", reading.fixLimitS);
    text += std::string("2D fix, no 3D fix within ") + limit + ": height taken as 0 m";
  }
  const bool horizontal = std::isfinite(fix.horizontalErrorM);
  const bool vertical = fix.mode == 3 && std::isfinite(fix.verticalErrorM);
  if (!horizontal && !vertical) {
    text += "; accuracy not stated";
  } else {
    text += "; stated accuracy ";
    if (horizontal) text += metresText(fix.horizontalErrorM) + " horizontal";
    if (horizontal && vertical) text += ", ";
    if (vertical) text += metresText(fix.verticalErrorM) + " vertical";
  }
  return text + ")";
}

std::string failureText(const GpsReading& reading) {
  const std::string at = addressText(reading.address);
  char limit[32];
  std::snprintf(limit, sizeof(limit), "%.0f s", reading.fixLimitS);
  switch (reading.status) {
    case GpsStatus::kNoDaemon:
      return "no gpsd at " + at + " (" + reading.detail + ")";
    case GpsStatus::kNoReceiver:
      return "gpsd at " + at + " has no receiver";
    case GpsStatus::kNoFix:
      return std::string("no fix from the receiver within ") + limit + " (gpsd at " + at + ")";
    case GpsStatus::kLost:
      return "gpsd at " + at + " closed the connection before a fix (" + reading.detail + ")";
    case GpsStatus::kUnavailable:
      return reading.detail;
    case GpsStatus::kFix:
      break;
  }
  return "";
}

std::string clockOffsetText(const GpsClockOffset& clock) {
  if (clock.source == ClockSource::kNone) return "gpsd reported no time";
  const double size = std::fabs(clock.offsetS);
  std::string text = "the system clock is " + secondsText(size);
  text += clock.offsetS < 0 ? " behind GPS time" : " ahead of GPS time";
  return text + " (" + sourceText(clock.source) + ")";
}

std::string shortClockOffsetText(const GpsClockOffset& clock) {
  if (clock.source == ClockSource::kNone) return "";
  char text[48];
  std::snprintf(text, sizeof(text), "GPS %+.3f s", clock.offsetS);
  return text;
}

bool clockOffsetTooLarge(const GpsClockOffset& clock) {
  return clock.source != ClockSource::kNone && std::fabs(clock.offsetS) > kClockOffsetLimitS;
}

}  // namespace gps
