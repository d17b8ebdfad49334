// LabelBand: places the labels of a band of the timeline on levels so that no two overlap and
// each stands right beside the x it belongs to — starting just right of it, or ending just left of
// it — never across another item's line. When a label fits nowhere in its long form, a shorter
// form is tried; the last form may open new levels, so every label gets a place.
//
// Levels count from the band's base (level 0) outwards; the caller turns them into y. An item
// with a line (a moment's vertical line, or a bundle of them |reach| either side of its x) has it
// run from the base to its label's level: no label of that level or nearer the base may cross
// it, and it crosses no label of that level or nearer the base.
//
// Thread safety: an object is used by one thread.
#ifndef QUORVALE_CHECK_LABEL_BAND_H_
#define QUORVALE_CHECK_LABEL_BAND_H_

#include <cstddef>
#include <vector>

class LabelBand {
 public:
  // One form of a label: its width, and the levels it may use (1 or more).
  struct Form {
    double width;
    int levels;
  };
  struct Placement {
    size_t form = 0;  // index into the forms given
    int level = 0;
    double start = 0;   // the label's left edge
    bool left = false;  // the label ends left of its x
  };

  // Labels stay within [left, right].
  LabelBand(double left, double right) : left_(left), right_(right) {}

  // Places a label for an item at |x| that is |reach| wide on either side: the first form, level
  // and side (right, then left) where it overlaps nothing. A label left of its item starts at
  // |leftLimit| or later (kNoLeft: never left of it). Returns false when no form fits in its
  // levels.
  //
  // Items with lines are placed from right to left, each with |leftLimit| just right of the next
  // item to be placed: then no label covers an item still to come, and the last form, with
  // levels enough, always finds a place right of its item unless the page ends there.
  bool place(double x, double reach, const std::vector<Form>& forms, double leftLimit,
             bool withLine, Placement* out);

  // Keeps labels of |level| off [start, end] (an item drawn there, such as a marker).
  void block(double start, double end, int level) { blocks_.push_back(Box{start, end, level}); }

  // How many levels the placed labels use (0 when none).
  int levelsUsed() const { return levels_; }

  static constexpr double kNoLeft = 1e12;
  static constexpr double kGap = 2;     // between an x and its label
  static constexpr double kMargin = 3;  // between two labels of a level

 private:
  struct Box {
    double start;
    double end;
    int level;
  };
  struct Line {
    double from;
    double to;
    int level;
  };
  bool fits(double start, double end, int level, double x, double reach, bool withLine) const;

  double left_;
  double right_;
  std::vector<Box> boxes_;
  std::vector<Line> lines_;
  std::vector<Box> blocks_;
  int levels_ = 0;
};

#endif  // QUORVALE_CHECK_LABEL_BAND_H_
