// The play command's background players and the user prompt.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

#include "camera/canon_camera.h"
#include "platform/sound_player.h"
#include "platform/user_prompt.h"
#include "script/audio_player.h"
#include "script/script_parser.h"
#include "script/script_test_support.h"
#include "tests/fake_sound_device.h"

namespace {

// The players report on their own threads after a run, so the output is captured throughout.
class UserCommandsTest : public testing::Test, protected script_testing::ScriptRunner {
 protected:
  UserCommandsTest() : camera_(nullptr, nullptr) {}
  // No player may outlive the fake sound system or the output capture.
  ~UserCommandsTest() override {
    sound_.finishPlays();
    playersDone();
  }

  // Runs |body| after a header line; returns all output so far, the players' reports included.
  std::string run(const std::string& body) {
    CQuorvaleScriptParser parser(&camera_, nullptr, nullptr, &stop_, &clock_);
    end_ = script_testing::runScript(&parser, "#!quorvale\n" + body);
    return capture_.out();
  }

  // Waits until no player thread runs any more.
  bool playersDone() {
    for (int i = 0; i < 2500 && runningAudioPlayers() != 0; ++i) platform::sleepMs(2);
    return runningAudioPlayers() == 0;
  }

  FakeSoundSystem sound_;
  script_testing::OutputCapture capture_;
  CCanonCamera camera_;
};

TEST_F(UserCommandsTest, PlaysReportWhenTheSoundEndsOrFails) {
  const uint32_t openError = platform::kSoundErrorDecoder | 2;
  const uint32_t playError = platform::kSoundErrorDecoder | 3;
  sound_.setOpenResult("missing.wav", openError);
  EXPECT_EQ("", run("play  bell.wav \n"));
  ASSERT_TRUE(sound_.waitForPlaysEnded(1, 5000));
  ASSERT_TRUE(playersDone());
  EXPECT_EQ("PLAY: bell.wav\n", capture_.out());
  auto played = [this](const char* body) {
    run(body);
    return playersDone();
  };
  ASSERT_TRUE(played("play \"a b.wav\"\n"));
  ASSERT_TRUE(played("play missing.wav\n"));
  sound_.setPlayResult(playError);
  ASSERT_TRUE(played("play bad.wav\n"));
  EXPECT_EQ("PLAY: bell.wav\nPLAY: \"a b.wav\"\nCan't open 'missing.wav': " +
                platform::soundErrorText(openError) +
                "\nCan't play 'bad.wav': " + platform::soundErrorText(playError) + "\n",
            capture_.out());
  // The name keeps its quotes; a failed play closes the device.
  EXPECT_EQ(
      "open bell.wav\nplay bell.wav\nclose bell.wav\nopen \"a b.wav\"\nplay \"a b.wav\"\n"
      "close \"a b.wav\"\nopen missing.wav failed\nopen bad.wav\nplay bad.wav\nclose bad.wav\n",
      sound_.journal());
}

TEST_F(UserCommandsTest, OverlappingPlaysEachPlayWithoutDelayingTheScript) {
  sound_.setPlayDurationMs(FakeSoundSystem::kUntilFinished);
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

// The prompt reads its answers from a file and writes what it shows into another.
class WaitUserTest : public UserCommandsTest {
 protected:
  WaitUserTest() : answers_(std::tmpfile()), shown_(std::tmpfile()) {
    std::fputs("\n\n\n", answers_);
    std::rewind(answers_);
    platform::setPromptDescriptorsForTest(fileno(answers_), fileno(shown_));
  }
  ~WaitUserTest() override {
    platform::setPromptDescriptorsForTest(-1, -1);
    std::fclose(answers_);
    std::fclose(shown_);
  }

  std::string shown() {
    std::fflush(shown_);
    std::rewind(shown_);
    std::string text;
    for (int c; (c = std::fgetc(shown_)) != EOF;) text += static_cast<char>(c);
    return text;
  }

  FILE* answers_;
  FILE* shown_;
};

TEST_F(WaitUserTest, PromptsShowTheirUnescapedTextAfterReleasingTheLock) {
  EXPECT_EQ("Camera locked\nWait for user input\nWait for user input\nWait for user input\nafter\n",
            run("lockui\nwait\nwait user=\"Two\\nlines \\\\ok\"\nwait input=Word\necho after\n"));
  EXPECT_EQ(0u, camera_.uiLockCount());
  const std::string text = shown();
  for (const char* part :
       {"Quorvale: Wait for user input", "Press OK to continue...", "Two\nlines \\ok", "Word"}) {
    EXPECT_NE(std::string::npos, text.find(part)) << part << " in " << text;
  }
}

// A prompt that gets no answer: its input is a pipe whose writing end stays open, so reads block
// until the stop event ends the prompt.
TEST_F(WaitUserTest, StopDuringThePromptEndsTheScript) {
  int pipeEnds[2];
  ASSERT_EQ(0, pipe(pipeEnds));
  platform::setPromptDescriptorsForTest(pipeEnds[0], fileno(shown_));
  std::thread stopper([this] {
    for (int i = 0; i < 2500 && shown().empty(); ++i) platform::sleepMs(2);
    platform::sleepMs(20);
    stop_.set();
  });
  EXPECT_EQ("Wait for user input\n\nProgram terminated!\n", run("wait\necho never\n"));
  stopper.join();
  EXPECT_EQ("value 0", end_);
  platform::setPromptDescriptorsForTest(-1, -1);
  close(pipeEnds[0]);
  close(pipeEnds[1]);
}

}  // namespace
