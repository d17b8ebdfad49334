#include "platform/user_prompt.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>

#include "platform/event.h"

namespace {

// A prompt wired to two pipes: the test types into one and reads the prompt from the other.
class PromptTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(0, pipe2(input_, O_CLOEXEC));
    ASSERT_EQ(0, pipe2(output_, O_CLOEXEC | O_NONBLOCK));
    platform::setPromptDescriptorsForTest(input_[0], output_[1]);
  }
  void TearDown() override {
    platform::setPromptDescriptorsForTest(-1, -1);
    for (int fd : {input_[0], input_[1], output_[0], output_[1]}) close(fd);
  }

  void type(const std::string& keys) {
    ASSERT_EQ(static_cast<ssize_t>(keys.size()), write(input_[1], keys.data(), keys.size()));
  }
  std::string shown() {  // everything the prompts wrote since the last call
    std::string text;
    char buffer[256];
    ssize_t n;
    while ((n = read(output_[0], buffer, sizeof(buffer))) > 0) text.append(buffer, n);
    return text;
  }
  // A prompt on another thread, so that one that never ends fails instead of hanging.
  std::future<bool> promptAsync(platform::Event* stop) {
    return std::async(std::launch::async,
                      [stop] { return platform::promptUser("Caption", "Text", stop); });
  }

  int input_[2] = {-1, -1};
  int output_[2] = {-1, -1};
};

// A stop already set shows no prompt and leaves the keys; a prompt takes one line, waits for it,
// and the end of the input answers too. What a prompt shows, and a stop during one, are tested
// with the script's command.
TEST_F(PromptTest, StopBeforeThePromptOrALineOrTheEndOfInput) {
  platform::Event stop(true, true);
  type("\n");
  EXPECT_FALSE(platform::promptUser("Caption", "Text", &stop));
  EXPECT_EQ("", shown());
  EXPECT_TRUE(platform::promptUser("Caption", "Text", nullptr));
  EXPECT_EQ("Caption\nText\n[Press Enter to continue]\n", shown());
  stop.reset();
  std::future<bool> next = promptAsync(&stop);
  EXPECT_EQ(std::future_status::timeout, next.wait_for(std::chrono::milliseconds(20)));
  type("partial answer");
  close(input_[1]);
  input_[1] = -1;
  ASSERT_EQ(std::future_status::ready, next.wait_for(std::chrono::seconds(10)));
  EXPECT_TRUE(next.get());
}

}  // namespace
