#include "check/plan_report.h"

#include <cstdio>

#include "check/plan_eclipse.h"
#include "platform/clock.h"

namespace {

constexpr uint64_t kUnitsPerMs = platform::kFileTimeUnitsPerMs;

std::string calendarText(uint64_t fileTime, bool withDate) {
  platform::CalendarTime t{};
  if (!platform::fileTimeToCalendar(fileTime, &t)) return "?";
  char text[64];
  if (withDate) {
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
  } else {
    std::snprintf(text, sizeof(text), "%02u:%02u:%02u.%03u", t.hour, t.minute, t.second,
                  t.millisecond);
  }
  return text;
}

std::string secondsText(uint32_t ms) {
  char text[32];
  std::snprintf(text, sizeof(text), "%u.%03u s", ms / 1000, ms % 1000);
  return text;
}

std::string shotText(const PlannedShot& shot) {
  std::string text = "shot " + std::to_string(shot.number) + ": Tv " + shot.tv + ", exposure " +
                     secondsText(shot.exposureMs) + " + processing " +
                     secondsText(shot.processingMs) + " + storing " + secondsText(shot.storeMs) +
                     " = body " + secondsText(shot.bodyMs);
  if (shot.queuedMs != 0) text += " after " + secondsText(shot.queuedMs) + " for the shots before";
  return text + "; holds the script " + secondsText(shot.holdMs);
}

}  // namespace

std::string absoluteMomentText(uint64_t utc) {
  uint64_t local = 0;
  const std::string utcText = calendarText(utc, false) + " UTC";
  if (!platform::utcToLocalFileTime(utc, &local)) return calendarText(utc, true) + " UTC";
  return calendarText(local, true) + " (" + utcText + ")";
}

std::string relativeMomentText(uint64_t utc, uint64_t baseUtc, const std::string& baseName) {
  if (utc >= baseUtc) return baseName + " +" + durationText(utc - baseUtc);
  return baseName + " -" + durationText(baseUtc - utc);
}

std::string durationText(uint64_t units) {
  const uint64_t ms = units / kUnitsPerMs;
  const uint64_t seconds = ms / 1000;
  char text[48];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof(text), "%llu:%02llu:%02llu.%03llu",
                  static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned long long>(seconds / 60 % 60),
                  static_cast<unsigned long long>(seconds % 60),
                  static_cast<unsigned long long>(ms % 1000));
  } else if (seconds >= 60) {
    std::snprintf(
        text, sizeof(text), "%llu:%02llu.%03llu", static_cast<unsigned long long>(seconds / 60),
        static_cast<unsigned long long>(seconds % 60), static_cast<unsigned long long>(ms % 1000));
  } else {
    std::snprintf(text, sizeof(text), "%llu.%03llu s", static_cast<unsigned long long>(seconds),
                  static_cast<unsigned long long>(ms % 1000));
  }
  return text;
}

std::string planLineMoment(const PlanLine& line) {
  const bool wait = line.wait != WaitKind::None;
  const uint64_t at = wait ? line.endUtc : line.startUtc;
  return line.known ? absoluteMomentText(at) : relativeMomentText(at, line.baseUtc, line.baseName);
}

std::string checkReportText(const ScriptPlan& plan, const std::string& scriptName) {
  std::string out = "Plan of " + scriptName + " for " + plan.camera;
  if (plan.simulatedFigures) out += " (no real camera answered: the simulated body stands in)";
  out += ", started at " + absoluteMomentText(plan.startUtc) + "\n";
  out += eclipseReportText(plan.eclipse);
  char head[160];
  std::snprintf(head, sizeof(head), "%5s  %-44s %s\n", "line", "moment", "command");
  out += head;
  for (const PlanLine& line : plan.lines) {
    char row[2048];
    std::snprintf(row, sizeof(row), "%5u  %-44s %s\n", line.line, planLineMoment(line).c_str(),
                  line.text.c_str());
    out += row;
    for (const PlannedShot& shot : line.shots) out += "       " + shotText(shot) + "\n";
    if (line.flashMs != 0) out += "       flash pulse " + secondsText(line.flashMs) + "\n";
    if (line.wait == WaitKind::User) out += "       waits for the person: later moments unknown\n";
  }
  out += "Totals: " + std::to_string(plan.shotCount) +
         " shot(s); from the first to the last timed step " +
         durationText(plan.lastTimedUtc - plan.firstTimedUtc) + "\n";
  if (plan.availableShots >= 0) {
    out += "Card: room for " + std::to_string(plan.availableShots) + " shot(s)\n";
  }
  out += "Clock: " + platform::describeClockDiscipline(plan.clock) + "\n";
  if (plan.findings.empty()) {
    out += "Findings: none\n";
    return out;
  }
  out += "Findings: " + std::to_string(plan.findings.size()) + "\n";
  for (const Finding& f : plan.findings) {
    std::string where = f.line == 0 ? "script" : "line " + std::to_string(f.line);
    if (f.column != 0) where += ", column " + std::to_string(f.column);
    out += "  " + where + ": " + f.text + "\n";
  }
  return out;
}

int checkExitCode(const ScriptPlan& plan) {
  return plan.findings.empty() ? 0 : kCheckFlaggedExitCode;
}
