#include "check/plot_scale.h"

#include <cstdio>

double PlotSpan::xOf(uint64_t utc) const {
  const double length = static_cast<double>(to - from);
  const double offset = static_cast<double>(utc) - static_cast<double>(from);
  return kPlotLeft + (length > 0 ? offset / length * kPlotWidth : 0.0);
}

std::string clockText(uint64_t fileTime, bool seconds) {
  platform::CalendarTime t{};
  if (!platform::fileTimeToCalendar(fileTime, &t)) return "?";
  char text[32];
  if (seconds) {
    std::snprintf(text, sizeof(text), "%02u:%02u:%02u", t.hour, t.minute, t.second);
  } else {
    std::snprintf(text, sizeof(text), "%02u:%02u", t.hour, t.minute);
  }
  return text;
}

std::string localClockText(uint64_t utc, bool seconds) {
  uint64_t local = 0;
  return platform::utcToLocalFileTime(utc, &local) ? clockText(local, seconds) : "?";
}
