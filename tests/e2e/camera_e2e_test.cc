// The list and info modes seen from outside, on the simulated cameras.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

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

// The list of both bodies, then the legacy one's info (its values are the info printer's unit
// test's) written to the log too, between the session's traces.
TEST(CameraE2eTest, ListsTheSimulatedCamerasAndTheLegacyOnesInfoWithItsTraces) {
  RunResult list = runQuorvale({"-sim"});
  ASSERT_TRUE(list.finished);
  EXPECT_EQ(0, list.exitCode);
  EXPECT_EQ(
      "\nCameras found: 2\n\n"
      " 0: Canon EOS 5D Mark IV (simulated) /PTP on port sim:0\n"
      " 1: Canon EOS 350D (simulated) /Legacy on port sim:1\n\n",
      list.out);
  EXPECT_EQ("", list.err);

  RunResult r = runQuorvale({"-sim", "-log", "-camera", "1", "-info"});
  EXPECT_EQ(0, r.exitCode);
  ASSERT_EQ(0u, r.out.find("\nCamera      : Canon EOS 350D (simulated)\nProtocol    : Legacy\n"))
      << r.out;
  EXPECT_NE(npos, r.out.find("\nDef. buffer allocation timeout: 5000 ms\n")) << r.out;
  std::string expected =
      "T TRC: Open log file at DATE\n"
      "T TRC: Session ready\n"
      "T TRC: Lock camera\n";
  std::istringstream info(r.out.substr(1));  // the log drops a leading "\n"
  std::string line;
  while (std::getline(info, line)) expected += "T MSG: " + line + "\n";
  expected +=
      "T TRC: Unlock camera\n"
      "T TRC: Close log file at DATE\n";
  EXPECT_EQ(expected, logWithoutPropertyEvents(r.log));
}

}  // namespace
}  // namespace e2e
