#include "platform/sound_player.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr char kMissing[] = "/tmp/quorvale-no-such-sound.wav";
constexpr uint32_t kMissingCode = platform::kSoundErrorDecoder | (ENOENT << 16) | SF_ERR_SYSTEM;

uint32_t openFile(const std::string& path) { return platform::createSoundDevice()->open(path); }

// Two files of their own: words that are no sound, and a short stereo sound.
class SoundPlayerTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quorvale_sound_XXXXXX";
    int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    close(fd);
    base_ = pattern;
    FILE* file = fopen(text().c_str(), "w");
    ASSERT_NE(nullptr, file);
    fputs("this is not a sound at all, only some words in a file\n", file);
    fclose(file);
  }
  void TearDown() override {
    for (const std::string& path : {base_, text(), sound()}) unlink(path.c_str());
  }
  std::string text() const { return base_ + ".txt.wav"; }
  std::string sound() const { return base_ + ".wav"; }

  bool writeSound(int milliseconds) {
    SF_INFO info = SF_INFO();
    info.samplerate = 8000;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(sound().c_str(), SFM_WRITE, &info);
    if (file == nullptr) return false;
    int frames = info.samplerate * milliseconds / 1000;
    std::vector<short> samples(frames * 2, 0);  // silence plays like any sound
    bool ok = sf_writef_short(file, samples.data(), frames) == frames;
    return sf_close(file) == 0 && ok;
  }

  std::string base_;
};

// The decoder keeps the last open failure in process-wide state: players failing at once must
// each get their own file's error.
TEST_F(SoundPlayerTest, ConcurrentOpenFailuresKeepTheirOwnDecoderErrors) {
  std::vector<uint32_t> codes(8);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < codes.size(); ++i)
    threads.emplace_back([&, i] { codes[i] = openFile(i % 2 == 0 ? kMissing : text()); });
  for (std::thread& thread : threads) thread.join();
  for (size_t i = 0; i < codes.size(); i += 2) {
    EXPECT_EQ(kMissingCode, codes[i]) << i;
    EXPECT_EQ("System error : No such file or directory.", platform::soundErrorText(codes[i]));
    EXPECT_EQ(platform::kSoundErrorDecoder | SF_ERR_UNRECOGNISED_FORMAT, codes[i + 1]) << i;
    EXPECT_EQ("Format not recognised.", platform::soundErrorText(codes[i + 1]));
  }
}

// Plays where there is a sound device; elsewhere the refusal carries the audio system's text.
// Either way the device can be closed, twice, and reports nothing open.
TEST_F(SoundPlayerTest, PlaysASoundOrReportsTheDevicesRefusal) {
  ASSERT_TRUE(writeSound(50));
  constexpr uint32_t kNothingOpen = platform::kSoundErrorOutput | EBADFD;
  std::unique_ptr<platform::SoundDevice> device = platform::createSoundDevice();
  EXPECT_EQ(kNothingOpen, device->playToEnd());

  uint32_t code = device->open(sound());
  if (code == 0) {
    EXPECT_EQ(0u, device->playToEnd());
  } else {
    EXPECT_EQ(platform::kSoundErrorOutputOpen, code & platform::kSoundErrorSourceMask);
    EXPECT_EQ(std::string("Sound output could not be opened: ") +
                  snd_strerror(-static_cast<int>(code & ~platform::kSoundErrorSourceMask)),
              platform::soundErrorText(code));
    EXPECT_EQ(kNothingOpen, device->playToEnd());
  }
  device->close();
  EXPECT_EQ(kNothingOpen, device->playToEnd());
}

}  // namespace
