// Echo, skip reports, the play command's background players and the user prompt.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "camera/canon_camera.h"
#include "platform/sound_player.h"
#include "platform/user_prompt.h"
#include "script/audio_player.h"
#include "script/script_parser.h"
#include "script/script_test_support.h"
#include "tests/fake_sound_device.h"

namespace {

using script_testing::FakeScriptClock;
using script_testing::OutputCapture;
using script_testing::runScript;

class UserCommandsTest : public testing::Test {
 protected:
  UserCommandsTest() : camera_(nullptr, nullptr), stop_(true, false), clock_(0) {}

  ~UserCommandsTest() override {
    // No player may outlive the fake sound system or the output capture.
    sound_.finishPlays();
    for (int i = 0; i < 500 && runningAudioPlayers() != 0; ++i) platform::sleepMs(2);
  }

  std::string run(const std::string& body) {
    CQuorvaleScriptParser parser(&camera_, nullptr, nullptr, &stop_, &clock_);
    parser_ = &parser;
    end_ = runScript(&parser, "#!quorvale\n" + body);
    parser_ = nullptr;
    return capture_.out();
  }

  // Waits until no player thread runs any more.
  bool playersDone() {
    for (int i = 0; i < 2500; ++i) {
      if (runningAudioPlayers() == 0) return true;
      platform::sleepMs(2);
    }
    return false;
  }

  FakeSoundSystem sound_;
  OutputCapture capture_{true};
  CCanonCamera camera_;
  platform::Event stop_;
  FakeScriptClock clock_;
  CQuorvaleScriptParser* parser_ = nullptr;
  std::string end_;
};

TEST_F(UserCommandsTest, PlayReportsAfterTheSoundEnds) {
  EXPECT_EQ("", run("play  bell.wav \n"));
  ASSERT_TRUE(sound_.waitForPlaysEnded(1, 5000));
  ASSERT_TRUE(playersDone());
  EXPECT_EQ("PLAY: bell.wav\n", capture_.out());
  // The name keeps its quotes: they are not removed for the sound device.
  run("play \"a b.wav\"\n");
  ASSERT_TRUE(playersDone());
  EXPECT_EQ((std::vector<std::string>{"bell.wav", "\"a b.wav\""}), sound_.opened());
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

TEST_F(UserCommandsTest, MissingAndUnplayableFilesAreReported) {
  const uint32_t openError = platform::kSoundErrorDecoder | 2;
  sound_.setOpenResult("missing.wav", openError);
  run("play missing.wav\n");
  ASSERT_TRUE(playersDone());
  EXPECT_EQ("Can't open 'missing.wav': " + platform::soundErrorText(openError) + "\n",
            capture_.out());
  EXPECT_EQ("open missing.wav failed\n", sound_.journal());
}

TEST_F(UserCommandsTest, FailedPlayIsReportedAndTheDeviceClosed) {
  const uint32_t playError = platform::kSoundErrorDecoder | 3;
  sound_.setPlayResult(playError);
  run("play bad.wav\n");
  ASSERT_TRUE(playersDone());
  EXPECT_EQ("Can't play 'bad.wav': " + platform::soundErrorText(playError) + "\n", capture_.out());
  EXPECT_EQ("open bad.wav\nplay bad.wav\nclose bad.wav\n", sound_.journal());
}

// The prompt reads its answer from a file and writes what it shows into another.
class WaitUserTest : public UserCommandsTest {
 protected:
  WaitUserTest() : input_(std::tmpfile()), shown_(std::tmpfile()) {
    std::fputs("\n\n\n", input_);
    std::fflush(input_);
    std::rewind(input_);
    platform::setPromptDescriptorsForTest(fileno(input_), fileno(shown_));
  }
  ~WaitUserTest() override {
    platform::setPromptDescriptorsForTest(-1, -1);
    std::fclose(input_);
    std::fclose(shown_);
  }

  std::string shown() {
    std::fflush(shown_);
    std::rewind(shown_);
    std::string text;
    for (int c; (c = std::fgetc(shown_)) != EOF;) text += static_cast<char>(c);
    return text;
  }

  FILE* input_;
  FILE* shown_;
};

TEST_F(WaitUserTest, BareWaitShowsTheDefaultTextAfterReleasingTheLock) {
  EXPECT_EQ("Camera locked\nWait for user input\nafter\n", run("lockui\nwait\necho after\n"));
  EXPECT_EQ(0u, camera_.uiLockCount());
  std::string text = shown();
  EXPECT_NE(std::string::npos, text.find("Quorvale: Wait for user input")) << text;
  EXPECT_NE(std::string::npos, text.find("Press OK to continue...")) << text;
}

TEST_F(WaitUserTest, UserTextIsUnescaped) {
  EXPECT_EQ("Wait for user input\nWait for user input\n",
            run("wait user=\"Two\\nlines \\\\ok\"\nwait input=Word\n"));
  std::string text = shown();
  EXPECT_NE(std::string::npos, text.find("Two\nlines \\ok")) << text;
  EXPECT_NE(std::string::npos, text.find("Word")) << text;
}

// A prompt that gets no answer: its input is a named pipe that this process also holds open for
// writing, so reads block until the stop event ends the prompt.
TEST_F(WaitUserTest, StopDuringThePromptEndsTheScript) {
  std::string fifo =
      testing::TempDir() + "quorvale_prompt_" + std::to_string(std::random_device()());
  ASSERT_EQ(0, std::system(("mkfifo '" + fifo + "'").c_str()));
  FILE* silent = std::fopen(fifo.c_str(), "r+");
  ASSERT_NE(nullptr, silent);
  platform::setPromptDescriptorsForTest(fileno(silent), fileno(shown_));
  std::thread stopper([this] {
    for (int i = 0; i < 2500 && shown().empty(); ++i) platform::sleepMs(2);
    platform::sleepMs(20);
    stop_.set();
  });
  EXPECT_EQ("Wait for user input\n\nProgram terminated!\n", run("wait\necho never\n"));
  stopper.join();
  EXPECT_EQ("value 0", end_);
  platform::setPromptDescriptorsForTest(-1, -1);
  std::fclose(silent);
  std::remove(fifo.c_str());
}

TEST_F(UserCommandsTest, SkipReportsEachUnmatchedByteAndWholeWaitLines) {
  EXPECT_EQ("\nSkip: %\n\nSkip: sleep 5\n\n", run("%\nwait sleep 5\n"));
}

}  // namespace
