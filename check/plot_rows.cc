#include "check/plot_rows.h"

#include <algorithm>
#include <cstdint>

#include "check/text_width.h"

namespace {

constexpr double kTvSize = 9;
constexpr uint64_t kMinPad = kUnitsPerMs * 500;
constexpr double kBurstPx = 40;  // frames closer than this on a row belong to one burst
constexpr double kFramePx = 16;  // room a frame of a long burst gets in its zoomed row

std::string tvText(const PlotFrame& frame) {
  return frame.shot != nullptr ? frame.shot->tv : "refused";
}

class RowBuilder {
 public:
  RowBuilder(const std::vector<PlotFrame>& frames, std::vector<PlotRow>* rows, size_t* skipped)
      : frames_(frames), rows_(rows), skipped_(skipped) {}

  // Hands the frames that row |r| cannot show apart, or label, to zoomed rows.
  void expand(size_t r, int depth) {
    if (depth >= kMaxZoomDepth) return;
    const PlotSpan span = (*rows_)[r].span;
    std::vector<size_t> need;
    labelFrames(
        frames_, span, kTvLevels, false, [](size_t) { return false; }, &need);
    if (need.empty()) return;
    // A zoomed row takes the whole burst a frame without room belongs to.
    std::vector<bool> needed(frames_.size(), false);
    for (size_t i : need) needed[i] = true;
    for (size_t i = 1; i < frames_.size(); ++i) {
      if (needed[i - 1] && span.covers(frames_[i].utc) && close(span, i - 1, i)) needed[i] = true;
    }
    for (size_t i = frames_.size() - 1; i > 0; --i) {
      if (needed[i] && span.covers(frames_[i - 1].utc) && close(span, i - 1, i))
        needed[i - 1] = true;
    }
    need.clear();
    for (size_t i = 0; i < frames_.size(); ++i) {
      if (needed[i]) need.push_back(i);
    }
    // Frames close together on this row share a zoomed row.
    const uint64_t join = (span.to - span.from) / 10;
    std::vector<size_t> group{need.front()};
    for (size_t k = 1; k < need.size(); ++k) {
      if (frames_[need[k]].utc - frames_[group.back()].utc > join) {
        zoom(r, group, depth);
        group.clear();
      }
      group.push_back(need[k]);
    }
    zoom(r, group, depth);
  }

 private:
  bool close(const PlotSpan& span, size_t a, size_t b) const {
    return span.xOf(frames_[b].utc) - span.xOf(frames_[a].utc) < kBurstPx;
  }

  void zoom(size_t r, const std::vector<size_t>& group, int depth) {
    const PlotSpan parent = (*rows_)[r].span;
    const PlotFrame& first = frames_[group.front()];
    uint64_t to = first.endUtc;
    for (size_t i : group) to = std::max(to, frames_[i].endUtc);
    const uint64_t pad = std::max<uint64_t>((to - first.utc) / 10, kMinPad);
    PlotSpan span{first.utc > pad ? first.utc - pad : 0, to + pad};
    if ((span.to - span.from) * 2 > parent.to - parent.from) {
      if (group.size() < 2) return;  // a zoom would not help; the row labels it as it can
      // Too long a stretch for one zoomed row. The length at which its closest frames stand
      // kFramePx apart: a gap longer than that parts two bursts, each zoomed on its own.
      uint64_t closest = UINT64_MAX;
      size_t cut = 1;
      for (size_t k = 1; k < group.size(); ++k) {
        const uint64_t gap = frames_[group[k]].utc - frames_[group[k - 1]].utc;
        closest = std::min(closest, gap);
        if (gap > frames_[group[cut]].utc - frames_[group[cut - 1]].utc) cut = k;
      }
      const uint64_t length = std::max<uint64_t>(
          static_cast<uint64_t>(static_cast<double>(closest) * kPlotWidth / kFramePx), kMinPad);
      if (frames_[group[cut]].utc - frames_[group[cut - 1]].utc > length) {
        zoom(r, std::vector<size_t>(group.begin(), group.begin() + cut), depth);
        zoom(r, std::vector<size_t>(group.begin() + cut, group.end()), depth);
        return;
      }
      // One long burst: its first stretch of that length shows how it goes; the rest is
      // counted as without a row of its own.
      size_t end = 1;
      while (end < group.size() && frames_[group[end]].utc - first.utc <= length) ++end;
      if (end < group.size()) {
        ++*skipped_;
        zoom(r, std::vector<size_t>(group.begin(), group.begin() + end), depth);
        return;
      }
      // The burst fits: a row of a little less than the parent's length still draws it wider.
      if ((span.to - span.from) * 10 > (parent.to - parent.from) * 9) return;
    }
    if (rows_->size() >= kMaxRows) {
      ++*skipped_;
      return;
    }
    PlotRow row;
    row.span = span;
    row.parent = static_cast<int>(r);
    row.zoom = static_cast<int>(rows_->size());
    rows_->push_back(row);
    expand(rows_->size() - 1, depth + 1);
  }

  const std::vector<PlotFrame>& frames_;
  std::vector<PlotRow>* rows_;
  size_t* skipped_;
};

}  // namespace

std::vector<PlotFrame> plotFrames(const ScriptPlan& plan) {
  std::vector<PlotFrame> frames;
  for (const PlanLine& line : plan.lines) {
    for (const PlannedShot& shot : line.shots) {
      PlotFrame frame;
      frame.utc = shot.startUtc;
      frame.endUtc = shot.startUtc + shot.bodyMs * kUnitsPerMs;
      frame.line = line.line;
      frame.shot = &shot;
      frames.push_back(frame);
    }
    for (uint64_t utc : line.refusedUtc) {
      PlotFrame frame;
      frame.utc = frame.endUtc = utc;
      frame.line = line.line;
      frames.push_back(frame);
    }
  }
  std::stable_sort(frames.begin(), frames.end(),
                   [](const PlotFrame& a, const PlotFrame& b) { return a.utc < b.utc; });
  return frames;
}

std::vector<TvLabel> labelFrames(const std::vector<PlotFrame>& frames, const PlotSpan& span,
                                 int levels, bool crowdedToo,
                                 const std::function<bool(size_t)>& skip,
                                 std::vector<size_t>* unlabelled) {
  std::vector<size_t> shown;
  for (size_t i = 0; i < frames.size(); ++i) {
    if (span.covers(frames[i].utc) && !skip(i)) shown.push_back(i);
  }
  std::vector<bool> crowded(shown.size(), false);
  for (size_t k = 1; k < shown.size(); ++k) {
    if (span.xOf(frames[shown[k]].utc) - span.xOf(frames[shown[k - 1]].utc) < kMinFramePx) {
      crowded[k] = crowded[k - 1] = true;
    }
  }
  // Runs of neighbouring frames with the same Tv share a label.
  LabelBand band(kPlotLeft, kPlotPageWidth - 2);
  std::vector<TvLabel> labels;
  for (size_t k = 0; k < shown.size();) {
    if (crowded[k] && !crowdedToo) {
      unlabelled->push_back(shown[k]);
      ++k;
      continue;
    }
    const std::string text = tvText(frames[shown[k]]);
    size_t end = k + 1;
    // Frames too close for a label each (and shown one after another) share one.
    const double room = textWidth(text, kTvSize) + LabelBand::kGap + LabelBand::kMargin;
    while (end < shown.size() && (!crowded[end] || crowdedToo) &&
           shown[end] == shown[end - 1] + 1 && tvText(frames[shown[end]]) == text &&
           span.xOf(frames[shown[end]].utc) - span.xOf(frames[shown[end - 1]].utc) < room) {
      ++end;
    }
    TvLabel label;
    label.first = shown[k];
    label.last = shown[end - 1];
    label.text = end - k > 1 ? text + " \xC3\x97" + std::to_string(end - k) : text;
    // A label stands right of its frame; only where the page ends does it end left of it, clear
    // of the frame before.
    const double x = span.xOf(frames[shown[k]].utc);
    const double width = textWidth(label.text, kTvSize);
    const double leftLimit = x + LabelBand::kGap + width <= kPlotPageWidth - 2 || k == 0
                                 ? LabelBand::kNoLeft
                                 : span.xOf(frames[shown[k - 1]].utc) + LabelBand::kGap;
    if (band.place(x, 0, {{width, levels}}, leftLimit, false, &label.placement)) {
      labels.push_back(label);
    } else {
      for (size_t j = k; j < end; ++j) unlabelled->push_back(shown[j]);
    }
    k = end;
  }
  return labels;
}

std::vector<PlotRow> plotRows(const std::vector<PlotFrame>& frames, const PlotSpan& whole,
                              size_t* skipped) {
  std::vector<PlotRow> rows;
  PlotRow row;
  row.span = whole;
  rows.push_back(row);
  *skipped = 0;
  RowBuilder(frames, &rows, skipped).expand(0, 0);
  return rows;
}
