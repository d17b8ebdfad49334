// The list and info modes seen from outside, on the simulated cameras.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

const char kPtpInfo[] =
    "\nCamera      : Canon EOS 5D Mark IV (simulated)\n"
    "Protocol    : PTP\n"
    "Port        : sim:0\n"
    "Volume      : 96000000000\n"
    "Free        : 91000000000 (94.8%)\n"
    "Available   : 11375 shots\n"
    "Battery     : 85%\n"
    "Image format: L\n"
    "AE mode     : M\n"
    "Drive mode  : Continuous\n"
    "Metering    : Evaluative\n"
    "ISO         : 100\n"
    "Av          : 5.6\n"
    "Tv          : 1/125\n"
    "Def. after shot timeout: 450 ms\n"
    "Def. timeout multiplier: 1.0 x \n"
    "Def. buffer size       : 5\n"
    "Def. buffer allocation timeout: 5000 ms\n";

const char kLegacyInfo[] =
    "\nCamera      : Canon EOS 350D (simulated)\n"
    "Protocol    : Legacy\n"
    "Port        : sim:1\n"
    "Volume      : 2000000000\n"
    "Free        : 1500000000 (75.0%)\n"
    "Available   : 428 shots\n"
    "Battery     : 75%\n"
    "Image format: L\n"
    "AE mode     : M\n"
    "Drive mode  : Continuous\n"
    "Metering    : Evaluative\n"
    "ISO         : 100\n"
    "Av          : 5.6\n"
    "Tv          : 1/60\n"
    "Def. after shot timeout: 450 ms\n"
    "Def. timeout multiplier: 1.0 x \n"
    "Def. buffer size       : 5\n"
    "Def. buffer allocation timeout: 5000 ms\n";

// The normalised log without the property-change traces, whose delivery races the program's end.
std::string logWithoutPropertyEvents(const std::string& log) {
  std::istringstream in(normalizeLog(log));
  std::string line;
  std::string out;
  while (std::getline(in, line)) {
    if (line.rfind("T TRC: OnPropertyChanged", 0) != 0) out += line + "\n";
  }
  return out;
}

TEST(CameraE2eTest, ListsTheSimulatedCameras) {
  for (const char* sim : {"-sim", "--sim"}) {
    RunResult r = runQuorvale({sim});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(0, r.exitCode);
    EXPECT_EQ(
        "\nCameras found: 2\n\n"
        " 0: Canon EOS 5D Mark IV (simulated) /PTP on port sim:0\n"
        " 1: Canon EOS 350D (simulated) /Legacy on port sim:1\n\n",
        r.out);
    EXPECT_EQ("", r.err);
  }
}

TEST(CameraE2eTest, PrintsTheSimulatedPtpCamera) {
  RunResult r = runQuorvale({"-sim", "-camera", "0"});
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ(kPtpInfo, r.out);
  EXPECT_EQ("", r.err);
}

TEST(CameraE2eTest, AMissingCameraExitsWithTwo) {
  RunResult r = runQuorvale({"-sim", "-camera", "9"});
  EXPECT_EQ(2, r.exitCode);
  EXPECT_EQ("", r.out);
  EXPECT_EQ("Camera not found: Device not found\n", r.err);
}

TEST(CameraE2eTest, TheLegacyCameraAndItsTracesInTheLog) {
  RunResult r = runQuorvale({"-sim", "-log", "-camera", "1", "-info"});
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ(kLegacyInfo, r.out);
  std::string expected =
      "T TRC: Open log file at DATE\n"
      "T TRC: Session ready\n"
      "T TRC: Lock camera\n";
  std::istringstream info(std::string(kLegacyInfo).substr(1));  // the log drops a leading "\n"
  std::string line;
  while (std::getline(info, line)) expected += "T MSG: " + line + "\n";
  expected +=
      "T TRC: Unlock camera\n"
      "T TRC: Close log file at DATE\n";
  EXPECT_EQ(expected, logWithoutPropertyEvents(r.log));
}

}  // namespace
}  // namespace e2e
