// The program on real cameras through libgphoto2, on a machine with no camera attached: the list
// is empty and asking for a camera fails cleanly. (Run with a body plugged in, these tests fail by
// design: they then see it.)
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

TEST(RealBackendE2eTest, ListWithoutCamerasFindsNoneAndSucceeds) {
  RunResult r = runQuorvale({"-log"});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ("\nCameras found: 0\n\n", r.out);
  EXPECT_EQ("", r.err);
  EXPECT_EQ(
      "T TRC: Open log file at DATE\n"
      "T MSG: Cameras found: 0\n\n"
      "T TRC: Close log file at DATE\n",
      normalizeLog(r.log));
}

TEST(RealBackendE2eTest, CameraAndInfoWithoutCamerasReportNotFound) {
  for (auto arguments :
       {std::vector<std::string>{"-camera", "0"}, std::vector<std::string>{"-info"},
        std::vector<std::string>{"-log", "-camera", "3"}}) {
    RunResult r = runQuorvale(arguments);
    ASSERT_TRUE(r.finished) << arguments.back();
    EXPECT_EQ(2, r.exitCode) << arguments.back();
    EXPECT_EQ("", r.out) << arguments.back();
    EXPECT_EQ("Camera not found: Device not found\n", r.err) << arguments.back();
  }
  RunResult r = runQuorvale({"-log", "-camera", "0"});
  EXPECT_EQ(
      "T TRC: Open log file at DATE\n"
      "T TRC: No cameras found!\n"
      "T ERR: Camera not found: Device not found\n"
      "T TRC: Close log file at DATE\n",
      normalizeLog(r.log));
}

}  // namespace
}  // namespace e2e
