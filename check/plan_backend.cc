#include "check/plan_backend.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "camera/image_quality.h"

namespace {

// "Device parameter invalid": what a body answers for a value its description does not list.
constexpr EdsError kValueNotOffered = 0x86;
constexpr uint32_t kPtpNoSecondary = 0x0F0F;

// The camera code, told that every body speaks PTP, sends image qualities in the PTP form; a
// legacy body is sent the same table code in its own form.
EdsUInt32 legacyImageQuality(EdsUInt32 ptpValue) {
  const uint32_t tableCode =
      (ptpValue & 0xFFFFu) == kPtpNoSecondary ? (ptpValue & 0xFFFF0000u) : ptpValue;
  return adjustImageQuality(tableCode, 0);
}

struct Handlers {
  EdsStateEventHandler state = nullptr;
  void* stateContext = nullptr;
};

class PlanBackend final : public EdsBackend {
 public:
  PlanBackend(std::unique_ptr<EdsBackend> wrapped, PlanBackendListener* listener)
      : wrapped_(std::move(wrapped)), listener_(listener), worker_([this] { run(); }) {}

  ~PlanBackend() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ending_ = true;
    }
    wake_.notify_all();
    worker_.join();
  }

  EdsError InitializeSDK() override { return wrapped_->InitializeSDK(); }
  EdsError TerminateSDK() override {
    drain();
    return wrapped_->TerminateSDK();
  }
  EdsUInt32 Release(EdsBaseRef ref) override {
    drain();
    return wrapped_->Release(ref);
  }
  EdsError GetCameraList(EdsCameraListRef* outList) override {
    return wrapped_->GetCameraList(outList);
  }
  EdsError GetChildCount(EdsBaseRef parent, EdsUInt32* outCount) override {
    return wrapped_->GetChildCount(parent, outCount);
  }
  EdsError GetChildAtIndex(EdsBaseRef parent, EdsInt32 index, EdsBaseRef* outChild) override {
    return wrapped_->GetChildAtIndex(parent, index, outChild);
  }
  EdsError GetDeviceInfo(EdsCameraRef camera, EdsDeviceInfo* outInfo) override {
    const EdsError result = wrapped_->GetDeviceInfo(camera, outInfo);
    if (result == 0 && outInfo != nullptr) {
      std::lock_guard<std::mutex> lock(mutex_);
      legacy_[camera] = outInfo->deviceSubType == 0;
      outInfo->deviceSubType = 1;
    }
    return result;
  }
  EdsError OpenSession(EdsCameraRef camera) override { return wrapped_->OpenSession(camera); }
  EdsError CloseSession(EdsCameraRef camera) override {
    drain();
    return wrapped_->CloseSession(camera);
  }
  EdsError GetPropertyData(EdsBaseRef ref, EdsPropertyID property, EdsInt32 param, EdsUInt32 size,
                           void* outData) override {
    if (outData != nullptr && size == sizeof(EdsUInt32)) {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = planned_.find({ref, property});
      if (it != planned_.end()) {
        *static_cast<EdsUInt32*>(outData) = it->second;
        return 0;
      }
    }
    return wrapped_->GetPropertyData(ref, property, param, size, outData);
  }
  EdsError SetPropertyData(EdsBaseRef ref, EdsPropertyID property, EdsInt32 param, EdsUInt32 size,
                           const void* data) override {
    if (data == nullptr || size != sizeof(EdsUInt32)) return EDS_ERR_INVALID_PARAMETER;
    EdsUInt32 value = *static_cast<const EdsUInt32*>(data);
    if (property == kEdsPropID_ImageQuality && isLegacy(ref)) value = legacyImageQuality(value);
    // A value the body's description does not list would be refused on the day.
    EdsPropertyDesc desc;
    std::memset(&desc, 0, sizeof(desc));
    if (wrapped_->GetPropertyDesc(ref, property, &desc) == 0 && desc.numElements > 0) {
      const EdsInt32* begin = desc.propDesc;
      const EdsInt32* end = begin + std::min<EdsInt32>(desc.numElements, 128);
      if (std::find(begin, end, static_cast<EdsInt32>(value)) == end) {
        return kValueNotOffered;
      }
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      planned_[{ref, property}] = value;
    }
    listener_->onPlannedWrite(property, value);
    return 0;
  }
  EdsError GetPropertyDesc(EdsBaseRef ref, EdsPropertyID property,
                           EdsPropertyDesc* outDesc) override {
    return wrapped_->GetPropertyDesc(ref, property, outDesc);
  }
  EdsError GetVolumeInfo(EdsVolumeRef volume, EdsVolumeInfo* outInfo) override {
    return wrapped_->GetVolumeInfo(volume, outInfo);
  }
  EdsError SendCommand(EdsCameraRef camera, EdsCameraCommand command, EdsInt32 param) override {
    if (command != kEdsCameraCommand_TakePicture) return 0;
    EdsUInt32 tv = 0;
    EdsUInt32 quality = 0;
    GetPropertyData(camera, kEdsPropID_Tv, 0, sizeof(tv), &tv);
    GetPropertyData(camera, kEdsPropID_ImageQuality, 0, sizeof(quality), &quality);
    bool legacy = false;
    Handlers handlers;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      legacy = legacy_[camera];
      handlers = handlers_[camera];
    }
    listener_->onPlannedShot(tv, quality, legacy);
    if (handlers.state != nullptr) {
      post([handlers] {
        handlers.state(kEdsStateEvent_JobStatusChanged, 1, handlers.stateContext);
        handlers.state(kEdsStateEvent_JobStatusChanged, 0, handlers.stateContext);
      });
    }
    return 0;
  }
  EdsError SendStatusCommand(EdsCameraRef, EdsCameraStatusCommand, EdsInt32) override { return 0; }
  EdsError SetCameraAddedHandler(EdsCameraAddedHandler handler, void* context) override {
    return wrapped_->SetCameraAddedHandler(handler, context);
  }
  EdsError SetObjectEventHandler(EdsCameraRef camera, EdsObjectEvent event,
                                 EdsObjectEventHandler handler, void* context) override {
    return wrapped_->SetObjectEventHandler(camera, event, handler, context);
  }
  EdsError SetCameraStateEventHandler(EdsCameraRef camera, EdsStateEvent event,
                                      EdsStateEventHandler handler, void* context) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      handlers_[camera] = Handlers{handler, context};
    }
    return wrapped_->SetCameraStateEventHandler(camera, event, handler, context);
  }
  EdsError SetPropertyEventHandler(EdsCameraRef camera, EdsPropertyEvent event,
                                   EdsPropertyEventHandler handler, void* context) override {
    return wrapped_->SetPropertyEventHandler(camera, event, handler, context);
  }

 private:
  bool isLegacy(EdsBaseRef ref) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = legacy_.find(ref);
    return it != legacy_.end() && it->second;
  }

  void post(std::function<void()> task) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      queue_.push_back(std::move(task));
      posted_.store(true, std::memory_order_release);
    }
    wake_.notify_all();
  }

  // Waits until every posted event has been delivered (never called on the event thread).
  void drain() {
    if (std::this_thread::get_id() == worker_.get_id()) return;
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !delivering_; });
  }

  void run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      if (queue_.empty() && !ending_) {
        // The shots of a long plan come in quick succession: look for the next one for a moment
        // before sleeping, which spares this thread a wake-up from the scheduler per shot.
        lock.unlock();
        const auto until = std::chrono::steady_clock::now() + kLookAhead;
        while (!posted_.load(std::memory_order_acquire) &&
               std::chrono::steady_clock::now() < until) {
        }
        lock.lock();
      }
      wake_.wait(lock, [this] { return ending_ || !queue_.empty(); });
      posted_.store(false, std::memory_order_relaxed);
      if (queue_.empty()) return;
      std::function<void()> task = std::move(queue_.front());
      queue_.pop_front();
      delivering_ = true;
      lock.unlock();
      task();
      lock.lock();
      delivering_ = false;
      if (queue_.empty()) idle_.notify_all();
    }
  }

  const std::unique_ptr<EdsBackend> wrapped_;
  PlanBackendListener* const listener_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::map<std::pair<EdsBaseRef, EdsPropertyID>, EdsUInt32> planned_;  // guarded by mutex_
  std::map<EdsBaseRef, bool> legacy_;                                  // guarded by mutex_
  std::map<EdsBaseRef, Handlers> handlers_;                            // guarded by mutex_
  std::deque<std::function<void()>> queue_;                            // guarded by mutex_
  bool delivering_ = false;                                            // guarded by mutex_
  std::atomic<bool> posted_{false};  // a task came since the worker last looked (a hint only)
  static constexpr std::chrono::microseconds kLookAhead{200};
  bool ending_ = false;                                                // guarded by mutex_
  std::thread worker_;  // last: starts after the fields it uses
};

}  // namespace

std::unique_ptr<EdsBackend> createPlanBackend(std::unique_ptr<EdsBackend> wrapped,
                                              PlanBackendListener* listener) {
  return std::make_unique<PlanBackend>(std::move(wrapped), listener);
}
