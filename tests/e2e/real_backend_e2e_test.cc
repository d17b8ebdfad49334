// The real backend on a machine with no camera attached (with a body plugged in, these fail).
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
}

}  // namespace
}  // namespace e2e
