// Fake sound devices for tests of the play command.
//
// While a FakeSoundSystem lives, platform::createSoundDevice() makes FakeSoundDevices that answer
// as the system is told (open and play results, how long a play lasts) and record what they were
// asked to do. Player threads are detached and may outlive the test's interest in them: the
// devices share their state with the system, so a device still playing when the system is
// destroyed stays safe (it ends its play at once).
//
//   FakeSoundSystem sound;
//   sound.setOpenResult("missing.wav", platform::kSoundErrorDecoder | 2);
//   ... code under test starts players ...
//   ASSERT_TRUE(sound.waitForPlaysEnded(1, 5000));
//   EXPECT_EQ(std::vector<std::string>{"a.wav"}, sound.played());
//
// Thread safety: every operation may be called from any thread; several player threads may use
// devices at once. One mutex guards the shared state. Only one FakeSoundSystem may exist at a time.
#ifndef QUORVALE_TESTS_FAKE_SOUND_DEVICE_H_
#define QUORVALE_TESTS_FAKE_SOUND_DEVICE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/sound_player.h"

class FakeSoundSystem {
 public:
  // A play that lasts until finishPlays() (or the system's end).
  static constexpr uint32_t kUntilFinished = 0xFFFFFFFF;

  // Installs the fake devices behind platform::createSoundDevice().
  FakeSoundSystem();
  // Restores the real devices and ends every play still in progress.
  ~FakeSoundSystem();
  FakeSoundSystem(const FakeSoundSystem&) = delete;
  FakeSoundSystem& operator=(const FakeSoundSystem&) = delete;

  // The result of open(): for every file, or for one file (which takes precedence). Default 0.
  void setOpenResult(uint32_t code);
  void setOpenResult(const std::string& path, uint32_t code);
  // The result of playToEnd() of an opened device. Default 0.
  void setPlayResult(uint32_t code);
  // How long a play lasts before it returns (default 0).
  void setPlayDurationMs(uint32_t ms);
  // Ends every play in progress and makes later plays return at once.
  void finishPlays();

  // Waits until |count| plays are in progress at once, or |timeoutMs| passed. True when they were.
  bool waitForPlaysInProgress(size_t count, uint32_t timeoutMs) const;
  // Waits until |count| plays in all have returned, or |timeoutMs| passed. True when they had.
  bool waitForPlaysEnded(size_t count, uint32_t timeoutMs) const;
  // Waits until every device made so far is destroyed (its player finished), or |timeoutMs|
  // passed. True when they were.
  bool waitForDevicesGone(uint32_t timeoutMs) const;

  // The paths given to open(), in call order (failed opens included).
  std::vector<std::string> opened() const;
  // The paths whose play returned, in the order the plays ended.
  std::vector<std::string> played() const;
  // The most plays that were in progress at one time.
  size_t maxConcurrentPlays() const;
  // Every call, one line each: "open <path>", "open <path> failed", "play <path>", and "close
  // <path>" for an opened device (a play line is written when the play ends). Plays on several
  // threads interleave.
  std::string journal() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

// One device, made by platform::createSoundDevice() while a FakeSoundSystem lives.
class FakeSoundDevice final : public platform::SoundDevice {
 public:
  explicit FakeSoundDevice(std::shared_ptr<FakeSoundSystem::State> state);
  ~FakeSoundDevice() override;
  FakeSoundDevice(const FakeSoundDevice&) = delete;
  FakeSoundDevice& operator=(const FakeSoundDevice&) = delete;

  uint32_t open(const std::string& path) override;
  uint32_t playToEnd() override;
  void close() override;

 private:
  const std::shared_ptr<FakeSoundSystem::State> state_;
  std::string path_;     // the file opened, for the records
  bool isOpen_ = false;  // only the thread using the device touches these two
};

#endif  // QUORVALE_TESTS_FAKE_SOUND_DEVICE_H_
