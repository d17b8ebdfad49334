// Sound playback on Linux: libsndfile decodes the file, ALSA's "default" PCM plays it.

#include <alsa/asoundlib.h>
#include <sndfile.h>

#include <atomic>
#include <cerrno>
#include <map>
#include <mutex>
#include <vector>

#include "platform/sound_player.h"

namespace platform {
namespace {

constexpr uint32_t kNumberMask = 0x0000FFFF;
constexpr uint32_t kSystemErrorMask = 0x0FFF0000;
constexpr uint32_t kOutputNumberMask = 0x0FFFFFFF;
constexpr int kSystemErrorShift = 16;
constexpr sf_count_t kFramesPerWrite = 4096;
constexpr unsigned int kLatencyUs = 500000;

std::atomic<SoundDeviceFactory> g_factory{nullptr};

// Serialises the opening of files and devices: libsndfile reports a failed open through
// process-wide state, and ALSA reads its shared configuration on open.
std::mutex g_openMutex;

// The texts the decoder gave for the codes made so far (a system error's text names the system
// error, which the number alone does not give).
std::mutex g_textMutex;
std::map<uint32_t, std::string> g_decoderTexts;  // guarded by g_textMutex

uint32_t decoderError(int number, int systemError, const char* text) {
  uint32_t code = kSoundErrorDecoder | (static_cast<uint32_t>(number) & kNumberMask);
  if (number == SF_ERR_SYSTEM && systemError > 0) {
    code |= (static_cast<uint32_t>(systemError) << kSystemErrorShift) & kSystemErrorMask;
  }
  if (text != nullptr) {
    std::lock_guard<std::mutex> lock(g_textMutex);
    g_decoderTexts[code] = text;
  }
  return code;
}

uint32_t outputError(int alsaError, uint32_t source = kSoundErrorOutput) {
  return source | (static_cast<uint32_t>(-alsaError) & kOutputNumberMask);
}

// ALSA prints its own diagnostics to standard error; the player reports errors itself.
void silentAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

void installAlsaErrorHandler() {
  static std::once_flag once;
  std::call_once(once, [] { snd_lib_error_set_handler(silentAlsaErrors); });
}

class AlsaSoundDevice final : public SoundDevice {
 public:
  AlsaSoundDevice() { installAlsaErrorHandler(); }
  ~AlsaSoundDevice() override { close(); }
  AlsaSoundDevice(const AlsaSoundDevice&) = delete;
  AlsaSoundDevice& operator=(const AlsaSoundDevice&) = delete;

  uint32_t open(const std::string& path) override {
    close();
    std::lock_guard<std::mutex> lock(g_openMutex);
    info_ = SF_INFO();
    file_ = sf_open(path.c_str(), SFM_READ, &info_);
    if (file_ == nullptr) {
      int systemError = errno;
      return decoderError(sf_error(nullptr), systemError, sf_strerror(nullptr));
    }
    int err = snd_pcm_open(&pcm_, "default", SND_PCM_STREAM_PLAYBACK, 0);
    if (err >= 0) {
      err = snd_pcm_set_params(pcm_, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED,
                               static_cast<unsigned int>(info_.channels),
                               static_cast<unsigned int>(info_.samplerate), 1, kLatencyUs);
    }
    if (err < 0) {
      close();
      return outputError(err, kSoundErrorOutputOpen);
    }
    return 0;
  }

  uint32_t playToEnd() override {
    if (file_ == nullptr || pcm_ == nullptr) return outputError(-EBADFD);
    std::vector<short> samples(static_cast<size_t>(kFramesPerWrite * info_.channels));
    for (;;) {
      sf_count_t frames = sf_readf_short(file_, samples.data(), kFramesPerWrite);
      if (frames <= 0) {
        int number = sf_error(file_);
        if (number != SF_ERR_NO_ERROR) {
          int systemError = errno;
          return decoderError(number, systemError, sf_strerror(file_));
        }
        break;
      }
      const short* next = samples.data();
      while (frames > 0) {
        snd_pcm_sframes_t written =
            snd_pcm_writei(pcm_, next, static_cast<snd_pcm_uframes_t>(frames));
        if (written < 0) {
          // An underrun or a suspend: recover and write the same frames again.
          int err = snd_pcm_recover(pcm_, static_cast<int>(written), 1);
          if (err < 0) return outputError(err);
          continue;
        }
        frames -= written;
        next += written * info_.channels;
      }
    }
    int err = snd_pcm_drain(pcm_);
    return err < 0 ? outputError(err) : 0;
  }

  void close() override {
    if (pcm_ != nullptr) {
      snd_pcm_close(pcm_);
      pcm_ = nullptr;
    }
    if (file_ != nullptr) {
      sf_close(file_);
      file_ = nullptr;
    }
  }

 private:
  SNDFILE* file_ = nullptr;
  SF_INFO info_ = SF_INFO();
  snd_pcm_t* pcm_ = nullptr;
};

}  // namespace

std::unique_ptr<SoundDevice> createSoundDevice() {
  SoundDeviceFactory factory = g_factory.load();
  if (factory != nullptr) return factory();
  return std::make_unique<AlsaSoundDevice>();
}

std::string soundErrorText(uint32_t code) {
  switch (code & kSoundErrorSourceMask) {
    case kSoundErrorDecoder: {
      {
        std::lock_guard<std::mutex> lock(g_textMutex);
        auto it = g_decoderTexts.find(code);
        if (it != g_decoderTexts.end()) return it->second;
      }
      const char* text = sf_error_number(static_cast<int>(code & kNumberMask));
      return text != nullptr ? text : "";
    }
    case kSoundErrorOutput:
    case kSoundErrorOutputOpen: {
      const char* text = snd_strerror(-static_cast<int>(code & kOutputNumberMask));
      const std::string alsaText = text != nullptr ? text : "";
      if ((code & kSoundErrorSourceMask) == kSoundErrorOutput) return alsaText;
      return "Sound output could not be opened: " + alsaText;
    }
    default:
      return "";
  }
}

void setSoundDeviceFactoryForTest(SoundDeviceFactory factory) { g_factory.store(factory); }

uint32_t probeSoundFile(const std::string& path, double* seconds) {
  std::lock_guard<std::mutex> lock(g_openMutex);
  SF_INFO info = SF_INFO();
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) {
    int systemError = errno;
    return decoderError(sf_error(nullptr), systemError, sf_strerror(nullptr));
  }
  if (seconds != nullptr) {
    *seconds = info.samplerate > 0 ? static_cast<double>(info.frames) / info.samplerate : 0.0;
  }
  sf_close(file);
  return 0;
}

}  // namespace platform
