// The check's report of a long plan: handed out in pieces of whole lines, with the names of the
// lines' bases shared rather than copied. (The rows themselves are tested end to end.)
#include "check/plan_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(PlanReportTest, LongReportComesInPiecesOfWholeLinesSharingTheirBaseName) {
  ScriptPlan plan;
  plan.camera = "Canon EOS 5D Mark IV (simulated)";
  plan.startUtc = plan.firstTimedUtc = plan.lastTimedUtc = 134000000000000000ULL;
  const SharedText base = "checkpoint (line 2)";
  for (uint32_t i = 0; i < 20000; ++i) {
    PlanLine line;
    line.line = i + 3;
    line.text = "echo line " + std::to_string(i);
    line.baseUtc = plan.startUtc;
    line.startUtc = line.endUtc = plan.startUtc + uint64_t{i} * 10000;
    line.baseName = base;
    plan.lines.push_back(line);
  }
  plan.findings.push_back(Finding{4, 0, "a finding"});
  // One text for all the lines of a base, not a copy in each.
  EXPECT_EQ(&plan.lines[0].baseName.str(), &plan.lines[2].baseName.str());

  std::vector<std::string> pieces;
  writeCheckReport(plan, "long.qvs",
                   [&pieces](const std::string& piece) { pieces.push_back(piece); });
  ASSERT_GT(pieces.size(), 10u);
  std::string joined;
  for (const std::string& piece : pieces) {
    EXPECT_EQ('\n', piece.back());
    EXPECT_LT(piece.size(), 65536u + 200u);
    joined += piece;
  }
  EXPECT_EQ(checkReportText(plan, "long.qvs"), joined);
  EXPECT_NE(std::string::npos,
            joined.find("\n    4  checkpoint (line 2) +0.001 s                 echo line 1\n"))
      << joined.substr(0, 400);
  EXPECT_EQ("Findings: 1\n  line 4: a finding\n", joined.substr(joined.find("Findings: ")));
}

}  // namespace
