// What the timeline marks on its moments lane and findings lane: the moments lines stand for
// (clock-time waits, checkpoints, prompts), gathered where they fall together, with the forms of
// their labels from long to short; and the moment each finding is marked at.
//
// Thread safety: pure functions over their arguments.
#ifndef QUORVALE_CHECK_PLOT_MARKS_H_
#define QUORVALE_CHECK_PLOT_MARKS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "check/plot_scale.h"
#include "check/script_plan.h"

enum class MomentKind { Moment, Checkpoint, Prompt };

struct MomentMark {
  uint64_t utc = 0;
  uint32_t line = 0;
  MomentKind kind = MomentKind::Moment;
};

// The moments of |span|'s lines that fall together: each within 2 units of the one before, all
// within kMomentBundle of the first (or twice, four times that ... where the row would otherwise
// have more than kMostMomentLabels labels), in time order. Their lines are drawn as they fall;
// they share a label.
constexpr double kMomentBundle = 8;
constexpr size_t kMostMomentLabels = 16;
struct MomentGroup {
  double x = 0;   // the first line's
  double x2 = 0;  // the last line's
  std::vector<MomentMark> marks;
};

std::vector<MomentGroup> momentGroups(const ScriptPlan& plan, const PlotSpan& span);

// The label of a group, longest first: "line 36: 20:29:00 (18:29:00 UTC)" or "lines 29, 36, 37:
// 20:28:55 to 20:29:00 (18:28:55 to 18:29:00 UTC)"; "29, 36, 37: 20:28:55"; "29…37".
std::vector<std::string> momentLabelForms(const MomentGroup& group);

// The moment a finding is marked at: its line's start, or when its line has no plan line of its
// own, the end of the plan line before it. Returns false for findings about the whole script.
bool findingMoment(const ScriptPlan& plan, const Finding& finding, uint64_t* utc);

#endif  // QUORVALE_CHECK_PLOT_MARKS_H_
