// Rehearsals through the program: the time shift across midnight and a summer-time change, the
// time scale, and world files with their bodies and faults (refused options: time_edges).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

RunResult rehearse(const std::string& script, std::vector<std::string> arguments,
                   std::vector<std::pair<std::string, std::string>> files = {}) {
  RunOptions options;
  options.arguments = std::move(arguments);
  options.arguments.insert(options.arguments.end(), {"-script", "test.qvs", "-log"});
  options.files = std::move(files);
  options.files.push_back({"test.qvs", "#!quorvale\n" + script});
  options.environment = {{"TZ", std::string("Europe/Berlin")}};
  // A scale that did not work would need a minute and more for these scripts.
  options.timeoutMs = 20000;
  return runQuorvale(options);
}

TEST(RehearsalE2eTest, ShiftedClockCrossesMidnightAndTheSummerTimeChange) {
  // A second after local 01:59:59 the clock reads 03:00:00 (CET to CEST); waits keep their length.
  RunResult r = rehearse(
      "wait sleep=1\ncheckpoint\nwait time=\"2026-03-29 03:00:01\"\nwait utc=2026-03-29T00:00\n"
      "wait point=2\n",
      {"-sim", "-at", "2026-03-29 01:59:59"});
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ(kBanner + kSession +
                "Sleep: 1 seconds\nSet checkpoint at 03/29/26 03:00:00\n"
                "Wait for 03/29/26 03:00:01\nContinue\n"
                "Wait for 03/29/26 00:00:00 GMT\nMoment in the past. Continue\n"
                "Wait checkpoint for 03/29/26 03:00:02\nContinue\nClose session\n",
            r.out);
  EXPECT_NE(npos, normalizeLog(r.log).find("T TRC: Script clock: starts at 03/29/26 01:59:59 "))
      << r.log;

  // The start moment is read at once: the second checkpoint falls a whole second into the new year.
  r = rehearse("checkpoint\nwait sleep=1\ncheckpoint\n", {"-sim", "-atutc", "2026-12-31 22:59:59"});
  EXPECT_EQ(kBanner + kSession +
                "Set checkpoint at 12/31/26 23:59:59\nSleep: 1 seconds\n"
                "Set checkpoint at 01/01/27 00:00:00\nClose session\n",
            r.out);
}

// Faults by shot number, a body that joins later, and a release while the shutter is open.
TEST(RehearsalE2eTest, WorldFileFaultsReachTheScript) {
  RunResult r =
      rehearse("shot\nshot\nshot\nshot\nshot\nshot\nshot tv=4s mul=0.1\nshot\n", {"-sim", "w.ini"},
               {{"w.ini",
                 "[camera ptp]\nbusy_on_shot = 2\ncapture_error_on_shot = 3 2\n"
                 "lost_completion_on_shot = 4\nlate_completion_on_shot = 5 300\n"
                 "lost_events_on_shot = 6\n[camera legacy]\nadded_after = 0.2\n"}});
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ(kBanner + kSession +
                "Shot #1: ok\nShot #2: ok\nShot #3: ok\nShot #4: ok\nset Tv=4s -> 4\"\n"
                "set TimeMultiplier=0.1x -> 0.1x\nShot #5: ok\nClose session\n",
            r.out);
  // Frames are numbered by release (a refused one is none): frame 3 was reported as "Shot #2",
  // frame 5 as "Shot #4"; neither completion came.
  EXPECT_EQ(
      "Shot error: Device busy! Camera unstable!\nCapture error: The lens was closed\n"
      "Shot error: The lens was closed\n"
      "Shot #2: unconfirmed after its wait: no completion came from the body\n"
      "Shot error: Device busy! Camera unstable!\n"
      "Shot #4: unconfirmed after its wait: no completion came from the body\n"
      "Frames: 6 released, 3 stored, 1 failed (#2), 2 unconfirmed (#3 #5)\n",
      r.err);
  EXPECT_NE(npos, normalizeLog(r.log).find("T TRC: Camera added\n")) << r.log;
}

// Property faults, a body without UI lock, late events, and a battery that empties with a shot.
TEST(RehearsalE2eTest, PropertyFaultsLateEventsAndAnEmptyBattery) {
  RunResult r = rehearse("set iso=200 av=8\nlockui\nshot\nshot\n", {"-sim", "w.ini"},
                         {{"w.ini",
                           "[camera ptp]\nbattery = 1\nbattery_drain_per_shot = 1\n"
                           "read_error = iso 0x81\nwrite_error = av 0x86\ndesc_error = tv 7\n"
                           "ui_lock_result = 7\nevent_delay_ms = 2000\n"}});
  EXPECT_EQ(kBanner + kSession + "set ISO=200 -> \nCamera locked\nShot #1: ok\nClose session\n",
            r.out);
  EXPECT_NE(npos, r.err.find("set Av=8 -> 5.6: Device parameter invalid\n")) << r.err;
  EXPECT_NE(npos, r.err.find("Shot error: Port disconnected\n")) << r.err;
  const std::string log = normalizeLog(r.log);
  EXPECT_NE(npos, log.find("T TRC: EdsGetProperyDesc error: 00000007 Not supported\n")) << log;
  EXPECT_NE(npos, log.find("T TRC: takePicture: continue by timeout\n")) << log;
  EXPECT_EQ(npos, log.find("T TRC: Lock camera\n")) << log;
}

// What a rehearsal meets does not depend on its speed: at the highest factor the program's own
// work and its waits for the body take their real time, as at 1x, and only the script's waits
// pass faster, each ending at its moment.
TEST(RehearsalE2eTest, BusyFramesAtTheHighestSpeedAreThoseOfARunAt1x) {
  std::string paced = "set bufsize=20\ncheckpoint\nshot\n";
  for (int second = 1; second <= 6; ++second) {
    paced += "wait point=" + std::to_string(second) + "\nshot\n";
  }
  const struct {
    std::string world;
    std::string script;
    size_t busy;  // releases that find the buffer full at 1x
  } cases[] = {
      // A release a second on a body that keeps one RAW frame and writes it in 2.5 s: two of each
      // three releases are refused, with a third of a second or more to spare either way.
      {"buffer_frames = 1\nraw_size = 30MB\nwrite_speed = 12MB/s\n", paced, 4},
      // A burst: each release waits 0.56 s for its frame, which the card writes in 0.95 s; the
      // buffer's three frames are full at the sixth release (0.2 s before the third frame is
      // written, 0.2 s after the second was), and a refusal comes at once, so all after it are
      // refused too.
      {"buffer_frames = 3\nraw_size = 28.5MB\nwrite_speed = 30MB/s\n",
       "set bufsize=20\nshot\nshot\nshot\nshot\nshot\nshot\nshot\nshot\n", 3},
  };
  const std::string busy = "Shot error: Device busy! Camera unstable!\n";
  for (const auto& c : cases) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"w.ini", "[camera ptp]\nquality = RAW\n" + c.world}};
    RunResult slow = rehearse(c.script, {"-sim", "w.ini", "-atutc", "2026-08-12 18:00:00"}, files);
    RunResult fast = rehearse(
        c.script, {"-sim", "w.ini", "-atutc", "2026-08-12 18:00:00", "-speed", "1000"}, files);
    std::string busyFrames;
    for (size_t i = 0; i < c.busy; ++i) busyFrames += busy;
    EXPECT_EQ(busyFrames, slow.err) << c.script;
    EXPECT_EQ(slow.err, fast.err) << c.script;
    EXPECT_EQ(slow.out, fast.out) << c.script;
  }
}

// A body's default idle minute powers it off unless the program extends the timer when warned.
TEST(RehearsalE2eTest, PowerOffDuringALongWaitWithAndWithoutTheDefence) {
  for (bool defended : {true, false}) {
    RunResult r = rehearse("wait sleep=150\nshot\n", {"-sim", "w.ini", "-speed", "100"},
                           {{"w.ini", std::string("[camera ptp]\n") +
                                          (defended ? "" : "refuse_extend_shutdown = 0x81\n")}});
    const std::string log = normalizeLog(r.log);
    EXPECT_NE(npos, log.find("T TRC: OnStateWillSoonShutDown: seconds=10\n")) << log;
    if (defended) {
      EXPECT_NE(npos, log.find("T TRC: Do ExtendShutDownTimer: 00000000 OK\n")) << log;
      EXPECT_EQ(npos, log.find("OnStateShutdown")) << log;
      EXPECT_NE(npos, r.out.find("Shot #1: ok\n")) << r.out;
    } else {
      EXPECT_NE(npos, log.find("T TRC: Do ExtendShutDownTimer: 00000081 Device busy! Camera "
                               "unstable!\nT TRC: OnStateShutdown / remove camera\n"))
          << log;
      EXPECT_EQ(npos, r.out.find("Shot #1")) << r.out;
    }
  }
}

// Body keys of a world file as the check plans them and as the run meets them: the body's times,
// its buffer's frames and bytes, a refused release, a battery that empties with time.
TEST(RehearsalE2eTest, BodyKeysTakeEffectInTheCheckAndTheRun) {
  struct Case {
    const char* world;
    const char* script;
    const char* speed;        // of the run; null: the check
    std::string expected;     // a whole line, or lines, of the output
    const char* errors = "";  // what the run writes to stderr
    // Whether |errors| is the whole of stderr. A body that dies mid-run may be reported lost by
    // its event thread before or after the failed command's line.
    bool wholeErrors = true;
  };
  const Case cases[] = {
      {"jpeg_size = 16MB\nwrite_speed = 8MB/s\nprocessing_ms = 40\n", "shot\n", nullptr,
       "       shot 1 at start +0.000 s: Tv 1/125, exposure 0.008 s + processing 0.040 s + storing "
       "2.000 s = body "
       "2.048 s; holds the script 0.560 s\n"},
      {"write_speed = 0MB/s\nstore_ms = 700\n", "shot\n", nullptr,
       "       shot 1 at start +0.000 s: Tv 1/125, exposure 0.008 s + processing 0.150 s + storing "
       "0.700 s = body "
       "0.858 s; holds the script 0.560 s\n"},
      // An L JPEG takes 8 s on the card: the buffer's two frames are full at the third release.
      {"buffer_frames = 2\nwrite_speed = 1MB/s\n", "shot\nshot\nshot\n", nullptr,
       "Findings: 1\n  line 4: shot 3: the body is still busy (2 of 2 images of this quality in "
       "its buffer): a run prints \"Shot error: Device busy! Camera unstable!\"\n"},
      {"buffer_frames = 2\nwrite_speed = 1MB/s\n", "shot\nshot\nshot\n", "10",
       "Shot #1: ok\nShot #2: ok\nClose session\n", "Shot error: Device busy! Camera unstable!\n"},
      // The fourth 30 MB RAW frame does not fit in 100 MB while the card writes the first (6 s).
      {"quality = RAW\nraw_size = 30MB\nbuffer = 100MB\nwrite_speed = 5MB/s\n",
       "set bufsize=20\nshot\nshot\nshot\nshot\n", "10",
       "set BufferSize=20 -> 20\nShot #1: ok\nShot #2: ok\nShot #3: ok\nClose session\n",
       "Shot error: Device busy! Camera unstable!\n"},
      {"refuse_release = 0x81\n", "shot\n", "100", kSession + "Close session\n",
       "Shot error: Device busy! Camera unstable!\n"},
      // 1 % at 100 % an hour lasts 36 s.
      {"battery = 1\nbattery_drain_per_hour = 100\nbattery_drain_per_shot = 0\n",
       "shot\nwait sleep=60\nshot\n", "100", "Shot #1: ok\nSleep: 60 seconds\n",
       "Shot error: Port disconnected\n", false},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = {"-sim", "w.ini"};
    if (c.speed == nullptr) {
      arguments.insert(arguments.begin(), "-check");
    } else {
      arguments.insert(arguments.end(), {"-speed", c.speed});
    }
    RunResult r =
        rehearse(c.script, arguments, {{"w.ini", std::string("[camera ptp]\n") + c.world}});
    EXPECT_NE(npos, r.out.find(c.expected)) << c.world << c.script << "\n" << r.out;
    if (c.speed != nullptr) {
      if (c.wholeErrors) {
        EXPECT_EQ(c.errors, r.err) << c.world << c.script;
      } else {
        EXPECT_NE(npos, r.err.find(c.errors)) << c.world << c.script << "\n" << r.err;
      }
    }
  }
}

// The README's dry run of the eclipse example on its rehearsal world, 1000 times faster: the
// planned capture error comes at the diamond ring and the sequence runs to its end.
TEST(RehearsalE2eTest, EclipseDryRunOnTheExampleWorld) {
  RunOptions options;
  options.arguments = {"-sim",   "world.ini",           "-speed",  "1000",
                       "-atutc", "2026-08-12 17:20:00", "-script", "eclipse.qvs"};
  options.files = {{"world.ini", exampleText("eclipse_rehearsal.ini")},
                   {"eclipse.qvs", exampleText("eclipse.qvs")}};
  // The shots take their real time (about 0.6 s each), the waits between them a thousandth.
  options.timeoutMs = 90000;
  RunResult r = runQuorvale(options);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_NE(npos, r.out.find("Open session with Canon EOS 5D Mark IV (rehearsal)\n")) << r.out;
  // The first wait is 1:30 after C1 at the example's site (C1 at 17:33:23.1 UTC).
  EXPECT_NE(npos, r.out.find("Wait for 08/12/26 17:34:53 GMT\nContinue\n")) << r.out;
  EXPECT_NE(npos, r.out.find("Sequence complete.\nClose session\n")) << r.out;
  // The shot's wait is a few real ms: the error may come after it timed out, so only it is sought.
  EXPECT_NE(npos, r.err.find("Capture error: The lens was closed\n")) << r.err;
}

}  // namespace
}  // namespace e2e
