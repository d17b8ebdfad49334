#include "app/console_control_handler.h"

#include <gtest/gtest.h>

#include "platform/event.h"
#include "script/script_test_support.h"

namespace {

int g_endedWith = -1;
void recordEnd(int code) { g_endedWith = code; }

class ConsoleHandlerTest : public testing::Test {
 protected:
  void SetUp() override {
    setConsoleStopEvent(nullptr);
    setProcessEnderForTest(&recordEnd);
  }
  void TearDown() override {
    setConsoleStopEvent(nullptr);
    setProcessEnderForTest(nullptr);
  }
  script_testing::OutputCapture console_;
};

// Outside a script an event ends the process at once, without notice. In a script the first event
// writes its notice on a thread of its own (a blocked console cannot hold it up), then stops the
// script; the insisting second event ends the process at once and writes nothing.
TEST_F(ConsoleHandlerTest, EventsOutsideAScriptAndInOne) {
  consoleCtrlHandler(2);
  EXPECT_EQ(kExitCodeInterrupted, g_endedWith);
  EXPECT_EQ("", console_.out());

  g_endedWith = -1;
  platform::Event stop(/*manualReset=*/true, false);
  setConsoleStopEvent(&stop);
  consoleCtrlHandler(0);
  ASSERT_EQ(platform::kWaitObject0, stop.wait(10000));
  EXPECT_EQ(-1, g_endedWith);
  EXPECT_EQ("\nCtrl+C\n", console_.out());
  consoleCtrlHandler(6);
  EXPECT_EQ(kExitCodeInterrupted, g_endedWith);
  EXPECT_EQ("\nCtrl+C\n", console_.out());
}

}  // namespace
