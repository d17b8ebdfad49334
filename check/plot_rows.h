// The rows of the timeline: the whole script, then zoomed rows for the bursts the whole row cannot
// draw apart. A row shows each frame (a release, taken or refused) at least kMinFramePx from the
// next, with its Tv above it; frames that a row cannot show so are handed to a zoomed row of their
// own, and so on down, until every burst has a row where its frames stand apart with their labels.
//
// Thread safety: pure functions over their arguments.
#ifndef QUORVALE_CHECK_PLOT_ROWS_H_
#define QUORVALE_CHECK_PLOT_ROWS_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "check/label_band.h"
#include "check/plot_scale.h"
#include "check/script_plan.h"

constexpr double kMinFramePx = 4;  // frames closer than this merge into one block
constexpr int kTvLevels = 2;       // levels of Tv labels a row has before it zooms
constexpr int kMaxZoomDepth = 4;
constexpr size_t kMaxRows = 12;

// A release of the script: a shot, or a release the body refuses.
struct PlotFrame {
  uint64_t utc = 0;
  uint64_t endUtc = 0;  // the body is done with the shot (the release itself when refused)
  uint32_t line = 0;
  const PlannedShot* shot = nullptr;  // null for a refused release
};

// The frames of |plan| in time order; they point into |plan|, which must outlive them.
std::vector<PlotFrame> plotFrames(const ScriptPlan& plan);

// The label over a run of frames: the first and last frame's index, the text ("1/250", "1/1000
// x15" for a run of the same Tv, "refused"), and where it stands.
struct TvLabel {
  size_t first = 0;
  size_t last = 0;
  std::string text;
  LabelBand::Placement placement;
};

// Labels the frames of |span|, except those |skip| names, on up to |levels| levels. Frames closer
// than kMinFramePx to a neighbour are labelled only with |crowdedToo|. |unlabelled| receives the
// indices of the frames in the span left without a label.
std::vector<TvLabel> labelFrames(const std::vector<PlotFrame>& frames, const PlotSpan& span,
                                 int levels, bool crowdedToo,
                                 const std::function<bool(size_t)>& skip,
                                 std::vector<size_t>* unlabelled);

struct PlotRow {
  PlotSpan span;
  int parent = -1;  // the row it zooms into; -1 for the whole script
  int zoom = 0;     // 1, 2, ... for zoomed rows, in the order they are drawn
};

// The whole row of |whole|, then each zoomed row right after the row it zooms into. |skipped|
// receives how many bursts got no row of their own (too many rows).
std::vector<PlotRow> plotRows(const std::vector<PlotFrame>& frames, const PlotSpan& whole,
                              size_t* skipped);

#endif  // QUORVALE_CHECK_PLOT_ROWS_H_
