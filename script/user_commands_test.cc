// The play command's background players and the user prompt.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

#include "camera/canon_camera.h"
#include "platform/pipe.h"
#include "platform/sound_player.h"
#include "platform/user_prompt.h"
#include "script/audio_player.h"
#include "script/script_parser.h"
#include "script/script_test_support.h"
#include "tests/fake_sound_device.h"

namespace {

// The players report on their own threads after a run, so the output is captured throughout. The
// prompt reads its answers from a pipe that stays open and writes what it shows into a file.
class UserCommandsTest : public testing::Test, protected script_testing::ScriptRunner {
 protected:
  UserCommandsTest() : camera_(nullptr, nullptr), shown_(std::tmpfile()) {
    EXPECT_TRUE(platform::createPipe(answers_));
    platform::setPromptDescriptorsForTest(answers_[0], fileno(shown_));
  }
  // No player may outlive the fake sound system or the output capture.
  ~UserCommandsTest() override {
    sound_.finishPlays();
    playersDone();
    platform::setPromptDescriptorsForTest(-1, -1);
    close(answers_[0]);
    close(answers_[1]);
    std::fclose(shown_);
  }

  // Runs |body| after a header.
  void runOnly(const std::string& body) {
    CQuorvaleScriptParser parser(&camera_, nullptr, nullptr, &stop_, &clock_);
    end_ = script_testing::runScript(&parser, "#!quorvale\n" + body);
  }
  // Runs |body| and returns all output so far. Reading the capture moves its file position, so
  // no player may be writing then.
  std::string run(const std::string& body) {
    runOnly(body);
    return capture_.out();
  }

  bool playersDone() {
    for (int i = 0; i < 2500 && runningAudioPlayers() != 0; ++i) platform::sleepMs(2);
    return runningAudioPlayers() == 0;
  }

  std::string shown() { return script_testing::fileText(shown_); }

  FakeSoundSystem sound_;
  script_testing::OutputCapture capture_;
  CCanonCamera camera_;
  int answers_[2] = {-1, -1};
  FILE* shown_;
};

TEST_F(UserCommandsTest, PlaysReportWhenTheSoundEndsOrFails) {
  // An open that fails is seen end to end, with the sound system's own text.
  const uint32_t playError = platform::kSoundErrorDecoder | 3;
  auto played = [this](const char* body) {
    runOnly(body);
    return playersDone();
  };
  ASSERT_TRUE(played("play  bell.wav \n"));
  ASSERT_TRUE(played("play \"a b.wav\"\n"));
  sound_.setPlayResult(playError);
  ASSERT_TRUE(played("play bad.wav\n"));
  EXPECT_EQ("PLAY: bell.wav\nPLAY: \"a b.wav\"\nCan't play 'bad.wav': " +
                platform::soundErrorText(playError) + "\n",
            capture_.out());
  // The name keeps its quotes; a failed play closes the device.
  EXPECT_EQ(
      "open bell.wav\nplay bell.wav\nclose bell.wav\nopen \"a b.wav\"\nplay \"a b.wav\"\n"
      "close \"a b.wav\"\nopen bad.wav\nplay bad.wav\nclose bad.wav\n",
      sound_.journal());
}

TEST_F(UserCommandsTest, OverlappingPlaysEachPlayWithoutDelayingTheScript) {
  sound_.holdPlays();
  EXPECT_EQ("next\n", run("play one.wav\nplay two.wav\necho next\n"));
  ASSERT_TRUE(sound_.waitForPlaysInProgress(2, 5000));
  sound_.finishPlays();
  ASSERT_TRUE(playersDone());
  std::string out = capture_.out();
  EXPECT_TRUE(out == "next\nPLAY: one.wav\nPLAY: two.wav\n" ||
              out == "next\nPLAY: two.wav\nPLAY: one.wav\n")
      << out;
  EXPECT_EQ(2u, sound_.maxConcurrentPlays());
}

TEST_F(UserCommandsTest, PromptsShowTheirUnescapedTextAfterReleasingTheLock) {
  ASSERT_EQ(3, write(answers_[1], "\n\n\n", 3));
  EXPECT_EQ("Camera locked\nWait for user input\nWait for user input\nWait for user input\nafter\n",
            run("lockui\nwait\nwait user=\"Two\\nlines \\\\ok\"\nwait input=Word\necho after\n"));
  EXPECT_EQ(0u, camera_.uiLockCount());
  const std::string title = "Quorvale: Wait for user input\n",
                    enter = "[Press Enter to continue]\n";
  EXPECT_EQ(title + "Press OK to continue...\n" + enter + title + "Two\nlines \\ok\n" + enter +
                title + "Word\n" + enter,
            shown());
}

TEST_F(UserCommandsTest, StopDuringThePromptEndsTheScript) {
  std::thread stopper([this] {
    for (int i = 0; i < 2500 && shown().empty(); ++i) platform::sleepMs(2);
    platform::sleepMs(20);
    stop_.set();
  });
  EXPECT_EQ("Wait for user input\n\nProgram terminated!\n", run("wait\necho never\n"));
  stopper.join();
  EXPECT_EQ("value 0", end_);
}

}  // namespace
