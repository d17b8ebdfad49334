// Sound playback for the script's play command: decode a sound file and play it to its end on the
// system's default output device.
//
// Errors are codes whose text soundErrorText() gives (the decoder's or the audio system's own
// message). A code names its source in its top four bits and carries the library's own number:
//   kSoundErrorDecoder | system error << 16 | decoder error number   (the file could not be read;
//                                 the system error is there when the decoder reported one)
//   kSoundErrorOutput | audio system error number                     (the device refused)
//   kSoundErrorOutputOpen | audio system error number                 (no output could be opened;
//                                 its text says so before the audio system's own)
//
// Thread safety: each SoundDevice is used by one thread; several devices may play at once.
// setSoundDeviceFactoryForTest() must not race with createSoundDevice().
#ifndef QUORVALE_PLATFORM_SOUND_PLAYER_H_
#define QUORVALE_PLATFORM_SOUND_PLAYER_H_

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

constexpr uint32_t kSoundErrorDecoder = 0x10000000;
constexpr uint32_t kSoundErrorOutput = 0x20000000;
constexpr uint32_t kSoundErrorOutputOpen = 0x30000000;
constexpr uint32_t kSoundErrorSourceMask = 0xF0000000;

class SoundDevice {
 public:
  virtual ~SoundDevice() = default;

  // Opens |path| and prepares the output device, the file first (so a missing file is reported as
  // such even where there is no device). Returns 0 or an error code; on failure nothing stays open.
  virtual uint32_t open(const std::string& path) = 0;
  // Plays the opened sound and returns when it has ended (the device has drained). Returns 0 or an
  // error code; an error when nothing is open.
  virtual uint32_t playToEnd() = 0;
  // Releases the file and the device; safe to call in any state.
  virtual void close() = 0;
};

// A new device: the real one, or what a test installed.
std::unique_ptr<SoundDevice> createSoundDevice();

// The text of a sound error code, as the library gave it; an empty text for 0 and for a code of no
// known source.
std::string soundErrorText(uint32_t code);

// Opens |path| with the decoder and closes it again, touching no output device: 0 when the file
// can be decoded (with its length in *seconds when not null), else a decoder error code.
uint32_t probeSoundFile(const std::string& path, double* seconds);

// Test seam: replaces the factory behind createSoundDevice() (null restores the real one).
using SoundDeviceFactory = std::unique_ptr<SoundDevice> (*)();
void setSoundDeviceFactoryForTest(SoundDeviceFactory factory);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_SOUND_PLAYER_H_
