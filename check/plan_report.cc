#include "check/plan_report.h"

#include <algorithm>
#include <cstdio>

#include "check/finding_texts.h"
#include "check/plan_eclipse.h"
#include "platform/clock.h"

namespace {

constexpr uint64_t kUnitsPerMs = platform::kFileTimeUnitsPerMs;

// Writes |value| as |width| digits, leading zeros kept, and returns the position after them.
char* putDigits(char* at, unsigned value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    at[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return at + width;
}

// "2026-08-12 18:29:04.250" or "18:29:04.250". Written digit by digit: a plan of a million lines
// formats two of these a line.
std::string calendarText(uint64_t fileTime, bool withDate) {
  platform::CalendarTime t{};
  if (!platform::fileTimeToCalendar(fileTime, &t)) return "?";
  char text[32];
  char* at = text;
  if (withDate) {
    at = putDigits(at, t.year, 4);
    *at++ = '-';
    at = putDigits(at, t.month, 2);
    *at++ = '-';
    at = putDigits(at, t.day, 2);
    *at++ = ' ';
  }
  at = putDigits(at, t.hour, 2);
  *at++ = ':';
  at = putDigits(at, t.minute, 2);
  *at++ = ':';
  at = putDigits(at, t.second, 2);
  *at++ = '.';
  at = putDigits(at, t.millisecond, 3);
  return std::string(text, at);
}

std::string secondsText(uint32_t ms) {
  char text[32];
  std::snprintf(text, sizeof(text), "%u.%03u s", ms / 1000, ms % 1000);
  return text;
}

// The longest script line a plan row shows whole.
constexpr size_t kMaxRowText = 2000;

std::string momentOf(const PlanLine& line, uint64_t utc) {
  return line.known ? absoluteMomentText(utc)
                    : relativeMomentText(utc, line.baseUtc, line.baseName);
}

// The line as written, on one row: line ends dropped, a long one cut at a character's start and
// marked with "…".
std::string rowText(const std::string& text) {
  std::string out;
  out.reserve(std::min(text.size(), kMaxRowText) + 3);
  for (char c : text) {
    if (c == '\n' || c == '\r') continue;
    if (out.size() >= kMaxRowText) {
      while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80) {
        out.pop_back();
      }
      if (!out.empty() && (static_cast<unsigned char>(out.back()) & 0x80) != 0) out.pop_back();
      return out + "\u2026";
    }
    out += c;
  }
  return out;
}

std::string percentText(double percent) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.1f %%", percent);
  return text;
}

std::string shotText(const PlanLine& line, const PlannedShot& shot) {
  std::string text = "shot " + std::to_string(shot.number) + " at " +
                     momentOf(line, shot.startUtc) + ": Tv " + shot.tv + ", exposure " +
                     secondsText(shot.exposureMs) + " + processing " +
                     secondsText(shot.processingMs) + " + storing " + secondsText(shot.storeMs) +
                     " = body " + secondsText(shot.bodyMs);
  if (shot.queuedMs != 0) text += " after " + secondsText(shot.queuedMs) + " for the shots before";
  return text + "; holds the script " + secondsText(shot.holdMs);
}

// Collects report text and hands it on in pieces of whole lines.
class ReportSink {
 public:
  explicit ReportSink(const std::function<void(const std::string&)>& emit) : emit_(emit) {}
  ~ReportSink() { flush(); }
  ReportSink(const ReportSink&) = delete;
  ReportSink& operator=(const ReportSink&) = delete;

  ReportSink& operator+=(const std::string& text) {
    buffer_ += text;
    if (buffer_.size() >= kPieceBytes && buffer_.back() == '\n') flush();
    return *this;
  }
  ReportSink& operator+=(const char* text) { return *this += std::string(text); }
  void flush() {
    if (buffer_.empty()) return;
    emit_(buffer_);
    buffer_.clear();
  }

 private:
  static constexpr size_t kPieceBytes = 65536;
  const std::function<void(const std::string&)>& emit_;
  std::string buffer_;
};

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
  char text[64];
  if (seconds >= 86400) {
    const unsigned long long days = seconds / 86400;
    std::snprintf(text, sizeof(text), "%llu %s, %llu:%02llu:%02llu.%03llu", days,
                  days == 1 ? "day" : "days", static_cast<unsigned long long>(seconds / 3600 % 24),
                  static_cast<unsigned long long>(seconds / 60 % 60),
                  static_cast<unsigned long long>(seconds % 60),
                  static_cast<unsigned long long>(ms % 1000));
  } else if (seconds >= 3600) {
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
  uint64_t at = line.wait != WaitKind::None ? line.endUtc : line.startUtc;
  if (line.flashMs != 0) {
    at = line.flashStartUtc;
  } else if (waitOverran(line)) {
    at = line.dueUtc;
  }
  return momentOf(line, at);
}

std::string checkReportText(const ScriptPlan& plan, const std::string& scriptName) {
  std::string text;
  writeCheckReport(plan, scriptName, [&text](const std::string& piece) { text += piece; });
  return text;
}

void writeCheckReport(const ScriptPlan& plan, const std::string& scriptName,
                      const std::function<void(const std::string&)>& emit) {
  ReportSink out(emit);
  out += "Plan of " + scriptName + " for " + plan.camera;
  if (plan.simulatedFigures) out += " (no real camera answered: the simulated body stands in)";
  out += ", started at " + absoluteMomentText(plan.startUtc) + "\n";
  out += eclipseReportText(plan.eclipse);
  char head[160];
  std::snprintf(head, sizeof(head), "%5s  %-44s %s\n", "line", "moment", "command");
  out += head;
  for (const PlanLine& line : plan.lines) {
    char number[16];
    std::snprintf(number, sizeof(number), "%5u  ", line.line);
    std::string moment = planLineMoment(line);
    if (moment.size() < 44) moment.append(44 - moment.size(), ' ');
    out += number + moment + " " + rowText(line.text) + "\n";
    if (waitOverran(line)) {
      out += "       reached " + momentOf(line, line.endUtc) + ", " +
             durationText(line.endUtc - line.dueUtc) + " after its moment\n";
    }
    for (const PlannedShot& shot : line.shots) out += "       " + shotText(line, shot) + "\n";
    if (line.flashMs != 0) {
      out += "       flash pulse " + secondsText(line.flashMs) + ", RTS raised at " +
             momentOf(line, line.flashStartUtc) + "\n";
    }
    if (line.wait == WaitKind::User) out += "       waits for the person: later moments unknown\n";
  }
  out += "Totals: " + std::to_string(plan.shotCount) +
         " shot(s); from the first to the last timed step " +
         durationText(plan.lastTimedUtc - plan.firstTimedUtc) + "\n";
  if (plan.cardKnown) {
    out += "Card: " + megabytesText(plan.cardFreeBytes) + " free";
    if (plan.availableShots >= 0) {
      out +=
          " (room for " + std::to_string(plan.availableShots) + " shot(s) at the body's quality)";
    }
    out += "; the script's shots take " + megabytesText(plan.cardUsedBytes);
    if (plan.cardFullShot != 0)
      out += "; shot " + std::to_string(plan.cardFullShot) + " finds no room";
    out += "\n";
  } else if (plan.availableShots >= 0) {
    out += "Card: room for " + std::to_string(plan.availableShots) + " shot(s)\n";
  }
  if (plan.batteryKnown) {
    out += "Battery: " + percentText(plan.batteryStart) + " at the start (" +
           percentText(plan.batteryPerShot) + " a shot, " + percentText(plan.batteryPerHour) +
           " an hour), ";
    out += plan.batteryEmptyShot != 0
               ? "empty at shot " + std::to_string(plan.batteryEmptyShot) + "\n"
               : std::to_string(plan.batteryEnd) + " % expected at the end\n";
  }
  out += "Clock: " + platform::describeClockDiscipline(plan.clock) + "\n";
  if (plan.findings.empty()) {
    out += "Findings: none\n";
    return;
  }
  out += "Findings: " + std::to_string(plan.findings.size()) + "\n";
  for (const Finding& f : plan.findings) {
    std::string where = f.line == 0 ? "script" : "line " + std::to_string(f.line);
    if (f.column != 0) where += ", column " + std::to_string(f.column);
    out += "  " + where + ": " + f.text + "\n";
  }
}

int checkExitCode(const ScriptPlan& plan) {
  return plan.findings.empty() ? 0 : kCheckFlaggedExitCode;
}
