// The real backend through the real libgphoto2 and its virtual USB camera (a Nikon-like PTP body:
// f/2.8 to f/22, nine shutter speeds, battery 50%, a read-only card, no ISO, image format, modes,
// available shots or UI lock). Skipped, with the reason, where no such build is given.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/virtual_camera.h"

namespace e2e {
namespace {

class VirtualCameraE2eTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!camera_.available()) GTEST_SKIP() << camera_.skipReason();
  }

  RunResult run(std::vector<std::string> arguments, const std::string& script = "") {
    RunOptions options;
    options.arguments = std::move(arguments);
    options.environment = camera_.environment();
    if (!script.empty()) options.files = {{"s.qvs", script}};
    return runQuorvale(options);
  }

  VirtualCamera camera_;
};

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Several sessions in a row, one per run: the list, the info and the list again.
TEST_F(VirtualCameraE2eTest, ListAndInfoShowWhatTheBodyHas) {
  const char kList[] = "\nCameras found: 1\n\n 0: Nikon DSC D750 /PTP on port usb:001,001\n\n";
  RunResult list = run({"-list"});
  ASSERT_TRUE(list.finished);
  EXPECT_EQ(0, list.exitCode);
  EXPECT_EQ(kList, list.out);

  // The card is read-only (no free space counted), the body has no available-shots count, no
  // image format, modes or ISO: those lines stay empty.
  RunResult info = run({"-camera", "0"});
  ASSERT_TRUE(info.finished);
  EXPECT_EQ(0, info.exitCode);
  EXPECT_EQ(
      "\nCamera      : Nikon DSC D750\n"
      "Protocol    : PTP\n"
      "Port        : usb:001,001\n"
      "Volume      : 1111638016\n"
      "Free        : 0 ( 0.0%)\n"
      "Available   : 0 shots\n"
      "Battery     : 50%\n"
      "Image format: \n"
      "AE mode     : \n"
      "Drive mode  : \n"
      "Metering    : \n"
      "ISO         : \n"
      "Av          : 2.8\n"
      "Tv          : 1/100\n"
      "Def. after shot timeout: 450 ms\n"
      "Def. timeout multiplier: 1.0 x \n"
      "Def. buffer size       : 5\n"
      "Def. buffer allocation timeout: 5000 ms\n",
      info.out);
  EXPECT_EQ("", info.err);

  RunResult again = run({"-list"});
  EXPECT_EQ(kList, again.out);
}

// Settings read back, a value the body does not offer, a UI lock it does not support, and shots
// that complete by the body's own events, also after a flood of property-changed events that the
// settings provoke (every read or write of the virtual body queues some for a second later).
TEST_F(VirtualCameraE2eTest, ScriptSetsShootsAndOutlastsPropertyFloods) {
  std::string script =
      "#!quorvale\n"
      "set tv=1/200 av=8\n"
      "shot\n"
      "set tv=1/250\n"
      "lockui\n"
      "shot tv=1/50 av=5.6\n"
      "unlockui\n";
  for (int i = 0; i < 4; ++i) script += "set av=4 tv=1/10\n";
  script += "wait sleep=1.1\nshot\n";
  RunResult r = run({"-script", "s.qvs", "-log"}, script);
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(0, r.exitCode);
  std::string flood;
  for (int i = 0; i < 4; ++i) flood += "set Av=4 -> 4\nset Tv=1/10 -> 1/10\n";
  EXPECT_EQ(std::string(kBanner) +
                "Open session with Nikon DSC D750\n"
                "set Tv=1/200 -> 1/200\n"
                "set Av=8 -> 8\n"
                "Shot #1: ok\n"
                "Camera locked\n"
                "set Tv=1/50 -> 1/50\n"
                "set Av=5.6 -> 5.6\n"
                "Shot #2: ok\n"
                "Camera unlocked\n" +
                flood + "Sleep: 1.1 seconds\nShot #3: ok\nClose session\n",
            r.out);
  EXPECT_EQ("set Tv=1/250 -> 1/200: Invalid property value\n", r.err);

  EXPECT_EQ(3u, count(r.log, "takePicture: continue by completion event\n"));
  EXPECT_EQ(0u, count(r.log, "takePicture: continue by timeout\n"));
  EXPECT_EQ(3u, count(r.log, "OnStateJobStatusChanged: need transfer=0\n"));
  EXPECT_LT(20u, count(r.log, "OnPropertyChanged: inPropertyID=0x405"));
  // The body refuses the UI lock: traced, never "Lock camera".
  EXPECT_LT(0u, count(r.log, "SendStatusCommand error: 00000007 Not supported\n"));
  EXPECT_EQ(0u, count(r.log, "Lock camera\n"));
}

}  // namespace
}  // namespace e2e
