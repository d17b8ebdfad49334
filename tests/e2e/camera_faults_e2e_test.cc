// Faults of the simulated bodies, set in a world file, seen through the program: the buffer a
// late capture error gives back, and an SDK that cannot start its threads.
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

// A capture error that comes after its shot's wait fails that shot and gives back one buffer.
// A burst into two buffers on a slow PTP body: shot 1 (its wait ends at 310 ms) fails at 2108 ms,
// after its image left the buffer at 2008 ms; shot 2 leaves it at 4008 ms. Shot 3 gets shot 1's
// buffer at 2008 ms; shot 4 must wait for shot 2's, or the body answers busy.
TEST(CameraFaultsE2eTest, ALateCaptureErrorFailsItsShotAndGivesBackOneBuffer) {
  RunOptions options;
  options.arguments = {"-sim", "world.ini", "-script", "test.qvs"};
  options.files = {
      {"world.ini",
       "[camera ptp]\nbuffer_frames = 2\nprocessing_ms = 2000\ncapture_error_on_shot = 1 7\n"},
      {"test.qvs", "#!quorvale\nset shottime=200, buffersize=2\nshot\nshot\nshot\nshot\n"}};
  RunResult r = runQuorvale(options);
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ(kBanner + kSession +
                "set ShotTimeout=200 ms -> 200 ms\nset BufferSize=2 -> 2\n"
                "Shot #1: ok\nShot #2: ok\nShot #3: ok\nShot #4: ok\nClose session\n",
            r.out);
  EXPECT_EQ("Capture error: " + kCardError + "\nShot #1: failed after its wait: " + kCardError +
                "\nFrames: 4 released, 3 stored, 1 failed (#1), 0 unconfirmed\n",
            r.err);
}

// Late completions and lost ones, and a body that shuts down during or after a shot, are told
// in frames_e2e_test.cc and rehearsal_e2e_test.cc; a session the body refuses in
// time_edges_e2e_test.cc.
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
