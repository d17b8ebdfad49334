// An SVG document parsed with expat into a flat list of elements, each knowing the groups it is
// drawn in, and the boxes its texts take in the timeline's font; for the tests of -plot.
#ifndef QUORVALE_TESTS_E2E_SVG_DOCUMENT_H_
#define QUORVALE_TESTS_E2E_SVG_DOCUMENT_H_

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "tests/e2e/e2e_harness.h"

namespace e2e {

struct Element {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::string text;
  std::string title;                // the text of its <title> child
  std::vector<std::string> groups;  // classes of the enclosing groups, outermost first
  std::vector<size_t> groupIds;     // the enclosing <g> elements' indices, outermost first

  double number(const std::string& attribute) const;  // 0 when absent
  bool in(const std::string& group) const { return !groups.empty() && groups.back() == group; }
};

struct SvgDocument {
  std::vector<Element> elements;
  std::vector<size_t> open;  // while parsing: the elements not closed yet, outermost first

  // The elements inside each <g> of class |className|, one list per such group, in order.
  std::vector<std::vector<const Element*>> groupsOf(const std::string& className) const;
  // The elements of the |index|th such group (from 0); none when there is no such group.
  std::vector<const Element*> group(const std::string& className, size_t index = 0) const;
  // The first <text> whose text starts with |start|; null when none does.
  const Element* textStarting(const std::string& start) const;
};

// Parses |xml|; fails the test when it is not well-formed.
SvgDocument parseSvg(const std::string& xml);

// Runs the program with |options| and "-plot <a fresh file>" added; |run| gets the run, the
// result is the drawing, parsed.
SvgDocument runPlot(RunOptions options, RunResult* run);

// The box a <text> element takes: from its anchor, its font size and the font's widths.
struct Box {
  double left;
  double top;
  double right;
  double bottom;
  bool overlaps(const Box& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
  }
};
Box textBox(const Element& text);

}  // namespace e2e

#endif  // QUORVALE_TESTS_E2E_SVG_DOCUMENT_H_
