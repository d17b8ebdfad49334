// The timeline's page and time scale: the plot area's edges, a stretch of time drawn across it,
// and the clock texts of its labels.
//
// Thread safety: pure functions over their arguments.
#ifndef QUORVALE_CHECK_PLOT_SCALE_H_
#define QUORVALE_CHECK_PLOT_SCALE_H_

#include <cstdint>
#include <string>

#include "platform/clock.h"

constexpr double kPlotPageWidth = 1500;
constexpr double kPlotLeft = 150;    // row names stand left of it
constexpr double kPlotRight = 1460;  // the time axis ends here; the margin right of it takes labels
constexpr double kPlotWidth = kPlotRight - kPlotLeft;
constexpr double kUnitsPerSecond = static_cast<double>(platform::kFileTimeUnitsPerSecond);
constexpr uint64_t kUnitsPerMs = platform::kFileTimeUnitsPerMs;

// A stretch of time [from, to] in UTC file times, drawn from kPlotLeft to kPlotRight.
struct PlotSpan {
  uint64_t from = 0;
  uint64_t to = 0;

  // The x of |utc|; moments outside the span fall outside the plot area.
  double xOf(uint64_t utc) const;
  bool covers(uint64_t utcFrom, uint64_t utcTo) const { return utcTo >= from && utcFrom <= to; }
  bool covers(uint64_t utc) const { return covers(utc, utc); }
  double seconds() const { return static_cast<double>(to - from) / kUnitsPerSecond; }
};

// "18:29" or "18:29:05" of a file time as it stands; "?" when the calendar refuses it.
std::string clockText(uint64_t fileTime, bool seconds);
// The same in local time of |utc|.
std::string localClockText(uint64_t utc, bool seconds);

#endif  // QUORVALE_CHECK_PLOT_SCALE_H_
