#include "check/label_band.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

struct Placed {
  double x;
  double reach;
  double start;
  double end;
  int level;
};

// Items with lines, placed from right to left as the timeline places its moments, in crowds of
// every density: each label lands beside its own item, on no other label of its level, and no
// item's line (which reaches up to its own label's level) runs through a label it reaches.
TEST(LabelBandTest, CrowdsOfItemsWithLinesAllGetAPlaceBesideTheirItem) {
  std::srand(7);
  for (int round = 0; round < 200; ++round) {
    // Items stand apart as the timeline's are: at least 2 units between their extents.
    const int count = 1 + std::rand() % 40;
    const double spread = 1 + std::rand() % 20;
    std::vector<double> xs;
    std::vector<double> reaches;
    for (int i = 0; i < count; ++i) {
      reaches.push_back((std::rand() % 3) * 1.5);
      xs.push_back(i == 0 ? 150 + reaches[0]
                          : xs.back() + reaches[i - 1] + reaches[i] + 2 +
                                (std::rand() % 1000) / 1000.0 * spread);
    }
    LabelBand band(150, 1498);
    std::vector<Placed> placed;
    for (size_t i = xs.size(); i-- > 0;) {
      const double reach = reaches[i];
      LabelBand::Placement p;
      const double leftLimit = i > 0 ? xs[i - 1] + reaches[i - 1] + 2 : 150;
      const double width = 20 + std::rand() % 180;
      ASSERT_TRUE(
          band.place(xs[i], reach, {{width, 3}, {width / 2, 4}, {12, 1000}}, leftLimit, true, &p))
          << "round " << round << ", item at " << xs[i];
      const double w = p.form == 0 ? width : p.form == 1 ? width / 2 : 12;
      EXPECT_TRUE(p.start == xs[i] + reach + LabelBand::kGap ||
                  (p.left && p.start + w == xs[i] - reach - LabelBand::kGap));
      EXPECT_TRUE(!p.left || p.start >= leftLimit);
      placed.push_back(Placed{xs[i], reach, p.start, p.start + w, p.level});
    }
    for (const Placed& a : placed) {
      for (const Placed& b : placed) {
        if (&a == &b) continue;
        if (a.level == b.level) {
          EXPECT_TRUE(a.end + LabelBand::kMargin <= b.start ||
                      b.end + LabelBand::kMargin <= a.start)
              << "round " << round;
        }
        // b's line (b.x +- b.reach) reaches b.level: it must miss a's label if a is not higher.
        if (a.level <= b.level) {
          EXPECT_FALSE(b.x + b.reach > a.start && b.x - b.reach < a.end)
              << "round " << round << ": the line at " << b.x << " crosses the label at " << a.start
              << ".." << a.end;
        }
      }
    }
  }
}

// A label that fits nowhere on the right goes left; without a form that fits, nothing is placed;
// a blocked place (a finding's marker) keeps labels off its level.
TEST(LabelBandTest, SidesBlocksAndNoRoom) {
  LabelBand band(100, 300);
  LabelBand::Placement p;
  ASSERT_TRUE(band.place(280, 0, {{50, 1}}, 100, false, &p));
  EXPECT_TRUE(p.left);
  EXPECT_EQ(228, p.start);
  EXPECT_FALSE(band.place(290, 0, {{20, 5}}, LabelBand::kNoLeft, false, &p));
  band.block(27 + 100, 33 + 100, 0);
  ASSERT_TRUE(band.place(120, 3, {{10, 1}, {10, 3}}, LabelBand::kNoLeft, false, &p));
  EXPECT_EQ(1, p.level);
}

}  // namespace
