// The script check end to end: plans of the example scripts and one script seeded with every kind
// of finding (the timeline: plot_e2e_test.cc).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

RunResult check(const std::string& script, std::vector<std::string> extra = {},
                std::vector<std::pair<std::string, std::string>> files = {}) {
  RunOptions options;
  options.arguments = {"-check", "-sim"};  // |extra| may start with a world file
  options.arguments.insert(options.arguments.end(), extra.begin(), extra.end());
  options.arguments.insert(options.arguments.end(), {"-script", "test.qvs"});
  options.files = std::move(files);
  options.files.push_back({"test.qvs", script});
  return runQuorvale(options);
}

void expectContains(const std::string& text, const std::vector<std::string>& parts) {
  for (const std::string& part : parts) EXPECT_NE(npos, text.find(part)) << part << "\n" << text;
}

TEST(CheckE2eTest, DemoPlanIsTheRunsTimingAndActsOnNothing) {
  RunResult r = check(exampleText("demo.qvs"));
  EXPECT_EQ(4, r.exitCode);
  EXPECT_EQ("", r.err);  // what the run would print is judged, not shown
  expectContains(
      r.out, {" line  moment                                       command\n"
              "    6  start +0.000 s                               echo Quorvale demo: timing, "
              "settings, shots, flash and lock\n",
              "   14  checkpoint (line 7) +0.400 s                 shot tv=1/500\n"
              "       shot 1 at checkpoint (line 7) +0.500 s: Tv 1/500, exposure 0.002 s + "
              "processing 0.150 s + storing 0.100 s = body 0.252 s; holds the script 0.252 s\n"
              "   15  checkpoint (line 7) +1.252 s                 wait sleep=0.5\n",
              "   30  checkpoint (line 7) +4.500 s                 wait checkpoint=0:04.5\n",
              "Totals: 4 shot(s); from the first to the last timed step 4.000 s\n"
              "Card: 91000.0 MB free (room for 11375 shot(s) at the body's quality); the script's "
              "shots take 32.0 MB\n"
              "Battery: 85.0 % at the start (0.1 % a shot, 2.0 % an hour), 85 % expected at the "
              "end\nClock: "});
  EXPECT_EQ("Findings: 1\n  line 25: flash without -com: a run prints \"COM port not open\"\n",
            r.out.substr(r.out.find("Findings: ")));

  // A port given is only looked at (it does not exist here).
  r = check(exampleText("demo.qvs"), {"-com", "/dev/no_such_port"});
  EXPECT_EQ(
      "Findings: 1\n  script: -com /dev/no_such_port: the port cannot be opened "
      "(/dev/no_such_port: No such file or directory)\n",
      r.out.substr(r.out.find("Findings: ")));
}

TEST(CheckE2eTest, WorldFileBodyTimesTheBurst) {
  // RAW at 10 MB/s, 3 s a frame, five in the buffer: shots 6 and 7 wait for room, the wait is late.
  RunResult r =
      check("#!quorvale\ncheckpoint\nshot\nshot\nshot\nshot\nshot\nshot\nshot\nwait point=4\n",
            {"w.ini"}, {{"w.ini", "[camera ptp]\nquality = RAW\nwrite_speed = 10MB/s\n"}});
  EXPECT_EQ(4, r.exitCode);
  expectContains(
      r.out,
      {"       shot 6 at checkpoint (line 2) +3.158 s: Tv 1/125, exposure 0.008 s + processing "
       "0.150 s + storing 3.000 s = body 3.158 s after 12.200 s for the shots before; holds the "
       "script 0.918 s\n",
       "Findings: 1\n  line 10: not reached in time: the 7 shot(s) before it end 2.718 s after "
       "checkpoint (line 2) +4.000 s; "});
}

TEST(CheckE2eTest, EveryKindOfFinding) {
  const std::string script =
      "notes\n#!quorvale\n"
      "shto tv=1/500\n"                 // 3
      "set tv=1/9999 iso=6\n"           // 4
      "wait utc=2030-06-01T10:00:00\n"  // 5
      "checkpoint\n"                    // 6
      "shot tv=2\"\nshot\nshot\nshot\nshot\n"
      "wait point=5\n"                  // 12
      "wait utc=2030-06-01T09:00:00\n"  // 13
      "wait utc=2001-01-01T00:00:00\n"  // 14
      "play missing.wav\n"              // 15
      "play bad.wav\n"                  // 16
      "comflash\n"                      // 17
      "wait 5\n";                       // 18
  RunResult r =
      check(script, {"-atutc", "2030-06-01T08:30:00"}, {{"bad.wav", "RIFF, but no sound at all"}});
  EXPECT_EQ(4, r.exitCode);
  expectContains(
      r.out,
      {"  line 3, column 1: text no rule takes (a run prints \"Skip\" for it): \"shto "
       "tv=1/500\"\n",
       "  line 4: no table has this value: a run prints \"set Tv=1/9999 -> ", ": Not supported\"\n",
       "  line 4: the body does not offer this value: a run prints \"set ISO=6 -> ",
       ": Device parameter invalid\"\n",
       "  line 12: not reached in time: the 5 shot(s) before it end 6.350 s after ",
       "  line 13: moment goes backwards: ", "(09:00:00.000 UTC) is before the moment of line 5, ",
       "  line 14: moment already past: ", "  line 15: play file 'missing.wav' cannot be played: ",
       "  line 16: play file 'bad.wav' cannot be played: ",
       "  line 17: flash without -com: a run prints \"COM port not open\"\n",
       "  line 18, column 6: text no rule takes (a run prints \"Skip\" for it): \"wait 5\"\n",
       "  script: the clock times fall on 2 dates: 2030-06-01 (line 5), 2001-01-01 (line 14)\n"});
  EXPECT_EQ(npos, r.out.find("line 7:")) << r.out;  // tv=2" is 2 seconds
  // Each line is reported once, however many bytes a run would skip.
  EXPECT_EQ(r.out.find("line 3, column"), r.out.rfind("line 3, column"));
}

// On the day every contact lies ahead; an hour before second contact the first moments are past.
TEST(CheckE2eTest, EclipsePlanOnTheDay) {
  RunResult r =
      check(exampleText("eclipse.qvs"), {"-atutc", "2026-08-12T15:00"}, {{"filter_on.wav", "x"}});
  expectContains(r.out,
                 {"(15:00:00.000 UTC)\n", "Eclipse 2026-08-12 (Total) at 42.34390 N, 3.69690 W",
                  " UTC)   wait c1=+1:30\n", " UTC)   wait c2=-1:00\n", " UTC)   wait c2=0\n",
                  "Totals: 18 shot(s); from the first to the last timed step ",
                  "   61  prompt (line 60) +0.000 s                    shot tv=1/1000\n",
                  "  line 58: play file 'filter_on.wav' cannot be played: "});
  EXPECT_EQ(npos, r.out.find("already past")) << r.out;
  EXPECT_EQ(npos, r.out.find(": tv=")) << r.out;  // no Tv of the example is a slip

  r = check(exampleText("eclipse.qvs"), {"-atutc", "2026-08-12T18:28"});
  expectContains(r.out, {"  line 15: moment already past: ", "  line 26: moment already past: "});
  EXPECT_EQ(npos, r.out.find("line 31: moment already past")) << r.out;
}

}  // namespace
}  // namespace e2e
