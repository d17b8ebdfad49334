// The plan of a script check drawn as an SVG timeline: a time axis in local time and UTC, the
// absolute moments and checkpoints labelled, waits, each shot a bar as long as the body needs it
// (the exposure part darker), flash pulses, sounds, and the lines with findings in red. A second,
// zoomed row repeats the densest stretch when it is short against the whole script, so a burst of
// a few minutes stays readable in a script of hours. The findings are listed under the rows.
//
// Thread safety: pure functions over their arguments; writePlanPlot reports through the output
// layer.
#ifndef QUORVALE_APP_PLAN_PLOT_H_
#define QUORVALE_APP_PLAN_PLOT_H_

#include <string>

#include "check/script_plan.h"

// The SVG document of |plan| for the script |scriptName|.
std::string planPlotSvg(const ScriptPlan& plan, const std::string& scriptName);

// Writes planPlotSvg to |path|. Returns false after reporting "Can't write plot '%s'" with the
// system's text when the file cannot be written.
bool writePlanPlot(const ScriptPlan& plan, const std::string& scriptName, const std::string& path);

#endif  // QUORVALE_APP_PLAN_PLOT_H_
