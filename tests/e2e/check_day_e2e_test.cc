// The check against the day: the plan's shot moments against a run of the same script at 1x, and
// the findings about cards, battery, prompts, dates, the serial port, and the rows of the plan.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/svg_document.h"

namespace e2e {
namespace {

void expectContains(const std::string& text, const std::vector<std::string>& parts) {
  for (const std::string& part : parts) EXPECT_NE(npos, text.find(part)) << part << "\n" << text;
}

RunResult run(std::vector<std::string> arguments, const std::string& script,
              const std::string& world = "") {
  RunOptions options;
  options.arguments = std::move(arguments);
  options.environment.push_back({"TZ", std::string("UTC")});
  options.files.push_back({"test.qvs", script});
  if (!world.empty()) options.files.push_back({"w.ini", world});
  return runQuorvale(options);
}

// The releases of the plan, in ms after the checkpoint of line 3, by shot number.
std::map<int, long> plannedReleases(const std::string& plan) {
  std::map<int, long> releases;
  static const std::regex kShot(
      "shot ([0-9]+) at checkpoint \\(line 3\\) \\+([0-9]+)\\.([0-9]{3}) s:");
  for (std::sregex_iterator it(plan.begin(), plan.end(), kShot), end; it != end; ++it) {
    releases[std::stoi((*it)[1])] = std::stol((*it)[2]) * 1000 + std::stol((*it)[3]);
  }
  return releases;
}

// The time of day a log line starts with ("18:28:08.450 "), in ms.
long logMs(const std::string& line) {
  int h = 0, m = 0, sec = 0, ms = 0;
  std::sscanf(line.c_str(), "%d:%d:%d.%d", &h, &m, &sec, &ms);
  return ((h * 60L + m) * 60 + sec) * 1000 + ms;
}

// The releases of a run's log (each "takePicture: Tv=" trace follows its release at once), in ms
// after the checkpoint was set.
std::map<int, long> runReleases(const std::string& log) {
  std::map<int, long> releases;
  std::istringstream in(log);
  std::string line;
  long checkpoint = -1;
  int shot = 0;
  while (std::getline(in, line)) {
    if (line.size() < 13) continue;
    if (line.find(" MSG: Set checkpoint at ") == 12) checkpoint = logMs(line);
    if (line.find(" TRC: takePicture: Tv=") == 12 && checkpoint >= 0) {
      releases[++shot] = logMs(line) - checkpoint;
    }
  }
  return releases;
}

// The line the run's log gives frame |number|, or "" when the body took no such frame.
std::string frameLine(const std::string& log, int number) {
  const size_t at = log.find("Frame #" + std::to_string(number) + ": ");
  return at == npos ? "" : log.substr(at, log.find('\n', at) - at);
}

// A run stores the frames up to |lastStored| and not the next, which fails with |reason| (as a
// shot error or, when the body tells after the shot's wait, as that frame's late fate).
void expectRunStopsAfter(const std::string& script, const std::string& world, int lastStored,
                         const std::string& reason) {
  const RunResult r =
      run({"-sim", "w.ini", "-speed", "10", "-script", "test.qvs", "-log"}, script, world);
  for (int i = 1; i <= lastStored; ++i) {
    const std::string line = frameLine(r.log, i);
    EXPECT_EQ(", stored", line.substr(line.size() < 8 ? 0 : line.size() - 8)) << r.log;
  }
  const std::string next = frameLine(r.log, lastStored + 1);
  EXPECT_EQ(npos, next.find(", stored")) << r.log;
  EXPECT_NE(npos, r.err.find(": " + reason + "\n")) << r.err;
}

// Settings, a burst and changes of quality, on the default bodies and on world-file bodies: the
// plan's release moments are those of a run at 1x, within 50 ms, and every quality the legacy
// body takes is planned without a finding.
TEST(CheckDayE2eTest, ShotMomentsMeetARunAtOneTimesSpeed) {
  const std::string script =
      "#!quorvale\nset quality=L\ncheckpoint\nshot\nshot\nshot tv=1/250 av=8\nset quality=RAW+L\n"
      "set quality=M\nset quality=RAW\nshot\nshot\nshot\n";
  struct Body {
    std::vector<std::string> arguments;
    std::string world;
  };
  const Body bodies[] = {
      {{"-sim"}, ""},
      {{"-sim", "-camera", "1"}, ""},
      {{"-sim", "w.ini"},
       "[camera legacy]\nevent_delay_ms = 40\nwrite_speed = 4MB/s\nprocessing_ms = 200\n"
       "battery = 60\nbattery_drain_per_shot = 0.5\n"},
      {{"-sim", "w.ini"}, "[camera ptp]\nwrite_speed = 20MB/s\nbuffer = 100MB\n"},
  };
  for (const Body& body : bodies) {
    std::vector<std::string> arguments = body.arguments;
    arguments.insert(arguments.end(), {"-script", "test.qvs", "-log"});
    const RunResult day = run(arguments, script, body.world);
    ASSERT_EQ(0, day.exitCode) << day.out << day.err;
    arguments.back() = "-check";
    const RunResult plan = run(arguments, script, body.world);
    EXPECT_EQ(0, plan.exitCode) << plan.out;

    const std::map<int, long> planned = plannedReleases(plan.out);
    const std::map<int, long> ran = runReleases(day.log);
    ASSERT_EQ(6u, planned.size()) << plan.out;
    ASSERT_EQ(6u, ran.size()) << day.log;
    for (const auto& shot : planned) {
      EXPECT_NEAR(shot.second, ran.at(shot.first), 50)
          << "shot " << shot.first << " of " << body.arguments.back() << "\n"
          << plan.out << day.log;
    }
  }
}

// A small card at RAW: the shot that no longer fits, as a run meets it.
TEST(CheckDayE2eTest, CardRoomAtTheQualitiesTheScriptSets) {
  std::string script = "#!quorvale\nset quality=RAW\n";
  for (int i = 0; i < 8; ++i) script += "shot\n";
  const std::string world = "[camera ptp]\ncard = CF 150MB\n";
  RunResult r = run({"-check", "-sim", "w.ini", "-script", "test.qvs"}, script, world);
  EXPECT_EQ(4, r.exitCode);
  expectContains(
      r.out, {"Card: 150.0 MB free (room for 18 shot(s) at the body's quality); the script's "
              "shots take 150.0 MB; shot 6 finds no room\n",
              "Findings: 1\n  line 8: shot 6: no card has room for it (RAW, 30.0 MB; 0.0 MB "
              "left): a run prints \"Capture error: Card error (including CARD-FULL/No.-FULL)\" "
              "and the body refuses the releases after it\n"});

  expectRunStopsAfter(script, world, 5, "Card error (including CARD-FULL/No.-FULL)");

  // Two cards, the first too small for a RAW but not for a JPEG: the qualities are counted shot
  // by shot, and images go to the first card with room.
  r = run({"-check", "-sim", "w.ini", "-script", "test.qvs"},
          "#!quorvale\nset quality=RAW\nshot\nset quality=L\nshot\nshot\nset quality=RAW\nshot\n",
          "[camera ptp]\ncard = CF 20MB\ncard = SD 40MB\n");
  expectContains(r.out, {"the script's shots take 46.0 MB; shot 4 finds no room\n",
                         "  line 8: shot 4: no card has room for it (RAW, 30.0 MB; 14.0 MB left)"});
}

// A body at 3 % that uses 1 % a shot, and the default body over a long script: the shot at which
// the battery runs out, as a run meets it, and the level expected at the end.
TEST(CheckDayE2eTest, BatteryRunsOutAtTheShotARunMeets) {
  const std::string world = "[camera ptp]\nbattery = 3\nbattery_drain_per_shot = 1\n";
  const std::string script = "#!quorvale\nshot\nshot\nshot\nshot\nshot\nshot\n";
  RunResult r = run({"-check", "-sim", "w.ini", "-script", "test.qvs"}, script, world);
  EXPECT_EQ(4, r.exitCode);
  expectContains(r.out, {"Battery: 3.0 % at the start (1.0 % a shot, 2.0 % an hour), empty at "
                         "shot 4\n",
                         "  line 5: shot 4: the battery is empty (3.0 % at the start, 1.0 % a "
                         "shot, 2.0 % an hour): the body switches off, a run prints \"Shot error: "
                         "Port disconnected\"\n"});
  expectRunStopsAfter(script, world, 3, "Port disconnected");

  // The default body: 85 %, 0.1 % a shot, 2 % an hour.
  std::string many = "#!quorvale\n";
  for (int i = 0; i < 950; ++i) many += "shot\n";
  r = run({"-check", "-sim", "-script", "test.qvs"}, many);
  expectContains(r.out, {"empty at shot 845\n", "  line 846: shot 845: the battery is empty"});
  r = run({"-check", "-sim", "-script", "test.qvs"}, "#!quorvale\nshot\nwait sleep=3:00:00\n");
  expectContains(r.out, {"Battery: 85.0 % at the start (0.1 % a shot, 2.0 % an hour), 79 % "
                         "expected at the end\n",
                         "Findings: none\n"});
}

// Shots that end after the clock time a wait is for: the row shows the moment, then when it is
// reached and by how much; the picture labels the moment and draws the overrun red.
TEST(CheckDayE2eTest, ALateMomentIsShownAtItsDueTime) {
  RunOptions options;
  options.arguments = {"-check", "-sim", "-atutc", "2026-08-12T18:28:49", "-script", "test.qvs"};
  options.files = {{"test.qvs",
                    "#!quorvale\nwait utc=\"2026-08-12 18:28:50\"\nshot tv=4\"\nshot tv=4\"\n"
                    "shot tv=4\"\nwait utc=\"2026-08-12 18:29:00\"\nshot\n"}};
  RunResult r;
  const SvgDocument doc = runPlot(options, &r);
  EXPECT_EQ(4, r.exitCode);
  expectContains(r.out,
                 {"    6  2026-08-12 18:29:00.000 (18:29:00.000 UTC)   wait utc=\"2026-08-12 "
                  "18:29:00\"\n"
                  "       reached 2026-08-12 18:29:03.050 (18:29:03.050 UTC), 3.050 s after "
                  "its moment\n"
                  "    7  2026-08-12 18:29:03.050 (18:29:03.050 UTC)   shot\n"});
  std::vector<std::string> spans;
  for (const Element* e : doc.group("overruns")) {
    if (e->name == "rect") spans.push_back(e->attributes.at("fill") + " " + e->title);
  }
  EXPECT_EQ(std::vector<std::string>{"#d00000 line 6: reached 3.050 s after its moment"}, spans);
  EXPECT_NE(nullptr, doc.textStarting("line 6: 18:29:00 (18:29:00 UTC)"));
}

// Findings and rows of single scripts: a wait counted from a checkpoint set before a prompt moves
// with the answer (one counted from a checkpoint after it does not); a first clock time nine days
// after the check (clock times on two dates: EveryKindOfFinding); -com on a memory device, which
// is no serial line; a line of 2405 bytes of two-byte characters, cut before 2000 bytes at a whole
// character with a mark, the next row keeping its own line; a text without header runs nothing.
TEST(CheckDayE2eTest, FindingsAndRowsOfSingleScripts) {
  std::string longLine = "echo ";
  for (int i = 0; i < 1200; ++i) longLine += "\xc3\xa9";
  const struct {
    std::string script, part;
    std::vector<std::string> extra = {};
  } cases[] = {
      {"#!quorvale\ncheckpoint\nshot\nwait user=\"Ready?\"\nwait point=10\ncheckpoint\n"
       "wait point=10\n",
       "Findings: 1\n  line 5: the wait counts from the checkpoint of line 2, before the prompt of "
       "line 4: an answer later than 9.742 s finds its moment past (a run prints \"Moment in the "
       "past. Continue\")\n"},
      {"#!quorvale\nwait user\nwait point=10\n",
       "  line 3: the wait counts from the start, before the prompt of line 2"},
      {"#!quorvale\nwait utc=\"2026-08-21 18:27:00\"\nshot\n",
       "  line 2: the first clock time, 2026-08-21 18:27:00.000 (18:27:00.000 UTC), is 9 days, "
       "10:27:00.000 after the start of the check, 2026-08-12 08:00:00.000 (08:00:00.000 UTC): is "
       "its date right?\n",
       {"-atutc", "2026-08-12T08:00"}},
      {"#!quorvale\ncomflash\n",
       "Findings: 1\n  script: -com /dev/null: not a serial line (/dev/null is the mem device "
       "\"null\"): a run cannot pulse a flash on it\n",
       {"-com", "/dev/null"}},
      {"#!quorvale\n" + longLine + "\necho b\n",
       "    2  start +0.000 s                               " + longLine.substr(0, 1999) +
           "\xe2\x80\xa6\n    3  start +0.000 s                               echo b\n"},
      {"notes, but no header line\nshot\n",
       "Findings: 1\n  script: no command would run: no line starts with \"#!quorvale\", or "
       "nothing "
       "follows it\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"-check", "-sim", "-script", "test.qvs"};
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    expectContains(run(arguments, c.script).out, {c.part});
  }
}

// -com on a pseudo-terminal: no serial line either.
TEST(CheckDayE2eTest, ComOnAPseudoTerminalIsNoSerialLine) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
  const std::string slave = ptsname(master);
  const RunResult r =
      run({"-check", "-sim", "-script", "test.qvs", "-com", slave}, "#!quorvale\ncomflash\n");
  close(master);
  expectContains(r.out, {"  script: -com " + slave + ": not a serial line (" + slave +
                         " is character device "});
}

// A shot line releases after its set items; a flash line's moment is RTS rising, and the line
// after it comes when the pulse ends.
TEST(CheckDayE2eTest, ReleaseAndPulseMoments) {
  const RunResult r = run({"-check", "-sim", "-script", "test.qvs", "-com", "/dev/null"},
                          "#!quorvale\nshot tv=1/2000 av=8\ncomflash comflashtime=150\necho\n");
  expectContains(r.out, {"    2  start +0.000 s                               shot tv=1/2000 av=8\n"
                         "       shot 1 at start +0.200 s: Tv 1/2000,"});
  std::smatch m;
  const std::regex kFlash(
      "\n    3  start \\+0\\.([0-9]{3}) s +comflash comflashtime=150\n"
      "       flash pulse 0\\.150 s, RTS raised at start \\+0\\.([0-9]{3}) s\n"
      "    4  start \\+0\\.([0-9]{3}) s +echo\n");
  ASSERT_TRUE(std::regex_search(r.out, m, kFlash)) << r.out;
  EXPECT_EQ(m[1], m[2]);
  EXPECT_GT(std::stoi(m[1]), 200);  // after the shot
  EXPECT_EQ(std::stoi(m[1]) + 150, std::stoi(m[3]));
}

// tv=<n> for n >= 2 is 1/n s by the table's convention: found, with what to write for seconds
// (the example eclipse script has none: EclipsePlanOnTheDay).
TEST(CheckDayE2eTest, AWholeNumberTvIsFound) {
  const std::string script = "#!quorvale\nshot tv=2\nset tv=1\nset tv=30\"\nset tv=15\n";
  RunResult r = run({"-check", "-sim", "-script", "test.qvs"}, script);
  EXPECT_EQ(4, r.exitCode);
  expectContains(r.out, {"       shot 1 at start +0.100 s: Tv 0\"5,",
                         "Findings: 2\n  line 2: tv=2 is 1/2 s (Tv 0\"5); for 2 seconds write "
                         "tv=2\"\n  line 5: tv=15 is 1/15 s (Tv 1/15); for 15 seconds write "
                         "tv=15\"\n"});
  r = run({"-sim", "-speed", "10", "-script", "test.qvs"}, script);
  expectContains(r.out, {"set Tv=2 -> 0\"5\n", "set Tv=15 -> 1/15\n"});
}

}  // namespace
}  // namespace e2e
