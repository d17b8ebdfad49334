#include "app/console_control_handler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "output/output.h"
#include "platform/event.h"

namespace {

int g_endedWith = -1;
void recordEnd(int code) { g_endedWith = code; }

std::string readAll(FILE* file) {
  fflush(file);
  rewind(file);
  std::string text;
  char buffer[256];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, n);
  return text;
}

class ConsoleHandlerTest : public testing::Test {
 protected:
  void SetUp() override {
    err_ = tmpfile();
    setOutputStreamsForTest(nullptr, err_);
    setProcessEnderForTest(&recordEnd);
    g_endedWith = -1;
  }
  void TearDown() override {
    setConsoleStopEvent(nullptr);
    setProcessEnderForTest(nullptr);
    setOutputStreamsForTest(nullptr, nullptr);
    fclose(err_);
  }
  FILE* err_ = nullptr;
};

TEST_F(ConsoleHandlerTest, FirstEventStopsTheScriptSecondEndsAtOnce) {
  platform::Event stop(/*manualReset=*/true, false);
  setConsoleStopEvent(&stop);
  consoleCtrlHandler(0);
  // The notice is written on a thread of its own, before the stop.
  ASSERT_EQ(platform::kWaitObject0, stop.wait(10000));
  EXPECT_EQ(-1, g_endedWith);
  EXPECT_EQ("\nCtrl+C\n", readAll(err_));

  consoleCtrlHandler(6);
  EXPECT_EQ(kExitCodeInterrupted, g_endedWith);
  EXPECT_EQ("\nCtrl+C\n", readAll(err_));  // the insisting event writes nothing
}

TEST_F(ConsoleHandlerTest, WithoutScriptAnEventEndsAtOnceWithoutNotice) {
  setConsoleStopEvent(nullptr);
  consoleCtrlHandler(2);
  EXPECT_EQ(kExitCodeInterrupted, g_endedWith);
  EXPECT_EQ("", readAll(err_));
}

}  // namespace
