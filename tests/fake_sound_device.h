// Fake sound devices for tests of the play command. While a FakeSoundSystem lives,
// platform::createSoundDevice() makes devices that answer as the system is told and record their
// calls. The devices share their state with the system, so a detached player still playing when
// the system is destroyed stays safe (its play ends at once).
//
// Thread safety: every operation may be called from any thread; one mutex guards the shared state.
// Only one FakeSoundSystem may exist at a time.
#ifndef QUORVALE_TESTS_FAKE_SOUND_DEVICE_H_
#define QUORVALE_TESTS_FAKE_SOUND_DEVICE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/sound_player.h"

class FakeSoundSystem {
 public:
  FakeSoundSystem();
  ~FakeSoundSystem();  // restores the real devices and ends every play in progress
  FakeSoundSystem(const FakeSoundSystem&) = delete;
  FakeSoundSystem& operator=(const FakeSoundSystem&) = delete;

  void setOpenResult(const std::string& path, uint32_t code);  // 0 for other files
  void setPlayResult(uint32_t code);
  void holdPlays();    // plays last until finishPlays()
  void finishPlays();  // ends every play in progress; later plays return at once

  // Waits at most |timeoutMs| for |count| plays in progress at once; true when they were.
  bool waitForPlaysInProgress(size_t count, uint32_t timeoutMs) const;
  size_t maxConcurrentPlays() const;
  // "open <path>[ failed]", "play <path>" (when the play ends), "close <path>", a line each.
  std::string journal() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

#endif  // QUORVALE_TESTS_FAKE_SOUND_DEVICE_H_
