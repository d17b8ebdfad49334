#include "check/plan_plot_contacts.h"

#include <string>

#include "eclipse/local_circumstances.h"

namespace {

const char kContactColour[] = "#8b0000";

}  // namespace

void drawContactLines(SvgWriter& svg, const PlannedEclipse& eclipse, uint64_t fromUtc,
                      uint64_t toUtc, double xLeft, double width, double yTop, double yBottom) {
  if (!eclipse.present || toUtc <= fromUtc) return;
  svg.beginGroup("contacts");
  const double length = static_cast<double>(toUtc - fromUtc);
  // Labels of contacts close together step down, one level each, so that none covers another.
  double levelEnds[3] = {-1e9, -1e9, -1e9};
  for (int i = 0; i < eclipse::kContactCount; ++i) {
    const PlannedContact& c = eclipse.contacts[i];
    if (!c.exists || c.utc < fromUtc || c.utc > toUtc) continue;
    const double x =
        xLeft + (static_cast<double>(c.utc) - static_cast<double>(fromUtc)) / length * width;
    std::string label = eclipse::contactName(static_cast<eclipse::ContactId>(i));
    if (c.sunAltitudeDeg < 0.0) label += " (Sun below horizon)";
    std::string tip = c.line;
    while (!tip.empty() && tip.back() == '\n') tip.pop_back();
    svg.line(x, yTop, x, yBottom, kContactColour, 1.5,
             "stroke-dasharray=\"6 2\" class=\"contact\"");
    // The label sits low on the line's right (or its left at the row's right edge), clear of the
    // moments' labels at the row's top.
    const double labelWidth = static_cast<double>(label.size()) * 11 * 0.6;
    const bool right = x + 3 + labelWidth <= xLeft + width;
    const double start = right ? x + 3 : x - 3 - labelWidth;
    int level = 0;
    while (level < 2 && start < levelEnds[level] + 4) ++level;
    levelEnds[level] = start + labelWidth;
    svg.text(right ? x + 3 : x - 3, yBottom - 4 - 12 * level, label, 11, kContactColour,
             right ? "start" : "end", "font-weight=\"bold\"");
    svg.rect(x - 2, yTop, 4, yBottom - yTop, kContactColour, tip, "fill-opacity=\"0\"");
  }
  svg.endGroup();
}

void spanContacts(const PlannedEclipse& eclipse, uint64_t* fromUtc, uint64_t* toUtc) {
  if (!eclipse.present) return;
  for (const PlannedContact& c : eclipse.contacts) {
    if (!c.exists) continue;
    if (c.utc < *fromUtc) *fromUtc = c.utc;
    if (c.utc > *toUtc) *toUtc = c.utc;
  }
}
