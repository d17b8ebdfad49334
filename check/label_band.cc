#include "check/label_band.h"

#include <algorithm>

bool LabelBand::fits(double start, double end, int level, double x, double reach,
                     bool withLine) const {
  if (start < left_ || end > right_) return false;
  for (const Box& box : boxes_) {
    if (box.level == level && start < box.end + kMargin && box.start < end + kMargin) return false;
    // The new line runs through its own level and those nearer the base.
    if (withLine && box.level <= level && x + reach > box.start - 1 && x - reach < box.end + 1) {
      return false;
    }
  }
  for (const Box& box : blocks_) {
    if (box.level == level && start < box.end + 1 && box.start < end + 1) return false;
  }
  for (const Line& line : lines_) {
    if (line.level >= level && line.to > start - 1 && line.from < end + 1) return false;
  }
  return true;
}

bool LabelBand::place(double x, double reach, const std::vector<Form>& forms, double leftLimit,
                      bool withLine, Placement* out) {
  for (size_t f = 0; f < forms.size(); ++f) {
    const double width = forms[f].width;
    for (int level = 0; level < forms[f].levels; ++level) {
      for (int side = 0; side < 2; ++side) {
        const double start = side == 0 ? x + reach + kGap : x - reach - kGap - width;
        if (side == 1 && start < leftLimit) continue;
        if (!fits(start, start + width, level, x, reach, withLine)) continue;
        boxes_.push_back(Box{start, start + width, level});
        if (withLine) lines_.push_back(Line{x - reach, x + reach, level});
        levels_ = std::max(levels_, level + 1);
        out->form = f;
        out->level = level;
        out->start = start;
        out->left = side == 1;
        return true;
      }
    }
  }
  return false;
}
