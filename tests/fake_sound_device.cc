#include "tests/fake_sound_device.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <utility>

struct FakeSoundSystem::State {
  mutable std::mutex mutex;
  mutable std::condition_variable changed;  // notified on every change below

  // All guarded by |mutex|.
  uint32_t openResult = 0;
  std::map<std::string, uint32_t> openResults;
  uint32_t playResult = 0;
  uint32_t playDurationMs = 0;
  bool finished = false;
  std::vector<std::string> opened;
  std::vector<std::string> played;
  std::string journal;
  size_t playsInProgress = 0;
  size_t maxConcurrentPlays = 0;
  size_t playsEnded = 0;
  size_t devicesAlive = 0;
};

namespace {

// The system whose devices createSoundDevice() makes.
std::mutex g_currentMutex;
std::shared_ptr<FakeSoundSystem::State> g_current;  // guarded by g_currentMutex

std::unique_ptr<platform::SoundDevice> makeFakeDevice() {
  std::shared_ptr<FakeSoundSystem::State> state;
  {
    std::lock_guard<std::mutex> lock(g_currentMutex);
    state = g_current;
  }
  if (state == nullptr) return nullptr;
  return std::make_unique<FakeSoundDevice>(state);
}

}  // namespace

FakeSoundSystem::FakeSoundSystem() : state_(std::make_shared<State>()) {
  {
    std::lock_guard<std::mutex> lock(g_currentMutex);
    g_current = state_;
  }
  platform::setSoundDeviceFactoryForTest(makeFakeDevice);
}

FakeSoundSystem::~FakeSoundSystem() {
  platform::setSoundDeviceFactoryForTest(nullptr);
  {
    std::lock_guard<std::mutex> lock(g_currentMutex);
    g_current.reset();
  }
  finishPlays();
}

void FakeSoundSystem::setOpenResult(uint32_t code) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->openResult = code;
}

void FakeSoundSystem::setOpenResult(const std::string& path, uint32_t code) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->openResults[path] = code;
}

void FakeSoundSystem::setPlayResult(uint32_t code) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->playResult = code;
}

void FakeSoundSystem::setPlayDurationMs(uint32_t ms) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->playDurationMs = ms;
}

void FakeSoundSystem::finishPlays() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->finished = true;
  state_->changed.notify_all();
}

bool FakeSoundSystem::waitForPlaysInProgress(size_t count, uint32_t timeoutMs) const {
  std::unique_lock<std::mutex> lock(state_->mutex);
  return state_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return state_->playsInProgress >= count; });
}

bool FakeSoundSystem::waitForPlaysEnded(size_t count, uint32_t timeoutMs) const {
  std::unique_lock<std::mutex> lock(state_->mutex);
  return state_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return state_->playsEnded >= count; });
}

bool FakeSoundSystem::waitForDevicesGone(uint32_t timeoutMs) const {
  std::unique_lock<std::mutex> lock(state_->mutex);
  return state_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return state_->devicesAlive == 0; });
}

std::vector<std::string> FakeSoundSystem::opened() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->opened;
}

std::vector<std::string> FakeSoundSystem::played() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->played;
}

size_t FakeSoundSystem::maxConcurrentPlays() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->maxConcurrentPlays;
}

std::string FakeSoundSystem::journal() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->journal;
}

FakeSoundDevice::FakeSoundDevice(std::shared_ptr<FakeSoundSystem::State> state)
    : state_(std::move(state)) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  ++state_->devicesAlive;
}

FakeSoundDevice::~FakeSoundDevice() {
  close();
  std::lock_guard<std::mutex> lock(state_->mutex);
  --state_->devicesAlive;
  state_->changed.notify_all();
}

uint32_t FakeSoundDevice::open(const std::string& path) {
  close();
  std::lock_guard<std::mutex> lock(state_->mutex);
  auto it = state_->openResults.find(path);
  uint32_t result = it != state_->openResults.end() ? it->second : state_->openResult;
  state_->opened.push_back(path);
  state_->journal += "open " + path + (result != 0 ? " failed\n" : "\n");
  path_ = path;
  isOpen_ = result == 0;
  return result;
}

uint32_t FakeSoundDevice::playToEnd() {
  if (!isOpen_) return platform::kSoundErrorOutput | EBADFD;
  std::unique_lock<std::mutex> lock(state_->mutex);
  ++state_->playsInProgress;
  if (state_->playsInProgress > state_->maxConcurrentPlays) {
    state_->maxConcurrentPlays = state_->playsInProgress;
  }
  state_->changed.notify_all();
  if (state_->playDurationMs == FakeSoundSystem::kUntilFinished) {
    state_->changed.wait(lock, [&] { return state_->finished; });
  } else {
    state_->changed.wait_for(lock, std::chrono::milliseconds(state_->playDurationMs),
                             [&] { return state_->finished; });
  }
  --state_->playsInProgress;
  ++state_->playsEnded;
  state_->played.push_back(path_);
  state_->journal += "play " + path_ + "\n";
  state_->changed.notify_all();
  return state_->playResult;
}

void FakeSoundDevice::close() {
  if (!isOpen_) return;
  isOpen_ = false;
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->journal += "close " + path_ + "\n";
}
