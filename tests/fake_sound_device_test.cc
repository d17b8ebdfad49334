#include "tests/fake_sound_device.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

namespace {

uint32_t playFile(const std::string& path) {
  std::unique_ptr<platform::SoundDevice> device = platform::createSoundDevice();
  uint32_t result = device->open(path);
  if (result == 0) result = device->playToEnd();
  device->close();
  return result;
}

TEST(FakeSoundDeviceTest, AnswersAsToldAndRecordsTheCalls) {
  FakeSoundSystem sound;
  sound.setOpenResult("missing.wav", platform::kSoundErrorDecoder | 2);
  EXPECT_EQ(platform::kSoundErrorDecoder | 2, playFile("missing.wav"));
  EXPECT_EQ(0u, playFile("a.wav"));
  sound.setPlayResult(platform::kSoundErrorOutput | EIO);
  EXPECT_EQ(platform::kSoundErrorOutput | EIO, playFile("b.wav"));
  sound.setOpenResult(platform::kSoundErrorOutput | ENOENT);
  EXPECT_EQ(platform::kSoundErrorOutput | ENOENT, playFile("c.wav"));

  EXPECT_EQ(
      "open missing.wav failed\nopen a.wav\nplay a.wav\nclose a.wav\n"
      "open b.wav\nplay b.wav\nclose b.wav\nopen c.wav failed\n",
      sound.journal());
  EXPECT_EQ((std::vector<std::string>{"missing.wav", "a.wav", "b.wav", "c.wav"}), sound.opened());
  EXPECT_EQ((std::vector<std::string>{"a.wav", "b.wav"}), sound.played());

  // A device whose open failed does not play.
  std::unique_ptr<platform::SoundDevice> device = platform::createSoundDevice();
  EXPECT_NE(0u, device->open("d.wav"));
  EXPECT_EQ(platform::kSoundErrorOutput | EBADFD, device->playToEnd());
}

TEST(FakeSoundDeviceTest, OverlappingPlaysRunTogetherUntilFinished) {
  FakeSoundSystem sound;
  sound.setPlayDurationMs(FakeSoundSystem::kUntilFinished);
  std::thread first([] { playFile("one.wav"); });
  std::thread second([] { playFile("two.wav"); });
  EXPECT_TRUE(sound.waitForPlaysInProgress(2, 10000));
  EXPECT_TRUE(sound.played().empty());
  EXPECT_FALSE(sound.waitForPlaysEnded(1, 20));

  sound.finishPlays();
  EXPECT_TRUE(sound.waitForPlaysEnded(2, 10000));
  first.join();
  second.join();
  EXPECT_TRUE(sound.waitForDevicesGone(10000));
  EXPECT_EQ(2u, sound.maxConcurrentPlays());
}

TEST(FakeSoundDeviceTest, PlayersMayOutliveTheSystem) {
  std::thread player;
  {
    FakeSoundSystem sound;
    sound.setPlayDurationMs(FakeSoundSystem::kUntilFinished);
    player = std::thread([] { playFile("long.wav"); });
    ASSERT_TRUE(sound.waitForPlaysInProgress(1, 10000));
  }
  player.join();  // ended by the system's destruction, touching nothing freed
  // The real devices are back: a missing file is the decoder's error again.
  EXPECT_EQ(platform::kSoundErrorDecoder,
            playFile("/tmp/quorvale-no-such-sound.wav") & platform::kSoundErrorSourceMask);
}

}  // namespace
