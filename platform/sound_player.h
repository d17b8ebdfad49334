// Sound playback for the script's play command: decode a sound file and play it to its end on the
// system's default output device.
//
// Errors are codes whose text soundErrorText() gives (the decoder's or the audio system's own
// message).
//
// Thread safety: each SoundDevice is used by one thread; several devices may play at once.
// setSoundDeviceFactoryForTest() must not race with createSoundDevice().
#ifndef QUORVALE_PLATFORM_SOUND_PLAYER_H_
#define QUORVALE_PLATFORM_SOUND_PLAYER_H_

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class SoundDevice {
 public:
  virtual ~SoundDevice() = default;

  // Opens |path| and prepares the output device. Returns 0 or an error code.
  virtual uint32_t open(const std::string& path) = 0;
  // Plays the opened sound and returns when it has ended. Returns 0 or an error code.
  virtual uint32_t playToEnd() = 0;
  // Releases the file and the device; safe to call in any state.
  virtual void close() = 0;
};

// A new device: the real one, or what a test installed.
std::unique_ptr<SoundDevice> createSoundDevice();

// The text of a sound error code; an empty text for a code without one.
std::string soundErrorText(uint32_t code);

// Test seam: replaces the factory behind createSoundDevice() (null restores the real one).
using SoundDeviceFactory = std::unique_ptr<SoundDevice> (*)();
void setSoundDeviceFactoryForTest(SoundDeviceFactory factory);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_SOUND_PLAYER_H_
