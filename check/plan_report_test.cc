#include "check/plan_report.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/clock.h"

namespace {

constexpr uint64_t kMs = platform::kFileTimeUnitsPerMs;
constexpr uint64_t kStart = 1000000 * kMs;

PlanLine relativeLine(uint32_t number, const std::string& text) {
  PlanLine line;
  line.line = number;
  line.text = text;
  line.baseUtc = kStart;
  line.baseName = "start";
  line.startUtc = line.endUtc = kStart;
  return line;
}

// A plan row as the report lays it out.
std::string row(const std::string& number, const std::string& moment, const std::string& text) {
  return "    " + number + "  " + moment + std::string(44 - moment.size(), ' ') + " " + text + "\n";
}

// The rows of |plan|: the report between its column heads and its totals.
std::string rowsOf(const ScriptPlan& plan) {
  const std::string report = checkReportText(plan, "t.qvs");
  const size_t from = report.find("command\n") + 8;
  return report.substr(from, report.find("Totals: ") - from);
}

TEST(PlanReportTest, ALongLineIsCutAtACharacterWithAMarkAndKeepsItsRow) {
  ScriptPlan plan;
  plan.startUtc = kStart;
  std::string text = "echo ";
  for (int i = 0; i < 1200; ++i) text += "\xc3\xa9";  // 2405 bytes of two-byte characters
  plan.lines.push_back(relativeLine(2, text + "\r"));
  plan.lines.push_back(relativeLine(3, "echo b"));
  const std::string rows = rowsOf(plan);
  // "echo " and 997 whole characters (1999 bytes), then the mark: no half character before it.
  EXPECT_TRUE(rows == row("2", "start +0.000 s", text.substr(0, 1999) + "\xe2\x80\xa6") +
                          row("3", "start +0.000 s", "echo b"))
      << rows.substr(rows.size() - 200);
}

TEST(PlanReportTest, ALateWaitShowsItsMomentThenWhenItIsReached) {
  ScriptPlan plan;
  plan.startUtc = kStart;
  PlanLine wait = relativeLine(4, "wait point=3");
  wait.wait = WaitKind::Checkpoint;
  wait.dueUtc = kStart + 3000 * kMs;
  wait.endUtc = kStart + 4250 * kMs;
  plan.lines.push_back(wait);
  PlanLine flash = relativeLine(5, "comflash");
  flash.wait = WaitKind::Sleep;
  flash.flashMs = 250;
  flash.flashStartUtc = kStart + 4250 * kMs;
  flash.endUtc = kStart + 4500 * kMs;
  plan.lines.push_back(flash);
  EXPECT_EQ(row("4", "start +3.000 s", "wait point=3") +
                "       reached start +4.250 s, 1.250 s after its moment\n" +
                row("5", "start +4.250 s", "comflash") +
                "       flash pulse 0.250 s, RTS raised at start +4.250 s\n",
            rowsOf(plan));
}

}  // namespace
