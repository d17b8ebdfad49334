#include "check/plot_rows.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace {

constexpr uint64_t kSecond = platform::kFileTimeUnitsPerSecond;
constexpr uint64_t kT0 = 134000000000000000ull;  // some moment in 2025

class Frames {
 public:
  // A frame released at |ms| after kT0 with |tv|, in the body for |bodyMs|.
  void add(uint64_t ms, const std::string& tv, uint32_t bodyMs = 500) {
    shots_.emplace_back();
    shots_.back().tv = tv;
    PlotFrame frame;
    frame.utc = kT0 + ms * kUnitsPerMs;
    frame.endUtc = frame.utc + bodyMs * kUnitsPerMs;
    frame.shot = &shots_.back();
    frames.push_back(frame);
  }
  std::vector<PlotFrame> frames;

 private:
  std::deque<PlannedShot> shots_;
};

// (That each burst gets a row with its frames apart and labelled is tested on the drawing, in
// tests/e2e/plot_e2e_test.cc; here the limits the drawing does not reach.)
// Frames at one moment cannot be drawn apart at any zoom: the rows end, the frames keep their
// labels in the row that has them. Thirty bursts spread over a day get at most kMaxRows rows,
// and the ones left over are counted.
TEST(PlotRowsTest, RowsStopWhereZoomingCannotHelpAndAtTheirLimit) {
  Frames same;
  same.add(0, "1/1000");
  for (int i = 0; i < 3; ++i) same.add(60000, "1/500");
  size_t skipped = 0;
  std::vector<PlotRow> rows = plotRows(same.frames, PlotSpan{kT0, kT0 + 61 * kSecond}, &skipped);
  EXPECT_LE(rows.size(), static_cast<size_t>(kMaxZoomDepth) + 1);
  EXPECT_EQ(0u, skipped);
  std::vector<size_t> unlabelled;
  const std::vector<TvLabel> labels = labelFrames(
      same.frames, rows.back().span, 1000, true, [](size_t) { return false; }, &unlabelled);
  EXPECT_TRUE(unlabelled.empty());
  ASSERT_FALSE(labels.empty());
  EXPECT_EQ(std::string("1/500 \xC3\x97") + "3", labels.back().text);

  Frames day;
  for (int b = 0; b < 30; ++b) {
    for (int i = 0; i < 5; ++i) day.add(b * 2880000ull + i * 300, "1/1000");
  }
  rows = plotRows(day.frames, PlotSpan{kT0, kT0 + 86400 * kSecond}, &skipped);
  EXPECT_EQ(kMaxRows, rows.size());
  EXPECT_GT(skipped, 0u);

  // A burst of 2000 frames over nine minutes: one zoomed row shows its start, frames apart.
  Frames burst;
  for (int i = 0; i < 2000; ++i) burst.add(i * 260ull, "1/125");
  rows = plotRows(burst.frames, PlotSpan{kT0, kT0 + 540 * kSecond}, &skipped);
  ASSERT_EQ(2u, rows.size());
  EXPECT_EQ(1u, skipped);
  const PlotSpan& zoom = rows[1].span;
  EXPECT_TRUE(zoom.covers(burst.frames[0].utc));
  EXPECT_GE(zoom.xOf(burst.frames[1].utc) - zoom.xOf(burst.frames[0].utc), kMinFramePx);
}

}  // namespace
