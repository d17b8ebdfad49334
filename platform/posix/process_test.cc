#include "platform/process.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "platform/error.h"

namespace platform {
namespace {

TEST(ProcessTest, ExecutablePathNamesTheRunningProgram) {
  const std::string path = executablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ('/', path.front());
  EXPECT_EQ("/quorvale_tests", path.substr(path.rfind('/')));
}

TEST(ErrorTest, LastErrorIsPerThreadAndHasTheSystemText) {
  setLastError(ENOENT);
  std::atomic<uint32_t> seen{12345};
  std::thread other([&] { seen = lastError(); });
  other.join();
  EXPECT_EQ(0u, seen.load());
  EXPECT_EQ(static_cast<uint32_t>(ENOENT), lastError());
  EXPECT_EQ("No such file or directory", errorText(ENOENT));
  EXPECT_EQ("Unknown error 123456", errorText(123456));
}

}  // namespace
}  // namespace platform
