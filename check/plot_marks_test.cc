#include "check/plot_marks.h"

#include <gtest/gtest.h>

#include "tests/calendar_testing.h"

namespace {

uint64_t utcAt(int hour, int minute, int second) {
  uint64_t utc = 0;
  EXPECT_TRUE(platform::calendarToFileTime(
      calendar_testing::makeTime(2026, 8, 12, hour, minute, second), &utc));
  return utc;
}

PlanLine momentLine(uint32_t number, uint64_t utc) {
  PlanLine line;
  line.line = number;
  line.startUtc = line.endUtc = line.dueUtc = utc;
  line.wait = WaitKind::Moment;
  line.known = true;
  return line;
}

// On an hour's row, 18:28:55 and 18:29:00 fall 2 units apart and share a label naming both
// times; a checkpoint on a moment joins it. A moment outside the row has no mark, and an unknown
// wait none at all. (That every moment is named beside its line is tested on the drawing.)
TEST(PlotMarksTest, MomentsThatFallTogetherShareALabel) {
  ScriptPlan plan;
  plan.lines.push_back(momentLine(29, utcAt(18, 28, 55)));
  plan.lines.push_back(momentLine(36, utcAt(18, 29, 0)));
  PlanLine checkpoint;
  checkpoint.line = 37;
  checkpoint.startUtc = checkpoint.endUtc = utcAt(18, 29, 0);
  checkpoint.checkpoint = true;
  plan.lines.push_back(checkpoint);
  plan.lines.push_back(momentLine(40, utcAt(18, 29, 30)));
  plan.lines.back().known = false;
  plan.lines.push_back(momentLine(50, utcAt(19, 40, 0)));

  std::vector<MomentGroup> groups =
      momentGroups(plan, PlotSpan{utcAt(17, 35, 0), utcAt(18, 35, 0)});
  ASSERT_EQ(1u, groups.size());
  ASSERT_EQ(3u, groups[0].marks.size());
  EXPECT_EQ(MomentKind::Checkpoint, groups[0].marks[2].kind);
  const std::vector<std::string> forms = momentLabelForms(groups[0]);
  ASSERT_EQ(3u, forms.size());
  EXPECT_EQ(0u, forms[0].find("lines 29, 36, 37: ")) << forms[0];
  const std::string utc = " (18:28:55 to 18:29:00 UTC)";
  EXPECT_EQ(utc, forms[0].substr(forms[0].size() - utc.size())) << forms[0];
}

// A finding stands at its line's start; a line the plan has no entry for (a comment the scan
// skipped, text no rule takes) is reached when the line before it ends; a finding about the
// whole script has no moment.
TEST(PlotMarksTest, FindingMoments) {
  ScriptPlan plan;
  plan.startUtc = utcAt(17, 0, 0);
  PlanLine shot;
  shot.line = 4;
  shot.startUtc = utcAt(18, 0, 0);
  shot.endUtc = utcAt(18, 0, 1);
  plan.lines.push_back(shot);
  plan.lines.push_back(momentLine(9, utcAt(18, 5, 0)));
  uint64_t at = 0;
  ASSERT_TRUE(findingMoment(plan, Finding{4, 0, "x"}, &at));
  EXPECT_EQ(utcAt(18, 0, 0), at);
  ASSERT_TRUE(findingMoment(plan, Finding{6, 3, "x"}, &at));
  EXPECT_EQ(utcAt(18, 0, 1), at);
  ASSERT_TRUE(findingMoment(plan, Finding{2, 1, "x"}, &at));
  EXPECT_EQ(plan.startUtc, at);
  EXPECT_FALSE(findingMoment(plan, Finding{0, 0, "x"}, &at));
}

}  // namespace
