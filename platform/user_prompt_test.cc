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
    for (int fd : {input_[0], input_[1], output_[0], output_[1]}) {
      if (fd >= 0) close(fd);
    }
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
  // A prompt on another thread, so that one that never ends fails the test instead of hanging it.
  std::future<bool> promptAsync(platform::Event* stop) {
    return std::async(std::launch::async,
                      [stop] { return platform::promptUser("Caption", "Text", stop); });
  }

  int input_[2] = {-1, -1};
  int output_[2] = {-1, -1};
};

constexpr auto kLimit = std::chrono::seconds(10);
constexpr char kShown[] = "Caption\nText\n[Press Enter to continue]\n";

TEST_F(PromptTest, EnterAnswersOneLineAtATime) {
  platform::Event stop(true, false);
  type("yes\n\n");
  EXPECT_TRUE(
      platform::promptUser("Quorvale: Wait for user input", "Press OK to continue...", &stop));
  EXPECT_EQ("Quorvale: Wait for user input\nPress OK to continue...\n[Press Enter to continue]\n",
            shown());

  // The second line is still there for the next prompt, and nothing beyond it is taken.
  EXPECT_TRUE(platform::promptUser("Caption", "two\nlines", &stop));
  EXPECT_EQ("Caption\ntwo\nlines\n[Press Enter to continue]\n", shown());
  std::future<bool> third = promptAsync(&stop);
  EXPECT_EQ(std::future_status::timeout, third.wait_for(std::chrono::milliseconds(20)));
  type("\n");
  ASSERT_EQ(std::future_status::ready, third.wait_for(kLimit));
  EXPECT_TRUE(third.get());
}

TEST_F(PromptTest, EndOfInputAnswers) {
  type("partial answer");
  close(input_[1]);
  input_[1] = -1;
  EXPECT_TRUE(platform::promptUser("Caption", "Text", nullptr));
  EXPECT_TRUE(platform::promptUser("Caption", "Text", nullptr));
  EXPECT_EQ(std::string(kShown) + kShown, shown());
}

TEST_F(PromptTest, StopEventEndsTheWaitWithoutInput) {
  platform::Event stop(true, false);
  std::future<bool> answer = promptAsync(&stop);
  EXPECT_EQ(std::future_status::timeout, answer.wait_for(std::chrono::milliseconds(20)));
  stop.set();
  ASSERT_EQ(std::future_status::ready, answer.wait_for(kLimit));
  EXPECT_FALSE(answer.get());
  EXPECT_EQ(kShown, shown());

  // Already stopped: no prompt at all, and typed keys stay unread.
  type("\n");
  EXPECT_FALSE(platform::promptUser("Caption", "Text", &stop));
  EXPECT_EQ("", shown());
  EXPECT_TRUE(platform::promptUser("Caption", "Text", nullptr));
}

}  // namespace
