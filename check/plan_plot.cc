#include "check/plan_plot.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "check/plan_plot_contacts.h"
#include "check/plan_report.h"
#include "check/svg_writer.h"
#include "output/output.h"
#include "platform/clock.h"
#include "platform/error.h"

namespace {

constexpr double kWidth = 1500;
constexpr double kLeft = 150;
constexpr double kRight = 40;
constexpr double kPlotWidth = kWidth - kLeft - kRight;
constexpr double kRowHeight = 215;
constexpr double kUnitsPerSecond = static_cast<double>(platform::kFileTimeUnitsPerSecond);
constexpr uint64_t kUnitsPerMs = platform::kFileTimeUnitsPerMs;

const char kMomentColour[] = "#1f5fbf";
const char kCheckpointColour[] = "#2e8b57";
const char kWaitColour[] = "#c8c8c8";
const char kBodyColour[] = "#f5b971";
const char kExposureColour[] = "#d2691e";
const char kFlashColour[] = "#8a2be2";
const char kPlayColour[] = "#008b8b";
const char kFindingColour[] = "#d00000";

struct Span {
  uint64_t from;
  uint64_t to;
};

double xOf(const Span& span, uint64_t utc) {
  const double length = static_cast<double>(span.to - span.from);
  const double offset = static_cast<double>(utc) - static_cast<double>(span.from);
  return kLeft + (length > 0 ? offset / length * kPlotWidth : 0.0);
}

bool inside(const Span& span, uint64_t from, uint64_t to) {
  return to >= span.from && from <= span.to;
}

std::string clockText(uint64_t fileTime, bool seconds) {
  platform::CalendarTime t{};
  if (!platform::fileTimeToCalendar(fileTime, &t)) return "?";
  char text[32];
  if (seconds) {
    std::snprintf(text, sizeof(text), "%02u:%02u:%02u", t.hour, t.minute, t.second);
  } else {
    std::snprintf(text, sizeof(text), "%02u:%02u", t.hour, t.minute);
  }
  return text;
}

std::string localClockText(uint64_t utc, bool seconds) {
  uint64_t local = 0;
  return platform::utcToLocalFileTime(utc, &local) ? clockText(local, seconds) : "?";
}

// A tick step (seconds) that gives at most about twelve ticks over |seconds|.
double tickStep(double seconds) {
  static const double kSteps[] = {1,   2,   5,    10,   15,   30,    60,    120,   300,
                                  600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
  for (double step : kSteps) {
    if (seconds / step <= 12) return step;
  }
  return 86400 * 7;
}

void drawAxis(SvgWriter& svg, const Span& span, double y) {
  svg.beginGroup("axis");
  svg.line(kLeft, y, kLeft + kPlotWidth, y, "#000000", 1);
  const double seconds = static_cast<double>(span.to - span.from) / kUnitsPerSecond;
  const double step = tickStep(seconds);
  const uint64_t stepUnits = static_cast<uint64_t>(step * kUnitsPerSecond);
  const bool withSeconds = step < 60;
  uint64_t tick = (span.from + stepUnits - 1) / stepUnits * stepUnits;
  for (; tick <= span.to; tick += stepUnits) {
    const double x = xOf(span, tick);
    svg.line(x, y, x, y + 5, "#000000", 1);
    svg.text(x, y + 18, localClockText(tick, withSeconds), 11, "#000000", "middle");
    svg.text(x, y + 32, clockText(tick, withSeconds), 11, "#555555", "middle");
  }
  svg.text(kLeft - 10, y + 18, "local", 11, "#000000", "end");
  svg.text(kLeft - 10, y + 32, "UTC", 11, "#555555", "end");
  svg.endGroup();
}

// Labels placed on three levels; a label that fits on none is left out (the zoomed row has room).
class LabelLanes {
 public:
  bool place(double x, double width, int* level) {
    for (int i = 0; i < 3; ++i) {
      if (x >= ends_[i] + 4) {
        ends_[i] = x + width;
        *level = i;
        return true;
      }
    }
    return false;
  }

 private:
  double ends_[3] = {-1e9, -1e9, -1e9};
};

double textWidth(const std::string& text, double size) {
  return static_cast<double>(text.size()) * size * 0.6;
}

// Where a label of |width| that belongs to |x| starts: right of x, or left of it at the right edge.
double labelStart(double x, double width) {
  return x + 2 + width <= kLeft + kPlotWidth ? x + 2 : x - 2 - width;
}

void drawRow(SvgWriter& svg, const ScriptPlan& plan, const Span& span, double y,
             const std::string& title, bool detailed) {
  const double yLabels = y + 16;
  const double yWaits = y + 56;
  const double yShots = y + 84;
  const double yFlash = y + 110;
  const double yFindings = y + 128;
  const double yAxis = y + 148;
  svg.text(kLeft, y + 4, title, 13, "#000000", "start", "font-weight=\"bold\"");
  svg.rect(kLeft, y + 10, kPlotWidth, yAxis - y - 10, "#f7f7f7");
  const char* lanes[][2] = {{"moments", nullptr},
                            {"waits", nullptr},
                            {"shots", nullptr},
                            {"flash, play", nullptr},
                            {"findings", nullptr}};
  const double laneY[] = {yLabels + 12, yWaits + 9, yShots + 13, yFlash + 9, yFindings + 9};
  for (int i = 0; i < 5; ++i) svg.text(kLeft - 10, laneY[i], lanes[i][0], 11, "#333333", "end");

  LabelLanes labels;
  svg.beginGroup("moments");
  for (const PlanLine& line : plan.lines) {
    const bool moment = line.wait == WaitKind::Moment && line.known;
    if (!moment && !line.checkpoint) continue;
    const uint64_t at = moment ? line.endUtc : line.startUtc;
    if (!inside(span, at, at)) continue;
    const double x = xOf(span, at);
    const char* colour = moment ? kMomentColour : kCheckpointColour;
    svg.line(x, yLabels + 30, x, yAxis, colour, 1.2, moment ? "" : "stroke-dasharray=\"4 3\"");
    const std::string label =
        "line " + std::to_string(line.line) + ": " +
        (moment ? localClockText(at, true) + " (" + clockText(at, true) + " UTC)" : "checkpoint");
    const double width = textWidth(label, 10);
    const double start = labelStart(x, width);
    int level = 0;
    if (labels.place(start, width, &level))
      svg.text(start, yLabels + 2 + level * 12, label, 10, colour);
  }
  svg.endGroup();

  svg.beginGroup("waits");
  for (const PlanLine& line : plan.lines) {
    if (line.wait == WaitKind::None || line.wait == WaitKind::User) continue;
    if (!inside(span, line.startUtc, line.endUtc) || line.endUtc <= line.startUtc) continue;
    const double x = std::max(kLeft, xOf(span, line.startUtc));
    const double x2 = std::min(kLeft + kPlotWidth, xOf(span, line.endUtc));
    svg.rect(x, yWaits, std::max(1.0, x2 - x), 12, kWaitColour,
             "line " + std::to_string(line.line) + ": " + line.text);
  }
  for (const PlanLine& line : plan.lines) {
    if (line.wait != WaitKind::User || !inside(span, line.startUtc, line.startUtc)) continue;
    const double x = xOf(span, line.startUtc);
    svg.rect(x - 1, yWaits - 2, 3, 16, "#555555", "line " + std::to_string(line.line) + ": prompt");
    svg.text(x + 4, yWaits + 10, "prompt", 10, "#555555");
  }
  svg.endGroup();

  svg.beginGroup("shots");
  double lastLabelEnd = -1e9;
  for (const PlanLine& line : plan.lines) {
    for (const PlannedShot& shot : line.shots) {
      const uint64_t end = shot.startUtc + shot.bodyMs * kUnitsPerMs;
      if (!inside(span, shot.startUtc, end)) continue;
      const double x = xOf(span, shot.startUtc);
      const double w = std::max(1.5, xOf(span, end) - x);
      const double we = std::max(1.0, xOf(span, shot.startUtc + shot.exposureMs * kUnitsPerMs) - x);
      const std::string tip = "line " + std::to_string(line.line) + ": shot " +
                              std::to_string(shot.number) + ", Tv " + shot.tv;
      svg.rect(x, yShots, w, 20, line.finding ? kFindingColour : kBodyColour, tip);
      svg.rect(x, yShots, std::min(we, w), 20, kExposureColour, tip);
      if (detailed && x >= lastLabelEnd + 3) {
        svg.text(x, yShots - 3, shot.tv, 9, "#000000");
        lastLabelEnd = x + textWidth(shot.tv, 9);
      }
    }
  }
  svg.endGroup();

  svg.beginGroup("flashes");
  for (const PlanLine& line : plan.lines) {
    if (line.flashMs != 0) {
      const uint64_t from = line.endUtc - line.flashMs * kUnitsPerMs;
      if (inside(span, from, line.endUtc)) {
        const double x = xOf(span, from);
        svg.rect(x, yFlash, std::max(2.0, xOf(span, line.endUtc) - x), 12, kFlashColour,
                 "line " + std::to_string(line.line) + ": flash " + std::to_string(line.flashMs) +
                     " ms");
      }
    }
    if (!line.play.empty() && inside(span, line.startUtc, line.startUtc)) {
      const double x = xOf(span, line.startUtc);
      const uint64_t end =
          line.startUtc + static_cast<uint64_t>(line.playSeconds * kUnitsPerSecond);
      svg.rect(x, yFlash + 3, std::max(3.0, xOf(span, end) - x), 6,
               line.finding ? kFindingColour : kPlayColour,
               "line " + std::to_string(line.line) + ": play " + line.play);
    }
  }
  svg.endGroup();

  svg.beginGroup("findings");
  double lastFindingEnd = -1e9;
  for (const PlanLine& line : plan.lines) {
    if (!line.finding || !inside(span, line.startUtc, line.startUtc)) continue;
    const double x = xOf(span, line.startUtc);
    svg.rect(x - 3, yFindings, 6, 12, kFindingColour, "line " + std::to_string(line.line));
    const std::string label = "line " + std::to_string(line.line);
    const double start = labelStart(x + 3, textWidth(label, 10));
    if (start >= lastFindingEnd + 3) {
      svg.text(start, yFindings + 10, label, 10, kFindingColour);
      lastFindingEnd = start + textWidth(label, 10);
    }
  }
  svg.endGroup();

  drawAxis(svg, span, yAxis);
  drawContactLines(svg, plan.eclipse, span.from, span.to, kLeft, kPlotWidth, y + 10, yAxis);
}

void drawLegend(SvgWriter& svg) {
  struct Key {
    const char* colour;
    const char* text;
  };
  static const Key kKeys[] = {{kExposureColour, "exposure"}, {kBodyColour, "processing, storing"},
                              {kWaitColour, "wait"},         {kFlashColour, "flash pulse"},
                              {kPlayColour, "sound"},        {kFindingColour, "finding"}};
  svg.beginGroup("legend");
  double x = kWidth - kRight - 560;
  for (const Key& key : kKeys) {
    svg.rect(x, 18, 12, 10, key.colour);
    svg.text(x + 16, 27, key.text, 11, "#333333");
    x += 22 + textWidth(key.text, 11) * 0.9;
  }
  svg.endGroup();
}

// The times where something happens: shots, pulses, moments and checkpoints.
std::vector<uint64_t> eventTimes(const ScriptPlan& plan) {
  std::vector<uint64_t> times;
  for (const PlanLine& line : plan.lines) {
    for (const PlannedShot& shot : line.shots) times.push_back(shot.startUtc);
    if (line.flashMs != 0) times.push_back(line.endUtc);
    if (line.checkpoint) times.push_back(line.startUtc);
    if (line.wait == WaitKind::Moment) times.push_back(line.endUtc);
  }
  std::sort(times.begin(), times.end());
  return times;
}

// The densest short stretch worth a zoomed row, if any.
bool denseStretch(const ScriptPlan& plan, const Span& whole, Span* zoom) {
  const std::vector<uint64_t> times = eventTimes(plan);
  const uint64_t length = whole.to - whole.from;
  if (times.size() < 4 || length == 0) return false;
  const uint64_t window = length / 15;
  size_t best = 0;
  size_t bestCount = 0;
  for (size_t i = 0, j = 0; i < times.size(); ++i) {
    while (j < times.size() && times[j] <= times[i] + window) ++j;
    if (j - i > bestCount) {
      bestCount = j - i;
      best = i;
    }
  }
  if (bestCount < 4) return false;
  uint64_t from = times[best];
  uint64_t to = times[best + bestCount - 1];
  // The last shot's body time belongs to the stretch.
  for (const PlanLine& line : plan.lines) {
    for (const PlannedShot& shot : line.shots) {
      if (shot.startUtc >= from && shot.startUtc <= to) {
        to = std::max(to, shot.startUtc + shot.bodyMs * kUnitsPerMs);
      }
    }
  }
  const uint64_t pad = std::max<uint64_t>((to - from) / 12, 2 * platform::kFileTimeUnitsPerSecond);
  zoom->from = from > pad ? from - pad : 0;
  zoom->to = to + pad;
  return (zoom->to - zoom->from) * 4 < length;
}

}  // namespace

std::string planPlotSvg(const ScriptPlan& plan, const std::string& scriptName) {
  Span whole{plan.firstTimedUtc, plan.lastTimedUtc};
  spanContacts(plan.eclipse, &whole.from, &whole.to);
  if (whole.to <= whole.from) whole.to = whole.from + 60 * platform::kFileTimeUnitsPerSecond;
  const uint64_t pad = (whole.to - whole.from) / 40;
  whole.from = whole.from > pad ? whole.from - pad : 0;
  whole.to += pad;
  Span zoom{0, 0};
  const bool zoomed = denseStretch(plan, whole, &zoom);

  const double rowsTop = 80;
  const double findingsTop = rowsTop + kRowHeight * (zoomed ? 2 : 1) + 10;
  const double height = findingsTop + 30 + 16 * static_cast<double>(plan.findings.size()) + 10;
  SvgWriter svg(kWidth, height);

  svg.text(20, 28, scriptName + ": plan for " + plan.camera, 18, "#000000", "start",
           "font-weight=\"bold\"");
  bool relative = false;
  for (const PlanLine& line : plan.lines) relative = relative || !line.known;
  svg.text(20, 50,
           (relative ? "moments not tied to a clock time drawn as if started at " : "started at ") +
               absoluteMomentText(plan.startUtc) + "; " + std::to_string(plan.shotCount) +
               " shot(s); from the first to the last timed step " +
               durationText(plan.lastTimedUtc - plan.firstTimedUtc),
           12, "#333333");
  svg.text(20, 66, "clock: " + platform::describeClockDiscipline(plan.clock), 12,
           platform::clockTrusted(plan.clock) ? "#333333" : kFindingColour);

  drawLegend(svg);
  drawRow(svg, plan, whole, rowsTop, "whole script", false);
  if (zoomed) {
    const double x = xOf(whole, zoom.from);
    const double x2 = xOf(whole, zoom.to);
    svg.rect(x, rowsTop + 10, std::max(2.0, x2 - x), 138, "#1f5fbf", "zoomed below",
             "fill-opacity=\"0.12\" class=\"zoom-mark\"");
    const double zoomTop = rowsTop + kRowHeight;
    svg.line(x, rowsTop + 186, kLeft, zoomTop - 14, "#1f5fbf", 0.8, "stroke-dasharray=\"3 3\"");
    svg.line(x2, rowsTop + 186, kLeft + kPlotWidth, zoomTop - 14, "#1f5fbf", 0.8,
             "stroke-dasharray=\"3 3\"");
    drawRow(svg, plan, zoom, zoomTop,
            "zoom: " + localClockText(zoom.from, true) + " to " + localClockText(zoom.to, true) +
                " local (" + clockText(zoom.from, true) + " to " + clockText(zoom.to, true) +
                " UTC)",
            true);
  }

  svg.beginGroup("finding-list");
  if (plan.findings.empty()) {
    svg.text(20, findingsTop + 16, "Findings: none", 13, "#2e8b57", "start",
             "font-weight=\"bold\"");
  } else {
    svg.text(20, findingsTop + 16, "Findings: " + std::to_string(plan.findings.size()), 13,
             kFindingColour, "start", "font-weight=\"bold\"");
    double y = findingsTop + 34;
    for (const Finding& f : plan.findings) {
      std::string where = f.line == 0 ? "script" : "line " + std::to_string(f.line);
      if (f.column != 0) where += ", column " + std::to_string(f.column);
      svg.text(30, y, where + ": " + f.text, 11, kFindingColour);
      y += 16;
    }
  }
  svg.endGroup();
  return svg.document();
}

bool writePlanPlot(const ScriptPlan& plan, const std::string& scriptName, const std::string& path) {
  const std::string document = planPlotSvg(plan, scriptName);
  FILE* file = std::fopen(path.c_str(), "wb");
  bool ok = file != nullptr;
  uint32_t error = ok ? 0 : static_cast<uint32_t>(errno);
  if (ok && std::fwrite(document.data(), 1, document.size(), file) != document.size()) {
    ok = false;
    error = static_cast<uint32_t>(errno);
  }
  if (file != nullptr && std::fclose(file) != 0 && ok) {
    ok = false;
    error = static_cast<uint32_t>(errno);
  }
  if (!ok) {
    const std::string text = "Can't write plot '" + path + "'";
    printSysError(text.c_str(), error);
  }
  return ok;
}
