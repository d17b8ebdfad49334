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
  if (at == npos) return 0;
  return std::strtoul(report.c_str() + at + 10, nullptr, 10);
}

struct Frame {
  unsigned shot;
  std::string tv;
  double x;
};

// The frames a row's shots lane draws, in x order: one per shot, from its bars' titles
// ("line 7: shot 3, Tv 1/250, body 529 ms").
std::vector<Frame> framesOf(const std::vector<const Element*>& lane) {
  std::vector<Frame> frames;
  std::set<unsigned> seen;
  for (const Element* e : lane) {
    if (e->name != "rect" || !e->in("shots")) continue;
    const size_t shotAt = e->title.find(": shot ");
    const size_t tvAt = e->title.find(", Tv ");
    if (shotAt == npos || tvAt == npos) continue;
    const unsigned shot = std::strtoul(e->title.c_str() + shotAt + 7, nullptr, 10);
    if (!seen.insert(shot).second) continue;
    const size_t tvEnd = e->title.find(',', tvAt + 5);
    frames.push_back(Frame{shot, e->title.substr(tvAt + 5, tvEnd - tvAt - 5), e->number("x")});
  }
  std::sort(frames.begin(), frames.end(), [](const Frame& a, const Frame& b) { return a.x < b.x; });
  return frames;
}

// The shots of |frames| that stand under a Tv label of |lane|: a label starts just right of its
// first frame with that frame's Tv; " ×n" takes the next frames of the same Tv along.
std::set<unsigned> labelledShots(const std::vector<Frame>& frames,
                                 const std::vector<const Element*>& lane) {
  std::set<unsigned> labelled;
  for (const Element* e : lane) {
    if (e->name != "text" || !e->in("shots")) continue;
    for (size_t k = 0; k < frames.size(); ++k) {
      const double x = e->number("x");
      if (x < frames[k].x || x > frames[k].x + 4) continue;
      if (e->text.compare(0, frames[k].tv.size(), frames[k].tv) != 0) continue;
      const size_t times = e->text.find(" \xC3\x97");
      const size_t n = times == npos ? 1 : std::strtoul(e->text.c_str() + times + 3, nullptr, 10);
      for (size_t j = k; j < k + n && j < frames.size() && frames[j].tv == frames[k].tv; ++j) {
        labelled.insert(frames[j].shot);
      }
      break;
    }
  }
  return labelled;
}

// True when some row draws the shots |from| to |to| at least 4 units apart, each under its Tv.
bool burstDrawnApart(const SvgDocument& doc, unsigned from, unsigned to) {
  for (const std::vector<const Element*>& lane : doc.groupsOf("shots")) {
    std::vector<Frame> frames = framesOf(lane);
    std::vector<Frame> burst;
    for (const Frame& f : frames) {
      if (f.shot >= from && f.shot <= to) burst.push_back(f);
    }
    if (burst.size() != to - from + 1) continue;
    bool apart = true;
    for (size_t k = 1; k < burst.size(); ++k) apart = apart && burst[k].x - burst[k - 1].x >= 4;
    const std::set<unsigned> labelled = labelledShots(frames, lane);
    bool allLabelled = true;
    for (const Frame& f : burst) allLabelled = allLabelled && labelled.count(f.shot) != 0;
    if (apart && allLabelled) return true;
  }
  return false;
}

// Every pair of texts in the drawing, checked for overlap.
void expectNoTextsOverlap(const SvgDocument& doc) {
  std::vector<const Element*> texts;
  for (const Element& e : doc.elements) {
    if (e.name == "text") texts.push_back(&e);
  }
  for (size_t i = 0; i < texts.size(); ++i) {
    for (size_t j = i + 1; j < texts.size(); ++j) {
      EXPECT_FALSE(textBox(*texts[i]).overlaps(textBox(*texts[j])))
          << "\"" << texts[i]->text << "\" at " << texts[i]->number("x") << ","
          << texts[i]->number("y") << " and \"" << texts[j]->text << "\" at "
          << texts[j]->number("x") << "," << texts[j]->number("y");
    }
  }
}

// The script line numbers a moment label names: "lines 36, 37: ...", "12: ...", "13…20".
std::set<unsigned> namedLines(std::string text) {
  std::set<unsigned> lines;
  if (text.compare(0, 6, "lines ") == 0) text.erase(0, 6);
  if (text.compare(0, 5, "line ") == 0) text.erase(0, 5);
  text = text.substr(0, text.find(':'));
  const size_t range = text.find("\xE2\x80\xA6");
  if (range != npos) {
    for (unsigned n = std::strtoul(text.c_str(), nullptr, 10),
                  last = std::strtoul(text.c_str() + range + 3, nullptr, 10);
         n <= last; ++n) {
      lines.insert(n);
    }
    return lines;
  }
  std::istringstream in(text);
  std::string number;
  while (std::getline(in, number, ',')) lines.insert(std::strtoul(number.c_str(), nullptr, 10));
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
      EXPECT_NE(nullptr, own);
      if (label == nullptr || own == nullptr) {
        ADD_FAILURE() << "a moment without a label";
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
  EXPECT_NE(npos, r.out.find("  line 5: shot 2: the body is still busy")) << r.out;

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

}  // namespace
}  // namespace e2e
