// Every frame accounted for, seen through the program: lost, late and failed completions on both
// simulated bodies, a body switched off during a shot, a card that fills after the waits, a stop
// during a long exposure, and the frame report.
//
// The bodies' times have margins of a quarter second and more around the program's waits.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <string>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

const std::string kLegacy = "Open session with Canon EOS 350D (simulated)\n";
const std::string kCardError = "Card error (including CARD-FULL/No.-FULL)";

// A report file outside the run's directory, so that the test can read it afterwards.
class ReportFile {
 public:
  ReportFile() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("quorvale_frames_" + std::to_string(random()) + ".csv");
  }
  ~ReportFile() { std::filesystem::remove(path_); }
  std::string path() const { return path_.string(); }
  // The rows without the moments: "shot,line,exposure_ms,fate,reason" each.
  std::string rows() const {
    // The Windows program writes the file in text mode: its rows end in CR LF, as CSV's do.
    std::ifstream in(path_);
    std::string line;
    const auto next = [&in, &line] {
      if (!std::getline(in, line)) return false;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    };
    next();
    EXPECT_EQ("shot,line,release_utc,exposure_ms,completion_utc,fate,reason", line);
    const std::regex moments("^(\\d+,\\d+,)[^,]*,(\\d+,)[^,]*,");
    std::string out;
    while (next()) out += std::regex_replace(line, moments, "$1$2") + "\n";
    return out;
  }

 private:
  std::filesystem::path path_;
};

RunResult runInWorld(const std::string& world, const std::string& script,
                     std::vector<std::string> more = {}) {
  RunOptions options;
  options.arguments = {"-sim", "world.ini", "-script", "test.qvs"};
  options.arguments.insert(options.arguments.end(), more.begin(), more.end());
  options.files = {{"world.ini", world}, {"test.qvs", "#!quorvale\n" + script}};
  options.timeoutMs = 30000;
  return runQuorvale(options);
}

TEST(FramesE2eTest, LostAndLateCompletionsShiftNoLaterResultOnEitherBody) {
  const struct {
    const char* body;
    std::string out;
    std::string failure;
  } bodies[] = {
      // Shot 4's capture error comes within its wait.
      {"ptp", kSession + "Shot #1: ok\nShot #2: ok\nShot #3: ok\nShot #4: ok\nShot #5: ok\n",
       "Shot error: The lens was closed\n"},
      // The legacy body's completions come after every wait: its failure is told when it comes.
      {"legacy",
       kLegacy + "Shot #1: ok\nShot #2: ok\nShot #3: ok\nShot #4: ok\nShot #5: ok\nShot #6: ok\n",
       "Shot #4: failed after its wait: The lens was closed\n"},
  };
  for (const char* fault : {"lost_completion_on_shot = 2", "lost_events_on_shot = 2",
                            "late_completion_on_shot = 2 3000"}) {
    for (const auto& b : bodies) {
      ReportFile report;
      RunResult r = runInWorld(
          std::string("[camera ") + b.body + "]\n" + fault + "\ncapture_error_on_shot = 4 2\n",
          "shot\nshot\nshot\nshot\nshot\nshot\n", {"-report", report.path()});
      const std::string what = std::string(b.body) + " " + fault;
      EXPECT_EQ(0, r.exitCode) << what;
      EXPECT_EQ(kBanner + b.out + "Close session\n", r.out) << what;
      EXPECT_EQ(
          "Shot #2: unconfirmed after its wait: no completion came from the body\n"
          "Capture error: The lens was closed\n" +
              b.failure + "Frames: 6 released, 4 stored, 1 failed (#4), 1 unconfirmed (#2)\n",
          r.err)
          << what;
      EXPECT_EQ(
          "1,2,110,stored,\"\"\n2,3,110,unconfirmed,\"no completion came from the body\"\n"
          "3,4,110,stored,\"\"\n4,5,110,failed,\"The lens was closed\"\n"
          "5,6,110,stored,\"\"\n6,7,110,stored,\"\"\n",
          report.rows())
          << what;
    }
  }
}

TEST(FramesE2eTest, ABurstCompletedLateInOrderIsAllStoredAndSaysNothingMore) {
  // 8 MB JPEGs at 10 MB/s: each completion comes 0.8 s after the one before, long after the
  // waits of 0.56 s; the last one is waited for at the end.
  for (const char* body : {"ptp", "legacy"}) {
    ReportFile report;
    RunResult r = runInWorld(std::string("[camera ") + body +
                                 "]\njpeg_size = 8MB\n"
                                 "write_speed = 10MB/s\nbuffer_frames = 10\n",
                             "shot\nshot\nshot\nshot\n", {"-report", report.path()});
    EXPECT_NE(npos, r.out.find("Shot #4: ok\nClose session\n")) << r.out;
    EXPECT_EQ("", r.err) << body;
    EXPECT_EQ(
        "1,2,110,stored,\"\"\n2,3,110,stored,\"\"\n3,4,110,stored,\"\"\n"
        "4,5,110,stored,\"\"\n",
        report.rows())
        << body;
  }
}

TEST(FramesE2eTest, ABodySwitchedOffDuringAnExposureFailsItsShotAtOnce) {
  // Off 5 s into a 30" exposure, ten times faster: the shot fails with the loss, not after the
  // rest of its time-out; back 2 s later, the body has lost the exposure and releases at once.
  for (const char* body : {"ptp", "legacy"}) {
    const bool ptp = std::string(body) == "ptp";
    RunResult r = runInWorld(std::string("[camera ") + body +
                                 "]\nshutdown_at_utc = 2026-08-12 18:00:05\nback_after = 2\n",
                             "shot tv=30\"\nwait sleep=5\nshot tv=1/125\nshot\n",
                             {"-atutc", "2026-08-12 18:00:00", "-speed", "10"});
    const std::string model =
        ptp ? "Canon EOS 5D Mark IV (simulated)" : "Canon EOS 350D (simulated)";
    EXPECT_EQ(kBanner + (ptp ? kSession : kLegacy) +
                  "set Tv=30\" -> 30\"\nSleep: 5 seconds\n"
                  "Camera back: " +
                  model +
                  "\nset Tv=1/125 -> 1/125\nShot #1: ok\nShot #2: ok\n"
                  "Close session\n",
              r.out)
        << body;
    EXPECT_EQ("Camera lost: " + model +
                  "\nShot error: Port disconnected\n"
                  "Frames: 3 released, 2 stored, 1 failed (#1), 0 unconfirmed\n",
              r.err)
        << body;
  }
}

TEST(FramesE2eTest, ACardThatFillsAfterTheWaitsIsToldForItsShot) {
  // 30 MB RAW frames on a 60 MB card at 10 MB/s, shots 4 s apart (ten times faster): the third
  // fails after its wait; the fourth is refused.
  for (const char* body : {"ptp", "legacy"}) {
    RunResult r = runInWorld(std::string("[camera ") + body +
                                 "]\ncard = CF 60MB\n"
                                 "raw_size = 30MB\nwrite_speed = 10MB/s\nquality = RAW\n",
                             "shot\nwait sleep=4\nshot\nwait sleep=4\nshot\nwait sleep=4\nshot\n",
                             {"-speed", "10"});
    EXPECT_NE(npos, r.out.find("Shot #3: ok\nSleep: 4 seconds\nClose session\n")) << r.out;
    EXPECT_EQ("Capture error: " + kCardError + "\nShot #3: failed after its wait: " + kCardError +
                  "\nShot error: Error writing to card\n"
                  "Frames: 3 released, 2 stored, 1 failed (#3), 0 unconfirmed\n",
              r.err)
        << body;
  }
  // The legacy body completes after every wait: a capture error of the last shot comes after the
  // script's end, which waits for it.
  RunResult r = runInWorld("[camera legacy]\ncapture_error_on_shot = 3 7\n", "shot\nshot\nshot\n");
  EXPECT_EQ(kBanner + kLegacy + "Shot #1: ok\nShot #2: ok\nShot #3: ok\nClose session\n", r.out);
  EXPECT_EQ("Capture error: " + kCardError + "\nShot #3: failed after its wait: " + kCardError +
                "\nFrames: 3 released, 2 stored, 1 failed (#3), 0 unconfirmed\n",
            r.err);
}

TEST(FramesE2eTest, CtrlCDuringALongExposureEndsTheRunInOrderAtOnce) {
  for (const char* camera : {"0", "1"}) {
    ReportFile report;
    RunOptions options;
    options.arguments = {"-sim",    "-log",     "-camera", camera,
                         "-script", "long.qvs", "-report", report.path()};
    options.files = {{"long.qvs", "#!quorvale\nlockui\nshot tv=30\"\necho after\n"}};
    options.steps = {{"set Tv=30\" -> 30\"\n", 300, 0}};
    // The exposure alone would last 30 s: the run must end long before.
    options.timeoutMs = 10000;
    RunResult r = runQuorvale(options);
    ASSERT_TRUE(r.finished) << camera << " " << r.out << r.err;
    EXPECT_EQ(0, r.exitCode);
    EXPECT_EQ(npos, r.out.find("Shot #1")) << r.out;
    EXPECT_NE(npos, r.out.find("Camera locked\nset Tv=30\" -> 30\"\nClose session\n")) << r.out;
    EXPECT_EQ(
        "\nCtrl+C\n\nProgram terminated!\nTermination excepltion\n"
        "Frames: 1 released, 0 stored, 0 failed, 1 unconfirmed (#1)\n",
        r.err);
    EXPECT_EQ("1,3,33055,unconfirmed,\"the script was stopped during the shot\"\n", report.rows());
    // The order of the end: the stopped shot, the controls given back, the session closed.
    const std::string log = normalizeLog(r.log);
    EXPECT_NE(npos, log.find("T WRN: Ctrl+C\n")) << log;
    const size_t stopped = log.find("T TRC: takePicture: continue by stop\n");
    const size_t unlocked = log.find("T TRC: Unlock camera\n", stopped);
    EXPECT_NE(npos, stopped) << log;
    EXPECT_NE(npos, unlocked) << log;
    EXPECT_LT(unlocked, log.find("T MSG: Close session\n")) << log;
  }
}

TEST(FramesE2eTest, AReportThatCannotBeWrittenIsSaidAndTheScriptRuns) {
  RunResult r = runInWorld("", "shot\n", {"-report", "no/such/dir/r.csv"});
  EXPECT_EQ(0, r.exitCode);
  EXPECT_NE(npos, r.out.find("Shot #1: ok\n")) << r.out;
  EXPECT_EQ(0u, r.err.find("Report file 'no/such/dir/r.csv' not open: ")) << r.err;
}

}  // namespace
}  // namespace e2e
