#include "check/plot_marks.h"

#include <algorithm>

namespace {

std::string numbers(const MomentGroup& group, size_t most) {
  const std::vector<MomentMark>& marks = group.marks;
  if (marks.size() > most) {
    return std::to_string(marks.front().line) + "\xE2\x80\xA6" + std::to_string(marks.back().line);
  }
  std::string text;
  for (const MomentMark& mark : marks) {
    if (!text.empty()) text += ", ";
    text += std::to_string(mark.line);
  }
  return text;
}

}  // namespace

std::vector<MomentGroup> momentGroups(const ScriptPlan& plan, const PlotSpan& span) {
  std::vector<MomentMark> marks;
  for (const PlanLine& line : plan.lines) {
    MomentMark mark;
    mark.line = line.line;
    if (line.wait == WaitKind::Moment && line.known) {
      mark.utc = line.dueUtc;  // at its due time; a late arrival is drawn as an overrun
    } else if (line.checkpoint) {
      mark.utc = line.startUtc;
      mark.kind = MomentKind::Checkpoint;
    } else if (line.wait == WaitKind::User) {
      mark.utc = line.startUtc;
      mark.kind = MomentKind::Prompt;
    } else {
      continue;
    }
    if (span.covers(mark.utc)) marks.push_back(mark);
  }
  std::stable_sort(marks.begin(), marks.end(),
                   [](const MomentMark& a, const MomentMark& b) { return a.utc < b.utc; });
  // Where the lines crowd so that their labels would tower over the row, bundles grow.
  std::vector<MomentGroup> groups;
  for (double bundle = kMomentBundle;; bundle *= 2) {
    groups.clear();
    for (const MomentMark& mark : marks) {
      const double x = span.xOf(mark.utc);
      if (groups.empty() || x - groups.back().x2 >= 2 || x - groups.back().x >= bundle) {
        groups.push_back(MomentGroup{x, x, {}});
      }
      groups.back().x2 = x;
      groups.back().marks.push_back(mark);
    }
    if (groups.size() <= kMostMomentLabels || bundle > kPlotWidth) break;
  }
  return groups;
}

std::vector<std::string> momentLabelForms(const MomentGroup& group) {
  const MomentMark* moment = nullptr;
  const MomentMark* lastMoment = nullptr;
  std::string kinds;
  for (const MomentMark& mark : group.marks) {
    if (mark.kind == MomentKind::Moment && moment == nullptr) moment = &mark;
    if (mark.kind == MomentKind::Moment) lastMoment = &mark;
    const char* kind = mark.kind == MomentKind::Checkpoint ? "checkpoint"
                       : mark.kind == MomentKind::Prompt   ? "prompt"
                                                           : nullptr;
    if (kind != nullptr && kinds.find(kind) == std::string::npos) {
      kinds += (kinds.empty() ? "" : ", ") + std::string(kind);
    }
  }
  // The moments' clock times, one or the first and the last.
  std::string what = kinds;
  std::string brief = kinds;
  if (moment != nullptr) {
    const std::string local = localClockText(moment->utc, true);
    const std::string lastLocal = localClockText(lastMoment->utc, true);
    const std::string utc = clockText(moment->utc, true);
    const std::string lastUtc = clockText(lastMoment->utc, true);
    const bool stretch = local != lastLocal;
    brief = stretch ? local + " to " + lastLocal : local;
    what = brief + " (" + (stretch ? utc + " to " + lastUtc : utc) + " UTC)";
  }
  const bool one = group.marks.size() == 1;
  return {(one ? "line " : "lines ") + numbers(group, 4) + ": " + what,
          numbers(group, 3) + ": " + brief, numbers(group, 2)};
}

bool findingMoment(const ScriptPlan& plan, const Finding& finding, uint64_t* utc) {
  if (finding.line == 0) return false;
  *utc = plan.startUtc;
  for (const PlanLine& line : plan.lines) {
    if (line.line == finding.line) {
      *utc = line.startUtc;
      return true;
    }
    if (line.line > finding.line) break;
    *utc = line.endUtc;
  }
  return true;
}
