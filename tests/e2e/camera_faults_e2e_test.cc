// Faults of the simulated bodies, set in a world file, seen through the program: what a shot
// reports when its capture fails, comes late or is followed by a shutdown, the buffer count a
// capture error leaves, a session the body refuses, and an SDK that cannot start its threads.
//
// The timings have margins of a second and more on each side, so a loaded machine cannot turn
// one case into another.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

const std::string kCardError = "Card error (including CARD-FULL/No.-FULL)";

// Runs |script| (after its header line) on camera |camera| of the world file |world|.
RunResult runInWorld(const std::string& world, int camera, const std::string& script) {
  RunOptions options;
  options.arguments = {"-sim",    "world.ini", "-camera", std::to_string(camera),
                       "-script", "test.qvs"};
  options.files = {{"world.ini", world}, {"test.qvs", "#!quorvale\n" + script}};
  return runQuorvale(options);
}

TEST(CameraFaultsE2eTest, ACaptureErrorFailsItsShotAndGivesBackOneBuffer) {
  const std::string world =
      "[camera ptp]\ncapture_error_on_shot = 2 7\n"
      "[camera legacy]\ncapture_error_on_shot = 2 9\n";
  const struct {
    int camera;
    std::string session;
    std::string error;
  } bodies[] = {
      {0, kSession, kCardError},
      {1, "Open session with Canon EOS 350D (simulated)\n", "Unknown error"},
  };
  for (const auto& body : bodies) {
    RunResult r = runInWorld(world, body.camera, "set shottime=5000\nshot\nshot\nshot\n");
    EXPECT_EQ(0, r.exitCode) << body.camera;
    EXPECT_EQ(kBanner + body.session +
                  "set ShotTimeout=5000 ms -> 5000 ms\nShot #1: ok\nShot #2: ok\nClose session\n",
              r.out);
    EXPECT_EQ("Capture error: " + body.error + "\nShot error: " + body.error +
                  "\nFrames: 3 released, 2 stored, 1 failed (#2), 0 unconfirmed\n",
              r.err);
  }

  // A burst into two buffers on a slow PTP body: shot 1 (its wait ends at 310 ms) fails at
  // 2108 ms, after its image left the buffer at 2008 ms; shot 2 leaves it at 4008 ms. Shot 3 gets
  // shot 1's buffer at 2008 ms; shot 4 must wait for shot 2's, or the body answers busy.
  RunResult r = runInWorld(
      "[camera ptp]\nbuffer_frames = 2\nprocessing_ms = 2000\ncapture_error_on_shot = 1 7\n", 0,
      "set shottime=200, buffersize=2\nshot\nshot\nshot\nshot\n");
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ(kBanner + kSession +
                "set ShotTimeout=200 ms -> 200 ms\nset BufferSize=2 -> 2\n"
                "Shot #1: ok\nShot #2: ok\nShot #3: ok\nShot #4: ok\nClose session\n",
            r.out);
  // Shot 1 was reported ok when its wait ended: its failure is told when it comes.
  EXPECT_EQ("Capture error: " + kCardError + "\nShot #1: failed after its wait: " + kCardError +
                "\nFrames: 4 released, 3 stored, 1 failed (#1), 0 unconfirmed\n",
            r.err);
}

TEST(CameraFaultsE2eTest, ALateCompletionEndsNoLaterShotsWait) {
  // Shot 1's wait ends at 1610 ms, its completion comes at 3758 ms, in the middle of the wait of
  // shot 2 (a 4 s exposure from about 1.7 s, which fails at about 6 s; its wait ends at about
  // 7.6 s). Taken for shot 2's, the completion would count it and hand its error to shot 3.
  RunResult r = runInWorld(
      "[camera ptp]\nlate_completion_on_shot = 1 3500\n"
      "capture_error_on_shot = 2 7\n",
      0, "set shottime=1500\nshot\nshot tv=4\"\nshot tv=1/125\n");
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ(kBanner + kSession +
                "set ShotTimeout=1500 ms -> 1500 ms\nShot #1: ok\nset Tv=4\" -> 4\"\n"
                "set Tv=1/125 -> 1/125\nShot #2: ok\nClose session\n",
            r.out);
  EXPECT_EQ("Capture error: " + kCardError + "\nShot error: " + kCardError +
                "\nFrames: 3 released, 2 stored, 1 failed (#2), 0 unconfirmed\n",
            r.err);
}

TEST(CameraFaultsE2eTest, AShutdownKeepsTheStoredShotAndARefusedSessionHasNoIdentity) {
  // Both bodies shut down right after storing their first image; body 0 also loses that shot's
  // completion, so the shutdown's close surely comes while the shot waits: the shot fails at
  // once with the loss, since no word of it can come any more.
  const std::string world =
      "[camera ptp]\nshutdown_after_shot = 1\nlost_completion_on_shot = 1\n"
      "[camera ptp]\nshutdown_after_shot = 1\n"
      "[camera legacy]\nsession_error = 0x7\n";
  for (int camera : {0, 1}) {
    RunResult r = runInWorld(world, camera, "set shottime=3000\nshot\nshot\n");
    EXPECT_EQ(0, r.exitCode) << camera;
    // Body 1's second shot may go out before its shutdown is reported.
    if (camera == 0) {
      EXPECT_EQ(kBanner + kSession + "set ShotTimeout=3000 ms -> 3000 ms\nClose session\n", r.out);
      EXPECT_EQ(
          "Camera lost: Canon EOS 5D Mark IV (simulated)\nShot error: Port disconnected\n"
          "Shot error: Handle error\nFrames: 1 released, 0 stored, 1 failed (#1), 0 unconfirmed\n",
          r.err);
    } else {
      EXPECT_EQ(
          kBanner + kSession + "set ShotTimeout=3000 ms -> 3000 ms\nShot #1: ok\nClose session\n",
          r.out);
      EXPECT_NE(npos, r.err.find("Shot error: ")) << r.err;
    }
  }

  RunOptions options;
  options.arguments = {"-sim", "world.ini", "-camera", "2"};
  options.files = {{"world.ini", world}};
  RunResult r = runQuorvale(options);
  EXPECT_EQ(0, r.exitCode);
  // The rest of the listing without a session is the info printer's own (see its unit test).
  EXPECT_EQ(0u, r.out.find("\nCamera      : \nProtocol    : \nPort        : \nVolume      : 0\n"))
      << r.out;
  EXPECT_EQ("", r.err);
}

TEST(CameraFaultsE2eTest, NoRoomForThreadsFailsTheStartInOrder) {
  // Root ignores the process limit, so the program runs as a user id that no process has, with
  // room for one process: no thread of any kind can be created.
  const char* prlimit = "/usr/bin/prlimit";
  const char* setpriv = "/usr/bin/setpriv";
  if (!std::filesystem::exists(prlimit) || !std::filesystem::exists(setpriv)) {
    GTEST_SKIP() << "prlimit and setpriv (util-linux) are needed";
  }
  std::random_device random;
  const std::string id = std::to_string(1500000000u + random() % 100000000u);
  // LeakSanitizer's check at exit runs in a thread of its own, which cannot start here either.
  const char* asanOptions = std::getenv("ASAN_OPTIONS");
  const std::string noLeakCheck =
      std::string(asanOptions != nullptr ? asanOptions : "") + ":detect_leaks=0";
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    std::string out;
    std::string err;
  } cases[] = {
      {{"-sim"}, 1, "", "Canon interface not ready: Internal error\n"},
      {{"-sim", "-camera", "0"}, 1, "", "Canon interface not ready: Internal error\n"},
      {{"-sim", "-script", "test.qvs"},
       3,
       kBanner,
       "Can't create script thread: Resource temporarily unavailable\n"},
  };
  for (const auto& c : cases) {
    RunOptions options;
    options.launcher = {prlimit,         "--nproc=1",     setpriv,
                        "--reuid=" + id, "--regid=" + id, "--clear-groups"};
    options.arguments = c.arguments;
    options.files = {{"test.qvs", "#!quorvale\necho never\n"}};
    options.environment = {{"ASAN_OPTIONS", noLeakCheck}};
    RunResult r = runQuorvale(options);
    if (r.err.rfind("setpriv:", 0) == 0 || r.err.rfind("prlimit:", 0) == 0) {
      GTEST_SKIP() << "cannot run the program as another user: " << r.err;
    }
    EXPECT_EQ(c.exitCode, r.exitCode) << r.err;
    EXPECT_EQ(c.out, r.out);
    EXPECT_EQ(c.err, r.err);
  }
}

}  // namespace
}  // namespace e2e
