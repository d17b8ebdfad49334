#include "platform/sound_player.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace {

// A temporary file name, removed with the object.
class TempPath {
 public:
  explicit TempPath(const char* suffix) {
    char pattern[] = "/tmp/quorvale_sound_XXXXXX";
    int fd = mkstemp(pattern);
    if (fd >= 0) close(fd);
    base_ = pattern;
    path_ = base_ + suffix;
  }
  ~TempPath() {
    unlink(path_.c_str());
    unlink(base_.c_str());
  }
  TempPath(const TempPath&) = delete;
  TempPath& operator=(const TempPath&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string base_;
  std::string path_;
};

// Writes a short 440 Hz stereo tone as 16-bit WAV.
bool writeTone(const std::string& path, int milliseconds) {
  SF_INFO info = SF_INFO();
  info.samplerate = 8000;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) return false;
  std::vector<short> samples;
  int frames = info.samplerate * milliseconds / 1000;
  for (int i = 0; i < frames; ++i) {
    short value = static_cast<short>(8000 * std::sin(2 * M_PI * 440 * i / info.samplerate));
    samples.push_back(value);
    samples.push_back(value);
  }
  bool ok = sf_writef_short(file, samples.data(), frames) == frames;
  return sf_close(file) == 0 && ok;
}

uint32_t openMissing(const std::string& path) {
  std::unique_ptr<platform::SoundDevice> device = platform::createSoundDevice();
  return device->open(path);
}

TEST(SoundPlayerTest, FilesTheDecoderCannotReadGiveItsMessage) {
  uint32_t code = openMissing("/tmp/quorvale-no-such-sound.wav");
  EXPECT_EQ(platform::kSoundErrorDecoder | (ENOENT << 16) | SF_ERR_SYSTEM, code);
  EXPECT_EQ("System error : No such file or directory.", platform::soundErrorText(code));

  TempPath text(".wav");
  FILE* file = fopen(text.path().c_str(), "w");
  ASSERT_NE(nullptr, file);
  fputs("this is not a sound at all, only some words in a file\n", file);
  fclose(file);
  code = openMissing(text.path());
  EXPECT_EQ(platform::kSoundErrorDecoder | SF_ERR_UNRECOGNISED_FORMAT, code);
  EXPECT_EQ("Format not recognised.", platform::soundErrorText(code));
}

TEST(SoundPlayerTest, ErrorTextsComeFromTheirLibrary) {
  EXPECT_EQ("", platform::soundErrorText(0));
  EXPECT_EQ("", platform::soundErrorText(0x30000002));
  EXPECT_EQ(snd_strerror(-EBUSY), platform::soundErrorText(platform::kSoundErrorOutput | EBUSY));
  EXPECT_EQ("Device or resource busy",
            platform::soundErrorText(platform::kSoundErrorOutput | EBUSY));
  EXPECT_EQ("Supported file format but file is malformed.",
            platform::soundErrorText(platform::kSoundErrorDecoder | SF_ERR_MALFORMED_FILE));
}

// Several players fail at once: each gets its own file's error and its text (the decoder keeps
// the last open failure in process-wide state).
TEST(SoundPlayerTest, ConcurrentOpenFailuresKeepTheirOwnErrors) {
  TempPath text(".wav");
  FILE* file = fopen(text.path().c_str(), "w");
  ASSERT_NE(nullptr, file);
  fputs("not a sound\n", file);
  fclose(file);

  std::vector<uint32_t> codes(8);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < codes.size(); ++i) {
    threads.emplace_back([&, i] {
      codes[i] = openMissing(i % 2 == 0 ? "/tmp/quorvale-no-such-sound.wav" : text.path());
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t i = 0; i < codes.size(); ++i) {
    EXPECT_EQ(i % 2 == 0 ? "System error : No such file or directory." : "Format not recognised.",
              platform::soundErrorText(codes[i]))
        << i;
  }
}

// A real tone: plays where there is a sound device, and elsewhere the device's refusal comes with
// the audio system's own text. Either way the device can be closed and used again.
TEST(SoundPlayerTest, PlaysAToneOrReportsTheDevicesRefusal) {
  TempPath tone(".wav");
  ASSERT_TRUE(writeTone(tone.path(), 50));

  std::unique_ptr<platform::SoundDevice> device = platform::createSoundDevice();
  EXPECT_EQ(platform::kSoundErrorOutput | EBADFD, device->playToEnd());  // nothing open yet

  uint32_t code = device->open(tone.path());
  if (code == 0) {
    EXPECT_EQ(0u, device->playToEnd());
  } else {
    EXPECT_EQ(platform::kSoundErrorOutput, code & platform::kSoundErrorSourceMask);
    std::string text = platform::soundErrorText(code);
    EXPECT_EQ(snd_strerror(-static_cast<int>(code & ~platform::kSoundErrorSourceMask)), text);
    EXPECT_NE("", text);
    // A failed open leaves nothing open.
    EXPECT_EQ(platform::kSoundErrorOutput | EBADFD, device->playToEnd());
  }
  device->close();
  device->close();
  EXPECT_EQ(platform::kSoundErrorOutput | EBADFD, device->playToEnd());
}

class ScriptedDevice final : public platform::SoundDevice {
 public:
  uint32_t open(const std::string& path) override { return path == "ok" ? 0 : 7; }
  uint32_t playToEnd() override { return 0; }
  void close() override {}
};

std::unique_ptr<platform::SoundDevice> makeScriptedDevice() {
  return std::make_unique<ScriptedDevice>();
}

TEST(SoundPlayerTest, FactorySeamReplacesAndRestoresTheDevice) {
  platform::setSoundDeviceFactoryForTest(makeScriptedDevice);
  EXPECT_EQ(7u, platform::createSoundDevice()->open("/tmp/quorvale-no-such-sound.wav"));
  platform::setSoundDeviceFactoryForTest(nullptr);
  EXPECT_EQ(platform::kSoundErrorDecoder | (ENOENT << 16) | SF_ERR_SYSTEM,
            platform::createSoundDevice()->open("/tmp/quorvale-no-such-sound.wav"));
}

}  // namespace
