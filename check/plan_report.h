// The text of a script check: the plan, one line per script line that does something, then the
// totals, the clock's state and the findings; and the exit code that goes with it.
//
// Thread safety: pure functions over their arguments; printCheckReport prints through the output
// layer.
#ifndef QUORVALE_APP_PLAN_REPORT_H_
#define QUORVALE_APP_PLAN_REPORT_H_

#include <cstdint>
#include <string>

#include "check/script_plan.h"

// The exit code of a check with something flagged.
constexpr int kCheckFlaggedExitCode = 4;

// "2026-08-12 20:29:00.000 (18:29:00.000 UTC)": local date and time, then UTC time.
std::string absoluteMomentText(uint64_t utc);
// "checkpoint (line 12) +1:30.000": |utc| relative to the base.
std::string relativeMomentText(uint64_t utc, uint64_t baseUtc, const std::string& baseName);
// A length of |units| 100-ns units: "0.250 s", "1:30.000", "2:05:00.000", "9 days, 0:00:00.000".
std::string durationText(uint64_t units);
// The moment a plan line is shown at: a wait's end (the moment waited for when the steps before
// reach it late), a flash line's RTS rise, any other line's start.
std::string planLineMoment(const PlanLine& line);

// The whole report of |plan| for the script |scriptName|, as printed.
std::string checkReportText(const ScriptPlan& plan, const std::string& scriptName);

// 0 when nothing is flagged, kCheckFlaggedExitCode otherwise.
int checkExitCode(const ScriptPlan& plan);

#endif  // QUORVALE_APP_PLAN_REPORT_H_
