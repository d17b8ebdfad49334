// Sound playback on Windows through MCI: "open <file> type waveaudio alias <name>", "play <name>
// wait", "close <name>". Errors are MCI error codes with kSoundErrorOutput; their text is
// mciGetErrorStringA's.
//
// Each device opens the sound under an alias of its own, so that overlapping play commands each
// play on their own instead of refusing the second one.
#include <windows.h>
// After windows.h, which it builds on.
#include <mmsystem.h>

#include <atomic>

#include "platform/sound_player.h"

namespace platform {
namespace {

constexpr uint32_t kMciErrorMask = 0x0FFFFFFF;
// What probeSoundFile finds wrong with a file (with kSoundErrorDecoder).
constexpr uint32_t kDecoderCannotOpen = 1;
constexpr uint32_t kDecoderNotWave = 2;

std::atomic<SoundDeviceFactory> g_factory{nullptr};
std::atomic<unsigned> g_aliasCounter{0};

uint32_t mciError(MCIERROR error) {
  return error == 0 ? 0 : kSoundErrorOutput | (static_cast<uint32_t>(error) & kMciErrorMask);
}

class MciSoundDevice final : public SoundDevice {
 public:
  MciSoundDevice() : alias_("quorvale" + std::to_string(g_aliasCounter++)) {}
  ~MciSoundDevice() override { close(); }
  MciSoundDevice(const MciSoundDevice&) = delete;
  MciSoundDevice& operator=(const MciSoundDevice&) = delete;

  uint32_t open(const std::string& path) override {
    close();
    const std::string command = "open " + path + " type waveaudio alias " + alias_;
    char reply[1024];
    const uint32_t code = mciError(mciSendStringA(command.c_str(), reply, sizeof(reply), nullptr));
    open_ = code == 0;
    return code;
  }

  uint32_t playToEnd() override {
    if (!open_) return kSoundErrorOutput | MCIERR_INVALID_DEVICE_NAME;
    const std::string command = "play " + alias_ + " wait";
    char reply[1024];
    return mciError(mciSendStringA(command.c_str(), reply, sizeof(reply), nullptr));
  }

  void close() override {
    if (!open_) return;
    const std::string command = "close " + alias_;
    mciSendStringA(command.c_str(), nullptr, 0, nullptr);
    open_ = false;
  }

 private:
  const std::string alias_;
  bool open_ = false;
};

}  // namespace

std::unique_ptr<SoundDevice> createSoundDevice() {
  SoundDeviceFactory factory = g_factory.load();
  if (factory != nullptr) return factory();
  return std::make_unique<MciSoundDevice>();
}

uint32_t probeSoundFile(const std::string& path, double* seconds) {
  // The wave file's own structure, read with the multimedia file functions: a RIFF "WAVE" form
  // with its "fmt " and "data" chunks.
  MMIOINFO info{};
  HMMIO file = mmioOpenA(const_cast<char*>(path.c_str()), &info, MMIO_READ | MMIO_DENYWRITE);
  if (file == nullptr) return kSoundErrorDecoder | kDecoderCannotOpen;
  uint32_t code = kSoundErrorDecoder | kDecoderNotWave;
  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  MMCKINFO chunk{};
  WAVEFORMATEX format{};
  if (mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) == 0) {
    chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    if (mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) == 0 &&
        mmioRead(file, reinterpret_cast<HPSTR>(&format), 16) == 16 && format.nAvgBytesPerSec != 0) {
      mmioAscend(file, &chunk, 0);
      chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
      if (mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) == 0) {
        if (seconds != nullptr)
          *seconds = static_cast<double>(chunk.cksize) / format.nAvgBytesPerSec;
        code = 0;
      }
    }
  }
  mmioClose(file, 0);
  return code;
}

std::string soundErrorText(uint32_t code) {
  if ((code & kSoundErrorSourceMask) == kSoundErrorDecoder) {
    switch (code & ~kSoundErrorSourceMask) {
      case kDecoderCannotOpen:
        return "The file cannot be opened.";
      case kDecoderNotWave:
        return "The file is not a wave sound.";
      default:
        return "";
    }
  }
  if ((code & kSoundErrorSourceMask) != kSoundErrorOutput) return "";
  char text[1024];
  if (!mciGetErrorStringA(code & kMciErrorMask, text, sizeof(text))) return "";
  return text;
}

void setSoundDeviceFactoryForTest(SoundDeviceFactory factory) { g_factory.store(factory); }

}  // namespace platform
