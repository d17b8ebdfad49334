#include "tests/fake_sound_device.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <utility>

struct FakeSoundSystem::State {
  std::mutex mutex;
  std::condition_variable changed;  // notified on every change below

  // All guarded by |mutex|.
  std::map<std::string, uint32_t> openResults;
  uint32_t playResult = 0;
  bool held = false;
  std::string journal;
  size_t playsInProgress = 0;
  size_t maxConcurrentPlays = 0;

  // Runs |f| under the mutex and notifies the waiters.
  template <typename F>
  auto locked(F f) {
    std::lock_guard<std::mutex> lock(mutex);
    changed.notify_all();
    return f();
  }
};

namespace {

std::mutex g_currentMutex;
std::shared_ptr<FakeSoundSystem::State> g_current;  // guarded by g_currentMutex

class FakeSoundDevice final : public platform::SoundDevice {
 public:
  explicit FakeSoundDevice(std::shared_ptr<FakeSoundSystem::State> state)
      : state_(std::move(state)) {}
  ~FakeSoundDevice() override { close(); }

  uint32_t open(const std::string& path) override {
    close();
    return state_->locked([&] {
      auto it = state_->openResults.find(path);
      uint32_t result = it != state_->openResults.end() ? it->second : 0;
      state_->journal += "open " + path + (result != 0 ? " failed\n" : "\n");
      path_ = path;
      isOpen_ = result == 0;
      return result;
    });
  }

  uint32_t playToEnd() override {
    if (!isOpen_) return platform::kSoundErrorOutput | EBADF;
    std::unique_lock<std::mutex> lock(state_->mutex);
    state_->maxConcurrentPlays = std::max(state_->maxConcurrentPlays, ++state_->playsInProgress);
    state_->changed.notify_all();
    state_->changed.wait(lock, [&] { return !state_->held; });
    --state_->playsInProgress;
    state_->journal += "play " + path_ + "\n";
    return state_->playResult;
  }

  void close() override {
    if (!isOpen_) return;
    isOpen_ = false;
    state_->locked([&] { state_->journal += "close " + path_ + "\n"; });
  }

 private:
  const std::shared_ptr<FakeSoundSystem::State> state_;
  std::string path_;  // only the thread using the device touches these two
  bool isOpen_ = false;
};

std::unique_ptr<platform::SoundDevice> makeFakeDevice() {
  std::lock_guard<std::mutex> lock(g_currentMutex);
  if (g_current == nullptr) return nullptr;
  return std::make_unique<FakeSoundDevice>(g_current);
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

void FakeSoundSystem::setOpenResult(const std::string& path, uint32_t code) {
  state_->locked([&] { state_->openResults[path] = code; });
}
void FakeSoundSystem::setPlayResult(uint32_t code) {
  state_->locked([&] { state_->playResult = code; });
}
void FakeSoundSystem::holdPlays() {
  state_->locked([&] { state_->held = true; });
}
void FakeSoundSystem::finishPlays() {
  state_->locked([&] { state_->held = false; });
}

bool FakeSoundSystem::waitForPlaysInProgress(size_t count, uint32_t timeoutMs) const {
  std::unique_lock<std::mutex> lock(state_->mutex);
  return state_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return state_->playsInProgress >= count; });
}
size_t FakeSoundSystem::maxConcurrentPlays() const {
  return state_->locked([&] { return state_->maxConcurrentPlays; });
}
std::string FakeSoundSystem::journal() const {
  return state_->locked([&] { return state_->journal; });
}
