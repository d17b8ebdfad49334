#include "check/plan_plot.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "check/plan_plot_contacts.h"
#include "check/plan_report.h"
#include "check/plot_row.h"
#include "check/plot_rows.h"
#include "check/svg_writer.h"
#include "check/text_width.h"
#include "output/output.h"
#include "platform/error.h"

namespace {

constexpr double kRowsTop = 80;

void drawLegend(SvgWriter& svg) {
  struct Key {
    const char* colour;
    const char* text;
    const char* attrs;
  };
  static const Key kKeys[] = {
      {"#d2691e", "exposure", ""},
      {"#f5b971", "processing, storing", ""},
      {"#ffffff", "refused release", "stroke=\"#d00000\" stroke-width=\"1\""},
      {"#c8c8c8", "wait", ""},
      {"#8a2be2", "flash pulse", ""},
      {"#008b8b", "sound", ""},
      {kFindingColour, "finding", ""}};
  double width = 0;
  for (const Key& key : kKeys) width += 16 + textWidth(key.text, 11) + 12;
  svg.beginGroup("legend");
  double x = kPlotPageWidth - 20 - width;
  for (const Key& key : kKeys) {
    svg.rect(x, 18, 12, 10, key.colour, "", key.attrs);
    svg.text(x + 16, 27, key.text, 11, "#333333");
    x += 16 + textWidth(key.text, 11) + 12;
  }
  svg.endGroup();
}

// Dashed lines from a zoom mark to its zoomed row right below it.
void joinZoom(SvgWriter& svg, const PlotRow& parent, const PlotRow& child, const DrawnRow& above,
              const DrawnRow& below) {
  const double x = std::max(kPlotLeft, parent.span.xOf(child.span.from));
  const double x2 = std::min(kPlotRight, parent.span.xOf(child.span.to));
  svg.line(x, above.markBottom, kPlotLeft, below.top - 14, "#1f5fbf", 0.8,
           "stroke-dasharray=\"3 3\"");
  svg.line(x2, above.markBottom, kPlotRight, below.top - 14, "#1f5fbf", 0.8,
           "stroke-dasharray=\"3 3\"");
}

}  // namespace

std::string planPlotSvg(const ScriptPlan& plan, const std::string& scriptName) {
  PlotSpan whole{plan.firstTimedUtc, plan.lastTimedUtc};
  spanContacts(plan.eclipse, &whole.from, &whole.to);
  if (whole.to <= whole.from) whole.to = whole.from + 60 * platform::kFileTimeUnitsPerSecond;
  const uint64_t pad = (whole.to - whole.from) / 40;
  whole.from = whole.from > pad ? whole.from - pad : 0;
  whole.to += pad;
  const std::vector<PlotFrame> frames = plotFrames(plan);
  size_t skipped = 0;
  const std::vector<PlotRow> rows = plotRows(frames, whole, &skipped);

  // The rows are drawn first, into a writer of their own, since their heights follow from what
  // they hold.
  SvgWriter body(kPlotPageWidth, 0);
  std::vector<DrawnRow> drawn;
  double y = kRowsTop;
  for (size_t r = 0; r < rows.size(); ++r) {
    drawn.push_back(drawPlotRow(body, plan, frames, rows, r, y));
    drawContactLines(body, plan.eclipse, rows[r].span.from, rows[r].span.to, kPlotLeft,
                     kPlotWidth, drawn.back().plotTop, drawn.back().axis);
    y = drawn.back().bottom;
    if (r > 0 && rows[r].parent == static_cast<int>(r) - 1) {
      joinZoom(body, rows[r - 1], rows[r], drawn[r - 1], drawn[r]);
    }
  }

  const double findingsTop = y;
  const double height = findingsTop + 30 + 16 * static_cast<double>(plan.findings.size()) + 10;
  SvgWriter svg(kPlotPageWidth, height);
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
  svg.append(body);
  if (skipped != 0) {
    svg.text(20, findingsTop - 8,
             std::to_string(skipped) +
                 " dense stretch(es) not zoomed in full: too many frames for the rows",
             11, kFindingColour);
  }

  svg.beginGroup("finding-list");
  if (plan.findings.empty()) {
    svg.text(20, findingsTop + 16, "Findings: none", 13, "#2e8b57", "start",
             "font-weight=\"bold\"");
  } else {
    svg.text(20, findingsTop + 16, "Findings: " + std::to_string(plan.findings.size()), 13,
             kFindingColour, "start", "font-weight=\"bold\"");
    double ty = findingsTop + 34;
    for (size_t i = 0; i < plan.findings.size(); ++i) {
      const Finding& f = plan.findings[i];
      std::string where = f.line == 0 ? "script" : "line " + std::to_string(f.line);
      if (f.column != 0) where += ", column " + std::to_string(f.column);
      svg.text(44, ty, std::to_string(i + 1), 11, kFindingColour, "end");
      svg.text(52, ty, where + ": " + f.text, 11, kFindingColour);
      ty += 16;
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
