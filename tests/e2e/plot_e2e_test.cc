// The timeline of -check ... -plot end to end: scripts of their own, drawn and parsed as XML, and
// the drawing measured: frames of every burst apart and labelled in some row, every moment's
// label beside its own line, no two texts on top of each other, a marker for each finding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/svg_document.h"

namespace e2e {
namespace {

// Checks |script| with -plot and returns the drawing, parsed; |r| gets the run.
SvgDocument plot(const std::string& script, std::vector<std::string> extra, RunResult* r) {
  RunOptions options;
  options.arguments = {"-check", "-sim", "-script", "test.qvs"};
  options.arguments.insert(options.arguments.end(), extra.begin(), extra.end());
  options.files.push_back({"test.qvs", script});
  return runPlot(options, r);
}

// The number of findings the report counts.
size_t findingCount(const std::string& report) {
  const size_t at = report.find("Findings: ");
  return at == npos ? 0 : std::strtoul(report.c_str() + at + 10, nullptr, 10);
}

struct Frame {
  unsigned shot;
  std::string tv;
  double x;
  bool labelled;
};

// The frames a row's shots lane draws, in x order: one per shot, from its bars' titles
// ("line 7: shot 3, Tv 1/250, body 529 ms"); a frame is labelled when a Tv label starts just right
// of it with its Tv, or of an earlier frame of that Tv whose label's " ×n" takes it along.
std::vector<Frame> framesOf(const std::vector<const Element*>& lane) {
  std::vector<Frame> frames;
  std::set<unsigned> seen;
  for (const Element* e : lane) {
    const size_t shotAt = e->title.find(": shot ");
    const size_t tvAt = e->title.find(", Tv ");
    if (e->name != "rect" || !e->in("shots") || shotAt == npos || tvAt == npos) continue;
    const unsigned shot = std::strtoul(e->title.c_str() + shotAt + 7, nullptr, 10);
    if (!seen.insert(shot).second) continue;
    const size_t tvEnd = e->title.find(',', tvAt + 5);
    frames.push_back({shot, e->title.substr(tvAt + 5, tvEnd - tvAt - 5), e->number("x"), false});
  }
  std::sort(frames.begin(), frames.end(), [](const Frame& a, const Frame& b) { return a.x < b.x; });
  for (const Element* e : lane) {
    if (e->name != "text" || !e->in("shots")) continue;
    for (size_t k = 0; k < frames.size(); ++k) {
      const double x = e->number("x");
      if (x < frames[k].x || x > frames[k].x + 4 || e->text.rfind(frames[k].tv, 0) != 0) continue;
      const size_t times = e->text.find(" \xC3\x97");
      const size_t n = times == npos ? 1 : std::strtoul(e->text.c_str() + times + 3, nullptr, 10);
      for (size_t j = k; j < k + n && j < frames.size() && frames[j].tv == frames[k].tv; ++j) {
        frames[j].labelled = true;
      }
      break;
    }
  }
  return frames;
}

// True when some row draws the shots |from| to |to| at least 4 units apart, each under its Tv.
bool burstDrawnApart(const SvgDocument& doc, unsigned from, unsigned to) {
  for (const std::vector<const Element*>& lane : doc.groupsOf("shots")) {
    std::vector<Frame> burst;
    bool ok = true;
    for (const Frame& f : framesOf(lane)) {
      if (f.shot < from || f.shot > to) continue;
      ok = ok && f.labelled && (burst.empty() || f.x - burst.back().x >= 4);
      burst.push_back(f);
    }
    if (ok && burst.size() == to - from + 1) return true;
  }
  return false;
}

// Every pair of texts in the drawing, checked for overlap.
void expectNoTextsOverlap(const SvgDocument& doc) {
  for (size_t i = 0; i < doc.elements.size(); ++i) {
    const Element& a = doc.elements[i];
    for (size_t j = i + 1; a.name == "text" && j < doc.elements.size(); ++j) {
      const Element& b = doc.elements[j];
      EXPECT_FALSE(b.name == "text" && textBox(a).overlaps(textBox(b)))
          << "\"" << a.text << "\" at " << a.number("x") << "," << a.number("y") << " and \""
          << b.text << "\" at " << b.number("x") << "," << b.number("y");
    }
  }
}

// The script line numbers a moment label names: "lines 36, 37: ...", "12: ...", "13…20".
std::set<unsigned> namedLines(std::string text) {
  if (text.rfind("line", 0) == 0) text.erase(0, text.find(' ') + 1);
  text = text.substr(0, text.find(':'));
  std::set<unsigned> lines;
  const size_t range = text.find("\xE2\x80\xA6");
  const char* last = range == npos ? nullptr : text.c_str() + range + 3;
  for (unsigned n = std::strtoul(text.c_str(), nullptr, 10);
       last != nullptr && n <= std::strtoul(last, nullptr, 10); ++n) {
    lines.insert(n);
  }
  std::istringstream in(range == npos ? text : "");
  for (std::string number; std::getline(in, number, ',');) {
    lines.insert(std::strtoul(number.c_str(), nullptr, 10));
  }
  return lines;
}

// Each moment's label stands right beside its own line, at a height the line reaches, and no
// other moment line of the row runs through it. Returns the script lines the labels name.
std::set<unsigned> expectMomentLabelsBesideTheirLines(const SvgDocument& doc) {
  std::set<unsigned> named;
  for (const std::vector<const Element*>& lane : doc.groupsOf("moments")) {
    std::vector<const Element*> lines;
    for (const Element* e : lane) {
      if (e->name == "line") lines.push_back(e);
    }
    for (const std::vector<const Element*>& moment : doc.groupsOf("moment")) {
      if (std::find(lane.begin(), lane.end(), moment.front()) == lane.end()) continue;
      const Element* label = nullptr;
      const Element* own = nullptr;
      double minX = 1e9;
      double maxX = -1e9;
      for (const Element* e : moment) {
        if (e->name == "text") {
          EXPECT_EQ(nullptr, label) << "two labels: " << e->text;
          label = e;
        }
        if (e->name == "line") {
          own = e;
          minX = std::min(minX, e->number("x1"));
          maxX = std::max(maxX, e->number("x1"));
        }
      }
      if (label == nullptr || own == nullptr) {
        ADD_FAILURE() << "a moment without a label or a line";
        continue;
      }
      // Lines a few units apart share a label, beside the outermost line of its side.
      const Box box = textBox(*label);
      const bool right = box.left >= maxX + 1 && box.left <= maxX + 3;
      const bool left = box.right <= minX - 1 && box.right >= minX - 3;
      EXPECT_TRUE(right || left) << label->text << " at " << box.left << ".." << box.right
                                 << " for the lines at " << minX << ".." << maxX;
      EXPECT_LE(std::min(own->number("y1"), own->number("y2")), box.bottom) << label->text;
      for (const Element* other : lines) {
        const double ox = other->number("x1");
        const double top = std::min(other->number("y1"), other->number("y2"));
        EXPECT_FALSE(ox > box.left && ox < box.right && top < box.bottom)
            << "the line at " << ox << " runs through \"" << label->text << "\"";
      }
      const std::set<unsigned> lines = namedLines(label->text);
      named.insert(lines.begin(), lines.end());
    }
  }
  return named;
}

// A 15-frame burst in a script of an hour, a bracket of five exposures from 1/250 to 1", and
// three frames of 1/60 to 1/2 in the middle of totality: each gets a row with its frames apart.
TEST(PlotE2eTest, EveryBurstHasARowWithItsFramesApartAndLabelled) {
  std::string script =
      "#!quorvale\n"
      "wait utc=\"2026-08-12 17:35:00\"\n"
      "shot tv=1/1000 av=8\n"  // shot 1
      "wait utc=\"2026-08-12 18:28:40\"\n";
  for (int i = 0; i < 15; ++i) script += "shot tv=1/1000\n";  // shots 2 to 16
  script +=
      "wait utc=\"2026-08-12 18:29:00\"\n"
      "checkpoint\n"
      "shot tv=1/250\nshot tv=1/60\nshot tv=1/15\nshot tv=1/4\nshot tv=1\n"  // 17 to 21
      "wait point=0:45\n"
      "shot tv=1/60\nshot tv=1/4\nshot tv=0\"5\n"  // 22 to 24
      "wait utc=\"2026-08-12 18:31:00\"\n"
      "shot tv=1/1000\n";  // 25
  RunResult r;
  SvgDocument doc = plot(script, {"-atutc", "2026-08-12T17:00"}, &r);
  EXPECT_NE(npos, r.out.find("Totals: 25 shot(s)")) << r.out;
  for (const auto& burst : {std::pair{2, 16}, {17, 21}, {22, 24}, {1, 1}, {25, 25}}) {
    EXPECT_TRUE(burstDrawnApart(doc, burst.first, burst.second)) << burst.first;
  }
  EXPECT_EQ(25u, framesOf(doc.group("shots")).size());  // the whole row draws them all
  expectNoTextsOverlap(doc);
}

// Thirty-nine moment lines within two minutes of a script of three hours: every one is named by
// a label beside its line, in some row; no text lies on another.
TEST(PlotE2eTest, EveryMomentLabelledBesideItsLineAndNoTextsOverlap) {
  std::vector<std::string> lines{"#!quorvale", "wait utc=\"2026-08-12 15:30:00\"", "shot"};
  std::set<unsigned> momentLines{2};
  auto add = [&](const std::string& text, bool moment) {
    lines.push_back(text);
    if (moment) momentLines.insert(static_cast<unsigned>(lines.size()));
  };
  for (int i = 0; i < 19; ++i) {
    char wait[64];
    std::snprintf(wait, sizeof(wait), "wait utc=\"2026-08-12 18:%02d:%02d\"", 28 + i * 7 / 60,
                  i * 7 % 60);
    add(wait, true);
    if (i != 18) add("checkpoint", true);
    if (i % 3 == 0) add("shot", false);
  }
  add("wait user=\"Filter on?\"", true);
  add("shot", false);
  std::string script;
  for (const std::string& text : lines) script += text + "\n";
  ASSERT_EQ(39u, momentLines.size());
  RunResult r;
  SvgDocument doc = plot(script, {"-atutc", "2026-08-12T15:00"}, &r);
  const std::set<unsigned> named = expectMomentLabelsBesideTheirLines(doc);
  for (unsigned l : momentLines) EXPECT_EQ(1u, named.count(l)) << "line " << l << " unnamed";
  expectNoTextsOverlap(doc);

  // The first tick at the very left of the axis keeps clear of the axis's row names.
  doc = plot("#!quorvale\nwait utc=2026-08-12T18:00:01\ncheckpoint\nwait utc=2026-08-12T18:00:41\n",
             {"-atutc", "2026-08-12T17:00"}, &r);
  const Element* first = doc.textStarting("18:00:00");
  ASSERT_TRUE(first != nullptr && first->in("axis"));
  expectNoTextsOverlap(doc);
  expectMomentLabelsBesideTheirLines(doc);
}

// Five findings, two on one line, one between plan lines, two releases the body refuses: the
// whole row has a marker for each finding, apart from the others, and the refused releases in
// its shots lane.
TEST(PlotE2eTest, EachFindingItsMarkerAndRefusedReleasesInTheShotsLane) {
  RunResult r;
  SvgDocument doc = plot(
      "#!quorvale\nset timeshot=0 timemul=0\nshot tv=1\nshot\nshot\nwait 5\nset tv=1/3 av=99\n", {},
      &r);
  EXPECT_EQ(4, r.exitCode);
  const size_t findings = findingCount(r.out);
  ASSERT_GE(findings, 5u) << r.out;
  const Element* listed = doc.textStarting("line 5: shot 2: the body is still busy");
  ASSERT_NE(nullptr, listed);  // the findings are listed in red under the rows
  EXPECT_EQ("#d00000 finding-list", listed->attributes.at("fill") + " " + listed->groups.back());

  std::vector<const Element*> markers;
  std::set<std::string> numbers;
  for (const Element* e : doc.group("findings")) {
    if (e->name != "rect") continue;
    for (const Element* m : markers) {
      EXPECT_GE(std::abs(m->number("x") - e->number("x")), 6) << m->title << " / " << e->title;
    }
    markers.push_back(e);
    numbers.insert(e->title.substr(0, e->title.find(':')));
  }
  EXPECT_EQ(findings, markers.size());
  EXPECT_EQ(findings, numbers.size());
  size_t refused = 0;
  for (const Element* e : doc.group("shots")) {
    if (e->name == "rect" && e->in("refused")) {
      ++refused;
      EXPECT_EQ("line " + std::to_string(3 + refused) + ": release refused, the body is still busy",
                e->title);
    }
  }
  EXPECT_EQ(2u, refused);
  expectNoTextsOverlap(doc);

  // Fourteen findings at the end of the whole row: every marker stays on the page, and every
  // finding's number is written beside its marker or, where there is no room, under the row.
  doc = plot(
      "#!quorvale\nwait utc=2026-08-12T18:00:00\nshot\nwait utc=2026-08-12T18:10:00\nshot\n"
      "set tv=1/3 av=99 iso=7 tv=1/7 av=77 iso=9\nset tv=1/3 av=99 iso=7 tv=1/7 av=77 iso=9\n"
      "comflash\n",
      {"-atutc", "2026-08-12T17:00"}, &r);
  ASSERT_GE(findingCount(r.out), 14u) << r.out;
  std::string written;
  for (const Element* e : doc.group("findings")) {
    if (e->name == "rect") {
      EXPECT_LE(e->number("x") + e->number("width"), 1500) << e->title;
    }
    if (e->name == "text") written += "|" + e->text.substr(0, e->text.find(':')) + "|";
  }
  for (const Element& e : doc.elements) {
    if (e.name != "text" || e.text.compare(0, 28, "no room beside their marks: ") != 0) continue;
    std::istringstream notes(e.text.substr(28));
    std::string note;
    while (std::getline(notes, note, ';')) {
      note.erase(0, note.find_first_not_of(' '));
      written += "|" + note.substr(0, note.find(':')) + "|";
    }
  }
  for (size_t n = 1; n <= findingCount(r.out); ++n) {
    EXPECT_NE(npos, written.find("|" + std::to_string(n) + "|")) << n << " in " << written;
  }
  expectNoTextsOverlap(doc);
}

// Whatever bytes a script holds, the drawing stays well-formed XML, its texts whole; a short
// script has no zoom.
TEST(PlotE2eTest, TimelineOfOddTextIsWellFormedWithoutZoom) {
  RunResult r;
  const SvgDocument doc =
      plot("#!quorvale\nshot\n\xff\x01<&\"\xc3 ]]>\nplay a<b>&c.wav\nshot\n", {}, &r);
  EXPECT_EQ(nullptr, doc.textStarting("zoom 1: "));
  EXPECT_NE(nullptr, doc.textStarting("line 4: play file 'a<b>&c.wav' cannot be played"));
  EXPECT_NE(nullptr, doc.textStarting("line 3, column 1: text no rule takes"));
}

}  // namespace
}  // namespace e2e
