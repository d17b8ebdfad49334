// The Windows program's real-camera backend through the DLL-loading path: the simulated cameras
// built as EDSDK.dll beside quorvale.exe give what -sim gives, with their events coming from the
// DLL's own thread; a missing DLL or a missing export stops the SDK with a clear reason. Runs only
// against a Windows program (tools/windows_test.sh names the test DLLs).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

// The log's messages without the traces: the camera's events arrive on another thread, so their
// traces fall between the messages in any order.
std::string logMessages(const std::string& log) {
  std::string messages;
  size_t start = 0;
  for (size_t end; (end = log.find('\n', start)) != npos; start = end + 1) {
    const std::string line = log.substr(start, end + 1 - start);
    if (line.find(" TRC: ") == npos) messages += line;
  }
  return messages;
}

std::string testDll(const char* variable) {
  const char* path = std::getenv(variable);
  return path != nullptr ? path : "";
}

class EdsdkDllE2eTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!testsWindowsProgram() || testDll("QUORVALE_E2E_SIM_DLL").empty()) {
      GTEST_SKIP() << "needs the Windows program and the simulated cameras' test DLL";
    }
  }

  // A run with |dll| copied beside the program as EDSDK.dll (none when empty).
  RunResult runWith(const std::string& dll, std::vector<std::string> arguments,
                    const std::string& script = "") {
    RunOptions options;
    options.arguments = std::move(arguments);
    if (!dll.empty()) options.copies = {{"EDSDK.dll", dll}};
    if (!script.empty()) options.files = {{"test.qvs", script}};
    options.timeoutMs = 30000;
    return runQuorvale(options);
  }
};

TEST_F(EdsdkDllE2eTest, ListInfoAndAScriptThroughTheDllMatchTheSimulatedCameras) {
  const std::string dll = testDll("QUORVALE_E2E_SIM_DLL");
  const std::string script =
      "#!quorvale\nset tv=1/250 av=8 iso=200\nshot\nshot tv=1/500\nlockui\nshot\nunlockui\n"
      "echo done\n";
  const std::vector<std::vector<std::string>> runs = {
      {}, {"-camera", "1"}, {"-log", "-script", "test.qvs"}};
  for (const auto& arguments : runs) {
    std::vector<std::string> simulated = arguments;
    simulated.insert(simulated.begin(), "-sim");
    const RunResult viaDll = runWith(dll, arguments, script);
    const RunResult viaSim = runWith("", simulated, script);
    ASSERT_TRUE(viaDll.finished) << viaDll.out << viaDll.err;
    EXPECT_EQ(0, viaDll.exitCode) << viaDll.err;
    EXPECT_EQ(viaSim.out, viaDll.out);
    EXPECT_EQ(viaSim.err, viaDll.err);
    EXPECT_EQ(logMessages(normalizeLog(viaSim.log)), logMessages(normalizeLog(viaDll.log)));
  }
  const RunResult shots = runWith(dll, runs[2], script);
  EXPECT_NE(npos, shots.out.find("Shot #3: ok\nCamera unlocked\ndone\n")) << shots.out;
  // The completion came as an event from the DLL's thread.
  EXPECT_NE(npos, shots.log.find("takePicture: continue by completion event")) << shots.log;
}

TEST_F(EdsdkDllE2eTest, AMissingDllOrExportStopsTheSdkNamingIt) {
  RunResult r = runWith("", {});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ(0u,
            r.err.find("Canon interface not ready: Missing subcomponent: EDSDK.dll not loaded ("))
      << r.err;
  r = runWith(testDll("QUORVALE_E2E_SIM_DLL_LACKING"), {"-info"});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ("Canon interface not ready: Missing subcomponent: EDSDK.dll lacks EdsGetPropertyDesc\n",
            r.err);
}

}  // namespace
}  // namespace e2e
