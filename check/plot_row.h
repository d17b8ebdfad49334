// One row of the timeline: a stretch of the plan drawn over its own time axis, with lanes for
// moments (clock-time waits, checkpoints, prompts, each labelled), waits, shots (each frame with
// its Tv, refused releases in red outline), flash pulses and sounds, and a marker for every
// finding of the row's stretch. The whole-script row also marks the findings about the whole
// script and those outside its stretch, at its edges, and the stretches its zoomed rows repeat.
//
// Thread safety: pure drawing into the writer given.
#ifndef QUORVALE_CHECK_PLOT_ROW_H_
#define QUORVALE_CHECK_PLOT_ROW_H_

#include <vector>

#include "check/plot_rows.h"
#include "check/script_plan.h"
#include "check/svg_writer.h"

extern const char kFindingColour[];

// Where a drawn row's parts are, for the lines that join a zoom mark to its zoomed row.
struct DrawnRow {
  double top = 0;
  double plotTop = 0;     // the top of the lanes' background
  double axis = 0;        // the time axis' line
  double bottom = 0;      // the next row may start here
  double markBottom = 0;  // below the zoom marks' labels
};

// Draws |rows|[r] from |top| down. |frames| are plotFrames(plan).
DrawnRow drawPlotRow(SvgWriter& svg, const ScriptPlan& plan, const std::vector<PlotFrame>& frames,
                     const std::vector<PlotRow>& rows, size_t r, double top);

#endif  // QUORVALE_CHECK_PLOT_ROW_H_
