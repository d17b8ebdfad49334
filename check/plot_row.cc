#include "check/plot_row.h"

#include <algorithm>
#include <set>
#include <string>

#include "check/label_band.h"
#include "check/plan_report.h"
#include "check/plot_marks.h"
#include "check/text_width.h"

const char kFindingColour[] = "#d00000";

namespace {

const char kMomentColour[] = "#1f5fbf";
const char kCheckpointColour[] = "#2e8b57";
const char kPromptColour[] = "#555555";
const char kWaitColour[] = "#c8c8c8";
const char kBodyColour[] = "#f5b971";
const char kExposureColour[] = "#d2691e";
const char kFlashColour[] = "#8a2be2";
const char kPlayColour[] = "#008b8b";

constexpr double kLevel = 12;  // from one label level to the next
constexpr double kMomentSize = 10;
constexpr double kTvSize = 9;
constexpr double kFindingSize = 10;
constexpr double kAxisSize = 11;
constexpr double kMarkerStep = 7;  // markers of findings at one moment stand side by side
constexpr int kUnlimited = 1000;

std::string lineName(uint32_t line) { return "line " + std::to_string(line); }

// A tick step (seconds) that gives at most about twelve ticks over |seconds|.
double tickStep(double seconds) {
  static const double kSteps[] = {0.1, 0.2, 0.5, 1,    2,    5,    10,    15,    30,    60,   120,
                                  300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
  for (double step : kSteps) {
    if (seconds / step <= 12) return step;
  }
  return 86400 * 7;
}

// A tick label centred under its tick, moved inwards where it would leave the page or run into
// the row names left of the plot.
void tickLabel(SvgWriter& svg, double x, double y, const std::string& text, const char* colour) {
  const double half = textWidth(text, kAxisSize) / 2;
  if (x - half < kPlotLeft + 1) {
    svg.text(kPlotLeft + 1, y, text, kAxisSize, colour, "start");
  } else if (x + half > kPlotPageWidth - 2) {
    svg.text(kPlotPageWidth - 2, y, text, kAxisSize, colour, "end");
  } else {
    svg.text(x, y, text, kAxisSize, colour, "middle");
  }
}

void drawAxis(SvgWriter& svg, const PlotSpan& span, double y) {
  svg.beginGroup("axis");
  svg.line(kPlotLeft, y, kPlotRight, y, "#000000", 1);
  const double step = tickStep(span.seconds());
  const uint64_t stepUnits = static_cast<uint64_t>(step * kUnitsPerSecond);
  const bool withSeconds = step < 60;
  const bool withTenths = step < 1;
  for (uint64_t tick = (span.from + stepUnits - 1) / stepUnits * stepUnits; tick <= span.to;
       tick += stepUnits) {
    const double x = span.xOf(tick);
    svg.line(x, y, x, y + 5, "#000000", 1);
    std::string local = localClockText(tick, withSeconds);
    std::string utc = clockText(tick, withSeconds);
    if (withTenths) {
      const std::string tenth =
          "." + std::to_string(tick / (platform::kFileTimeUnitsPerSecond / 10) % 10);
      local += tenth;
      utc += tenth;
    }
    tickLabel(svg, x, y + 18, local, "#000000");
    tickLabel(svg, x, y + 32, utc, "#555555");
  }
  svg.text(kPlotLeft - 10, y + 18, "local", kAxisSize, "#000000", "end");
  svg.text(kPlotLeft - 10, y + 32, "UTC", kAxisSize, "#555555", "end");
  svg.endGroup();
}

struct Marker {
  size_t finding;  // index into the plan's findings
  double x;
  std::string where;  // ", 09:30:00" for a moment beyond the row's edge
  LabelBand::Placement placement;
  std::string label;
};

}  // namespace

DrawnRow drawPlotRow(SvgWriter& svg, const ScriptPlan& plan, const std::vector<PlotFrame>& frames,
                     const std::vector<PlotRow>& rows, size_t r, double top) {
  const PlotRow& row = rows[r];
  const PlotSpan& span = row.span;
  const bool whole = row.parent < 0;
  std::vector<const PlotRow*> children;
  for (const PlotRow& other : rows) {
    if (other.parent == static_cast<int>(r)) children.push_back(&other);
  }
  auto zoomedBelow = [&](size_t i) {
    for (const PlotRow* child : children) {
      if (child->span.covers(frames[i].utc)) return true;
    }
    return false;
  };

  // Every label finds its place first: the lanes' heights follow from the levels they take.
  LabelBand momentBand(kPlotLeft, kPlotPageWidth - 2);
  const std::vector<MomentGroup> groups = momentGroups(plan, span);
  std::vector<std::string> momentLabels(groups.size());
  std::vector<LabelBand::Placement> momentPlaces(groups.size());
  std::string ledOut;  // the labels that found no place beside their marks
  for (size_t g = groups.size(); g-- > 0;) {
    const std::vector<std::string> forms = momentLabelForms(groups[g]);
    const double leftLimit = g > 0 ? groups[g - 1].x2 + 2 : kPlotLeft;
    const double centre = (groups[g].x + groups[g].x2) / 2;
    if (momentBand.place(centre, (groups[g].x2 - groups[g].x) / 2,
                         {{textWidth(forms[0], kMomentSize), 3},
                          {textWidth(forms[1], kMomentSize), 4},
                          {textWidth(forms[2], kMomentSize), kUnlimited}},
                         leftLimit, true, &momentPlaces[g])) {
      momentLabels[g] = forms[momentPlaces[g].form];
    } else {
      ledOut = forms[0] + (ledOut.empty() ? "" : "; ") + ledOut;
      momentPlaces[g].level = 0;
    }
  }

  std::vector<size_t> unlabelled;
  const std::vector<TvLabel> tvLabels =
      labelFrames(frames, span, kUnlimited, true, zoomedBelow, &unlabelled);
  int tvLevels = 1;
  for (const TvLabel& label : tvLabels) tvLevels = std::max(tvLevels, label.placement.level + 1);
  for (size_t i : unlabelled) {
    ledOut += (ledOut.empty() ? "" : "; ") + lineName(frames[i].line) + ": " +
              (frames[i].shot != nullptr ? "Tv " + frames[i].shot->tv : "refused");
  }

  // Findings about the whole script, or before or after the whole row's stretch, stand at its
  // edges.
  std::vector<Marker> markers;
  for (size_t i = 0; i < plan.findings.size(); ++i) {
    uint64_t at = 0;
    const bool timed = findingMoment(plan, plan.findings[i], &at);
    double x;
    std::string where;
    if (timed && span.covers(at)) {
      x = span.xOf(at);
    } else if (!whole) {
      continue;
    } else {
      x = !timed || at < span.from ? kPlotLeft : kPlotRight;
      if (timed) where = ", " + localClockText(at, true);
    }
    markers.push_back(Marker{i, x, where, {}, ""});
  }
  std::stable_sort(markers.begin(), markers.end(),
                   [](const Marker& a, const Marker& b) { return a.x < b.x; });
  for (size_t k = 1; k < markers.size(); ++k) {
    markers[k].x = std::max(markers[k].x, markers[k - 1].x + kMarkerStep);
  }
  // Markers pushed past the page's edge move back, side by side, to their left.
  for (size_t k = markers.size(); k-- > 0;) {
    const double limit =
        k + 1 == markers.size() ? kPlotPageWidth - 8 : markers[k + 1].x - kMarkerStep;
    markers[k].x = std::min(markers[k].x, limit);
  }
  LabelBand findingBand(kPlotLeft, kPlotPageWidth - 2);
  for (const Marker& marker : markers) findingBand.block(marker.x - 3, marker.x + 3, 0);
  int findingLevels = 1;
  for (size_t k = markers.size(); k-- > 0;) {
    Marker& marker = markers[k];
    const Finding& finding = plan.findings[marker.finding];
    const std::string number = std::to_string(marker.finding + 1);
    const std::string full =
        number + ": " + (finding.line == 0 ? "script" : lineName(finding.line)) + marker.where;
    if (findingBand.place(
            marker.x, 3,
            {{textWidth(full, kFindingSize), 2}, {textWidth(number, kFindingSize), kUnlimited}},
            k > 0 ? markers[k - 1].x + 5 : kPlotLeft, true, &marker.placement)) {
      marker.label = marker.placement.form == 0 ? full : number;
    } else {
      ledOut = full + (ledOut.empty() ? "" : "; ") + ledOut;
    }
    findingLevels = std::max(findingLevels, marker.placement.level + 1);
  }

  LabelBand zoomBand(kPlotLeft, kPlotPageWidth - 2);
  std::vector<LabelBand::Placement> zoomPlaces(children.size());
  int zoomLevels = 0;
  for (size_t c = 0; c < children.size(); ++c) {
    const std::string text = "zoom " + std::to_string(children[c]->zoom);
    zoomBand.place(std::max(kPlotLeft, span.xOf(children[c]->span.from)), 0,
                   {{textWidth(text, kFindingSize), kUnlimited}}, LabelBand::kNoLeft, false,
                   &zoomPlaces[c]);
    zoomLevels = std::max(zoomLevels, zoomPlaces[c].level + 1);
  }

  // The lanes, top to bottom.
  const int momentLevels = std::max(1, momentBand.levelsUsed());
  const double plotTop = top + 10;
  auto momentBaseline = [&](int level) {
    return plotTop + 13 + kLevel * (momentLevels - 1 - level);
  };
  const double yWaits = plotTop + kLevel * momentLevels + 12;
  const double yShots = yWaits + 18 + kLevel * tvLevels;
  const double yFlash = yShots + 26;
  const double yFindings = yFlash + 18;
  const double yAxis = yFindings + kLevel * findingLevels + 6;
  DrawnRow drawn;
  drawn.top = top;
  drawn.plotTop = plotTop;
  drawn.axis = yAxis;
  drawn.markBottom = yAxis + 40 + kLevel * (zoomLevels + (ledOut.empty() ? 0 : 1));
  drawn.bottom = drawn.markBottom + 24;

  const std::string title =
      whole ? "whole script"
            : "zoom " + std::to_string(row.zoom) + ": " + localClockText(span.from, true) + " to " +
                  localClockText(span.to, true) + " local (" + clockText(span.from, true) + " to " +
                  clockText(span.to, true) + " UTC)";
  svg.text(kPlotLeft, top + 4, title, 13, "#000000", "start", "font-weight=\"bold\"");
  svg.rect(kPlotLeft, plotTop, kPlotWidth, yAxis - plotTop, "#f7f7f7");
  svg.beginGroup("lane-names");
  const struct {
    const char* name;
    double y;
  } lanes[] = {{"moments", momentBaseline(0)},
               {"waits", yWaits + 10},
               {"shots", yShots + 14},
               {"flash, play", yFlash + 10},
               {"findings", yFindings + 10}};
  for (const auto& lane : lanes) svg.text(kPlotLeft - 10, lane.y, lane.name, 11, "#333333", "end");
  svg.endGroup();

  svg.beginGroup("zoom-marks");
  for (size_t c = 0; c < children.size(); ++c) {
    const double x = std::max(kPlotLeft, span.xOf(children[c]->span.from));
    const double x2 = std::min(kPlotRight, span.xOf(children[c]->span.to));
    svg.rect(x, plotTop, std::max(2.0, x2 - x), yAxis - plotTop, kMomentColour,
             "zoom " + std::to_string(children[c]->zoom), "fill-opacity=\"0.12\"");
    svg.text(zoomPlaces[c].start, yAxis + 48 + kLevel * zoomPlaces[c].level,
             "zoom " + std::to_string(children[c]->zoom), kFindingSize, kMomentColour);
  }
  svg.endGroup();

  svg.beginGroup("moments");
  for (size_t g = 0; g < groups.size(); ++g) {
    const double baseline = momentBaseline(momentPlaces[g].level);
    svg.beginGroup("moment");
    const char* labelColour = nullptr;
    for (const MomentMark& mark : groups[g].marks) {
      const char* colour = mark.kind == MomentKind::Moment       ? kMomentColour
                           : mark.kind == MomentKind::Checkpoint ? kCheckpointColour
                                                                 : kPromptColour;
      if (labelColour == nullptr || mark.kind == MomentKind::Moment) labelColour = colour;
      const char* dash = mark.kind == MomentKind::Moment       ? ""
                         : mark.kind == MomentKind::Checkpoint ? "stroke-dasharray=\"4 3\""
                                                               : "stroke-dasharray=\"1 2\"";
      const double x = span.xOf(mark.utc);
      svg.line(x, baseline - 9, x, yAxis, colour, 1.2, dash);
    }
    if (!momentLabels[g].empty()) {
      svg.text(momentPlaces[g].start, baseline, momentLabels[g], kMomentSize, labelColour);
    }
    svg.endGroup();
  }
  if (!ledOut.empty()) {
    svg.text(kPlotLeft, yAxis + 48 + kLevel * zoomLevels, "no room beside their marks: " + ledOut,
             kMomentSize, kMomentColour);
  }
  svg.endGroup();

  svg.beginGroup("waits");
  for (const PlanLine& line : plan.lines) {
    if (line.wait == WaitKind::None || line.wait == WaitKind::User) continue;
    if (!span.covers(line.startUtc, line.endUtc) || line.endUtc <= line.startUtc) continue;
    const double x = std::max(kPlotLeft, span.xOf(line.startUtc));
    const double x2 = std::min(kPlotRight, span.xOf(line.endUtc));
    svg.rect(x, yWaits, std::max(1.0, x2 - x), 12, kWaitColour,
             lineName(line.line) + ": " + line.text);
  }
  for (const PlanLine& line : plan.lines) {
    if (line.wait != WaitKind::User || !span.covers(line.startUtc)) continue;
    svg.rect(span.xOf(line.startUtc) - 1, yWaits - 2, 3, 16, kPromptColour,
             lineName(line.line) + ": prompt");
  }
  svg.endGroup();

  // A moment the steps before it reach late: red from the moment to when it is reached.
  svg.beginGroup("overruns");
  for (const PlanLine& line : plan.lines) {
    if (!waitOverran(line) || !span.covers(line.dueUtc, line.endUtc)) continue;
    const double x = std::max(kPlotLeft, span.xOf(line.dueUtc));
    const double x2 = std::min(kPlotRight, span.xOf(line.endUtc));
    svg.rect(x, yWaits, std::max(2.0, x2 - x), 12, kFindingColour,
             lineName(line.line) + ": reached " + durationText(line.endUtc - line.dueUtc) +
                 " after its moment");
  }
  svg.endGroup();

  std::set<uint32_t> findingLines;
  for (const PlanLine& line : plan.lines) {
    if (line.finding) findingLines.insert(line.line);
  }
  svg.beginGroup("shots");
  for (size_t i = 0; i < frames.size(); ++i) {
    const PlotFrame& frame = frames[i];
    if (!span.covers(frame.utc)) continue;
    const double x = span.xOf(frame.utc);
    const double next = i + 1 < frames.size() ? span.xOf(frames[i + 1].utc) - 1 : 1e9;
    if (frame.shot == nullptr) {
      svg.beginGroup("refused");
      svg.rect(x - 1.5, yShots + 0.5, 3, 19, "#ffffff",
               lineName(frame.line) + ": release refused, the body is still busy",
               "stroke=\"#d00000\" stroke-width=\"1\"");
      svg.endGroup();
      continue;
    }
    const PlannedShot& shot = *frame.shot;
    // A frame's bar ends before the next release, so a burst's frames stay apart.
    const double w = std::max(1.5, std::min({span.xOf(frame.endUtc), next, kPlotRight}) - x);
    const double we = std::max(1.0, span.xOf(frame.utc + shot.exposureMs * kUnitsPerMs) - x);
    const std::string tip = lineName(frame.line) + ": shot " + std::to_string(shot.number) +
                            ", Tv " + shot.tv + ", body " + std::to_string(shot.bodyMs) + " ms";
    const bool finding = findingLines.count(frame.line) != 0;
    svg.rect(x, yShots, w, 20, finding ? kFindingColour : kBodyColour, tip);
    svg.rect(x, yShots, std::min(we, w), 20, kExposureColour, tip);
  }
  for (const TvLabel& label : tvLabels) {
    svg.text(label.placement.start, yShots - 3 - kLevel * label.placement.level, label.text,
             kTvSize, frames[label.first].shot != nullptr ? "#000000" : kFindingColour);
  }
  svg.endGroup();

  svg.beginGroup("flashes");
  for (const PlanLine& line : plan.lines) {
    if (line.flashMs != 0) {
      const uint64_t to = line.flashStartUtc + line.flashMs * kUnitsPerMs;
      if (span.covers(line.flashStartUtc, to)) {
        const double x = std::max(kPlotLeft, span.xOf(line.flashStartUtc));
        const double x2 = std::min(kPlotRight, span.xOf(to));
        svg.rect(x, yFlash, std::max(2.0, x2 - x), 12, kFlashColour,
                 lineName(line.line) + ": flash " + std::to_string(line.flashMs) + " ms");
      }
    }
    if (!line.play.empty() && span.covers(line.startUtc)) {
      const double x = span.xOf(line.startUtc);
      const uint64_t end =
          line.startUtc + static_cast<uint64_t>(line.playSeconds * kUnitsPerSecond);
      svg.rect(x, yFlash + 3, std::max(3.0, span.xOf(end) - x), 6,
               line.finding ? kFindingColour : kPlayColour,
               lineName(line.line) + ": play " + line.play);
    }
  }
  svg.endGroup();

  svg.beginGroup("findings");
  for (const Marker& marker : markers) {
    const Finding& finding = plan.findings[marker.finding];
    const std::string where = finding.line == 0 ? "script" : lineName(finding.line);
    svg.rect(marker.x - 3, yFindings, 6, 12, kFindingColour,
             std::to_string(marker.finding + 1) + ": " + where + ": " + finding.text);
    const double baseline = yFindings + 10 + kLevel * marker.placement.level;
    if (marker.placement.level > 0) {
      svg.line(marker.x, yFindings + 12, marker.x, baseline + 2, kFindingColour, 1);
    }
    if (!marker.label.empty()) {
      svg.text(marker.placement.start, baseline, marker.label, kFindingSize, kFindingColour);
    }
  }
  svg.endGroup();

  drawAxis(svg, span, yAxis);
  return drawn;
}
