#include "platform/console_control.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "platform/event.h"

namespace platform {
namespace {

std::atomic<uint32_t> g_lastCode{99};
Event* g_received = nullptr;

void recordCode(uint32_t code) {
  g_lastCode = code;
  g_received->set();
}

TEST(ConsoleControlTest, SignalsToTheProcessReachTheHandlerWithTheirCodes) {
  Event received(false, false);
  g_received = &received;
  ASSERT_TRUE(installConsoleControlHandler(&recordCode));
  const struct {
    int signal;
    uint32_t code;
  } cases[] = {{SIGINT, 0}, {SIGQUIT, 1}, {SIGHUP, 2}, {SIGTERM, 6}};
  for (const auto& c : cases) {
    g_lastCode = 99;
    ASSERT_EQ(0, kill(getpid(), c.signal));
    ASSERT_EQ(kWaitObject0, received.wait(10000)) << c.signal;
    EXPECT_EQ(c.code, g_lastCode.load()) << c.signal;
  }
  // Leave no handler pointing at this test's locals.
  ASSERT_TRUE(installConsoleControlHandler(nullptr));
  g_received = nullptr;
}

TEST(ConsoleControlTest, WritingToAClosedPipeFailsInsteadOfEndingTheProcess) {
  ignoreBrokenPipes();
  int fds[2];
  ASSERT_EQ(0, pipe(fds));
  close(fds[0]);
  EXPECT_EQ(-1, write(fds[1], "x", 1));
  EXPECT_EQ(EPIPE, errno);
  close(fds[1]);
}

}  // namespace
}  // namespace platform
