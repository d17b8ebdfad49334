#include "camera/gphoto2/gphoto2_backend.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "camera/gphoto2/gphoto2_api.h"
#include "camera/gphoto2/gphoto2_errors.h"
#include "camera/gphoto2/gphoto2_handles.h"
#include "camera/gphoto2/gphoto2_session.h"

namespace {

constexpr EdsError kEdsErrInvalidIndex = 0x63;
constexpr EdsUInt32 kSubTypePtp = 1;
constexpr EdsUInt32 kStorageTypeCard = 2;
constexpr EdsUInt32 kAccessReadWrite = 2;
constexpr EdsUInt32 kAccessRead = 0;

void copyText(const std::string& text, char* out, size_t size) {
  size_t n = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

class Gphoto2Backend final : public EdsBackend {
 public:
  Gphoto2Backend(std::unique_ptr<Gphoto2Api> api, const PollSettings& settings,
                 HotplugWatcher::MonitorFactory monitors)
      : api_(std::move(api)), settings_(settings), monitors_(std::move(monitors)) {}
  Gphoto2Backend(const Gphoto2Backend&) = delete;
  Gphoto2Backend& operator=(const Gphoto2Backend&) = delete;
  ~Gphoto2Backend() override {
    stopWatcher();
    closeAllSessions();
    handles_.clear();
  }

  EdsError InitializeSDK() override {
    handles_.initialise();
    return EDS_ERR_OK;
  }

  EdsError TerminateSDK() override {
    if (!handles_.terminate()) return EDS_ERR_NOT_INITIALIZED;
    stopWatcher();
    closeAllSessions();
    return EDS_ERR_OK;
  }

  EdsUInt32 Release(EdsBaseRef ref) override { return handles_.release(ref); }

  EdsError GetCameraList(EdsCameraListRef* outList) override {
    if (outList == nullptr) return kEdsErrInvalidPointer;
    if (!handles_.initialised()) return EDS_ERR_NOT_INITIALIZED;
    std::vector<Gp2CameraEntry> found;
    int rc = api_->autodetect(&found);
    if (rc < 0) return edsErrorFromGphoto2(rc);
    auto list = std::make_shared<Gp2ListObject>();
    for (const Gp2CameraEntry& entry : found) {
      // Only bodies on USB speak PTP; "disk:" entries are mounted cards.
      if (entry.port.compare(0, 4, "usb:") == 0) list->cameras.push_back(entry);
    }
    {
      std::lock_guard<std::mutex> watching(watcherMutex_);
      if (watcher_ != nullptr) watcher_->noteListed(list->cameras);
    }
    *outList = handles_.add(list);
    return EDS_ERR_OK;
  }

  EdsError GetChildCount(EdsBaseRef parent, EdsUInt32* outCount) override {
    if (outCount == nullptr) return kEdsErrInvalidPointer;
    EdsError error = EDS_ERR_OK;
    std::shared_ptr<Gp2RefObject> object = handles_.find(parent, &error);
    if (object == nullptr) return error;
    if (auto* list = dynamic_cast<Gp2ListObject*>(object.get())) {
      *outCount = static_cast<EdsUInt32>(list->cameras.size());
      return EDS_ERR_OK;
    }
    if (auto* camera = dynamic_cast<Gp2CameraObject*>(object.get())) {
      std::vector<Gp2Storage> storages;
      error = camera->session->storages(&storages);
      if (error == EDS_ERR_OK) *outCount = static_cast<EdsUInt32>(storages.size());
      return error;
    }
    return EDS_ERR_INVALID_HANDLE;
  }

  EdsError GetChildAtIndex(EdsBaseRef parent, EdsInt32 index, EdsBaseRef* outChild) override {
    if (outChild == nullptr) return kEdsErrInvalidPointer;
    EdsError error = EDS_ERR_OK;
    std::shared_ptr<Gp2RefObject> object = handles_.find(parent, &error);
    if (object == nullptr) return error;
    if (auto* list = dynamic_cast<Gp2ListObject*>(object.get())) {
      if (index < 0 || static_cast<size_t>(index) >= list->cameras.size()) {
        return kEdsErrInvalidIndex;
      }
      auto session = std::make_shared<Gphoto2Session>(
          list->cameras[index], settings_,
          [this](const std::string& folder, const std::string& name) {
            return newItem(folder, name);
          });
      *outChild = handles_.add(std::make_shared<Gp2CameraObject>(session));
      return EDS_ERR_OK;
    }
    if (auto* camera = dynamic_cast<Gp2CameraObject*>(object.get())) {
      std::vector<Gp2Storage> storages;
      error = camera->session->storages(&storages);
      if (error != EDS_ERR_OK) return error;
      if (index < 0 || static_cast<size_t>(index) >= storages.size()) return kEdsErrInvalidIndex;
      auto volume = std::make_shared<Gp2VolumeObject>();
      volume->storage = storages[index];
      *outChild = handles_.add(volume);
      return EDS_ERR_OK;
    }
    return EDS_ERR_INVALID_HANDLE;
  }

  EdsError GetDeviceInfo(EdsCameraRef ref, EdsDeviceInfo* outInfo) override {
    if (outInfo == nullptr) return kEdsErrInvalidPointer;
    EdsError error = EDS_ERR_OK;
    std::shared_ptr<Gp2CameraObject> camera = handles_.findCamera(ref, &error);
    if (camera == nullptr) return error;
    std::memset(outInfo, 0, sizeof *outInfo);
    copyText(camera->session->entry().port, outInfo->szPortName, sizeof outInfo->szPortName);
    copyText(camera->session->entry().model, outInfo->szDeviceDescription,
             sizeof outInfo->szDeviceDescription);
    outInfo->deviceSubType = kSubTypePtp;
    return EDS_ERR_OK;
  }

  EdsError OpenSession(EdsCameraRef ref) override {
    EdsError error = EDS_ERR_OK;
    std::shared_ptr<Gp2CameraObject> camera = handles_.findCamera(ref, &error);
    return camera == nullptr ? error : camera->session->open(api_.get());
  }

  EdsError CloseSession(EdsCameraRef ref) override {
    EdsError error = EDS_ERR_OK;
    std::shared_ptr<Gp2CameraObject> camera = handles_.findCamera(ref, &error);
    if (camera == nullptr) return error;
    if (!camera->session->isOpen()) return EDS_ERR_SESSION_NOT_OPEN;
    return camera->session->close();
  }

  EdsError GetPropertyData(EdsBaseRef ref, EdsPropertyID property, EdsInt32 param, EdsUInt32 size,
                           void* outData) override {
    if (outData == nullptr) return kEdsErrInvalidPointer;
    if (size < sizeof(EdsUInt32)) return kEdsErrInvalidLength;
    EdsError error = EDS_ERR_OK;
    std::shared_ptr<Gp2CameraObject> camera = handles_.findCamera(ref, &error);
    if (camera == nullptr) return error;
    if (property == kEdsPropID_BodyIDEx) {
      std::string serial;
      error = camera->session->serialNumber(&serial);
      if (error == EDS_ERR_OK) copyText(serial, static_cast<char*>(outData), size);
      return error;
    }
    EdsUInt32 value = 0;
    error = camera->session->getProperty(property, &value);
    if (error == EDS_ERR_OK) std::memcpy(outData, &value, sizeof value);
    return error;
  }

  EdsError SetPropertyData(EdsBaseRef ref, EdsPropertyID property, EdsInt32 param, EdsUInt32 size,
                           const void* data) override {
    if (data == nullptr) return kEdsErrInvalidPointer;
    if (size < sizeof(EdsUInt32)) return kEdsErrInvalidLength;
    EdsError error = EDS_ERR_OK;
    std::shared_ptr<Gp2CameraObject> camera = handles_.findCamera(ref, &error);
    if (camera == nullptr) return error;
    EdsUInt32 value = 0;
    std::memcpy(&value, data, sizeof value);
    return camera->session->setProperty(property, value);
  }

  EdsError GetPropertyDesc(EdsBaseRef ref, EdsPropertyID property,
                           EdsPropertyDesc* outDesc) override {
    if (outDesc == nullptr) return kEdsErrInvalidPointer;
    EdsError error = EDS_ERR_OK;
    std::shared_ptr<Gp2CameraObject> camera = handles_.findCamera(ref, &error);
    return camera == nullptr ? error : camera->session->getPropertyDesc(property, outDesc);
  }

  EdsError GetVolumeInfo(EdsVolumeRef ref, EdsVolumeInfo* outInfo) override {
    if (outInfo == nullptr) return kEdsErrInvalidPointer;
    EdsError error = EDS_ERR_OK;
    std::shared_ptr<Gp2RefObject> object = handles_.find(ref, &error);
    if (object == nullptr) return error;
    auto* volume = dynamic_cast<Gp2VolumeObject*>(object.get());
    if (volume == nullptr) return EDS_ERR_INVALID_HANDLE;
    const Gp2Storage& storage = volume->storage;
    std::memset(outInfo, 0, sizeof *outInfo);
    outInfo->storageType = kStorageTypeCard;
    outInfo->access =
        storage.access == Gp2Storage::Access::kReadWrite ? kAccessReadWrite : kAccessRead;
    outInfo->maxCapacity = storage.capacityKbytes * 1024;
    outInfo->freeSpaceInBytes = storage.freeKbytes * 1024;
    copyText(storage.label, outInfo->szVolumeLabel, sizeof outInfo->szVolumeLabel);
    return EDS_ERR_OK;
  }

  EdsError SendCommand(EdsCameraRef ref, EdsCameraCommand command, EdsInt32 param) override {
    EdsError error = EDS_ERR_OK;
    std::shared_ptr<Gp2CameraObject> camera = handles_.findCamera(ref, &error);
    return camera == nullptr ? error : camera->session->sendCommand(command);
  }

  EdsError SendStatusCommand(EdsCameraRef ref, EdsCameraStatusCommand command,
                             EdsInt32 param) override {
    EdsError error = EDS_ERR_OK;
    std::shared_ptr<Gp2CameraObject> camera = handles_.findCamera(ref, &error);
    return camera == nullptr ? error : camera->session->sendStatusCommand(command);
  }

  // The handler is called by the hot-plug watcher, which starts with the first registration.
  EdsError SetCameraAddedHandler(EdsCameraAddedHandler handler, void* context) override {
    if (!handles_.initialised()) return EDS_ERR_NOT_INITIALIZED;
    {
      std::lock_guard<std::mutex> guard(handlerMutex_);
      cameraAdded_ = handler;
      cameraAddedContext_ = context;
    }
    std::lock_guard<std::mutex> watching(watcherMutex_);
    if (watcher_ == nullptr) {
      watcher_ =
          std::make_unique<HotplugWatcher>([this] { return detect(); }, [this] { cameraAdded(); },
                                           monitors_, settings_.hotplugPollMs);
    }
    return EDS_ERR_OK;
  }

  EdsError SetObjectEventHandler(EdsCameraRef ref, EdsObjectEvent event,
                                 EdsObjectEventHandler handler, void* context) override {
    EdsError error = EDS_ERR_OK;
    std::shared_ptr<Gp2CameraObject> camera = handles_.findCamera(ref, &error);
    if (camera != nullptr) camera->session->setObjectHandler(event, handler, context);
    return error;
  }

  EdsError SetCameraStateEventHandler(EdsCameraRef ref, EdsStateEvent event,
                                      EdsStateEventHandler handler, void* context) override {
    EdsError error = EDS_ERR_OK;
    std::shared_ptr<Gp2CameraObject> camera = handles_.findCamera(ref, &error);
    if (camera != nullptr) camera->session->setStateHandler(event, handler, context);
    return error;
  }

  EdsError SetPropertyEventHandler(EdsCameraRef ref, EdsPropertyEvent event,
                                   EdsPropertyEventHandler handler, void* context) override {
    EdsError error = EDS_ERR_OK;
    std::shared_ptr<Gp2CameraObject> camera = handles_.findCamera(ref, &error);
    if (camera != nullptr) camera->session->setPropertyHandler(event, handler, context);
    return error;
  }

 private:
  EdsBaseRef newItem(const std::string& folder, const std::string& name) {
    auto item = std::make_shared<Gp2ItemObject>();
    item->folder = folder;
    item->name = name;
    return handles_.add(item);
  }

  // The USB bodies on the bus now; none when the library cannot tell.
  std::vector<Gp2CameraEntry> detect() {
    std::vector<Gp2CameraEntry> found;
    std::vector<Gp2CameraEntry> usb;
    if (api_->autodetect(&found) < 0) return usb;
    for (const Gp2CameraEntry& entry : found) {
      if (entry.port.compare(0, 4, "usb:") == 0) usb.push_back(entry);
    }
    return usb;
  }

  // On the watcher's thread: tells the registered handler, with no lock held.
  void cameraAdded() {
    EdsCameraAddedHandler handler = nullptr;
    void* context = nullptr;
    if (!handles_.initialised()) return;
    {
      std::lock_guard<std::mutex> guard(handlerMutex_);
      handler = cameraAdded_;
      context = cameraAddedContext_;
    }
    if (handler != nullptr) handler(context);
  }

  // Stops the hot-plug watcher; no camera-added call runs once this returns.
  void stopWatcher() {
    std::unique_ptr<HotplugWatcher> watcher;
    {
      std::lock_guard<std::mutex> watching(watcherMutex_);
      watcher = std::move(watcher_);
    }
  }

  // Stops every poller, so that no handler runs once this returns.
  void closeAllSessions() {
    for (auto& session : handles_.sessions()) session->close();
  }

  const std::unique_ptr<Gphoto2Api> api_;
  const PollSettings settings_;
  const HotplugWatcher::MonitorFactory monitors_;

  // The references handed out and the SDK's initialised state; its lock is taken under
  // watcherMutex_ and never while a handler runs.
  Gphoto2Handles handles_;

  std::mutex watcherMutex_;                  // never taken while a handler runs
  std::unique_ptr<HotplugWatcher> watcher_;  // guarded by watcherMutex_

  std::mutex handlerMutex_;                      // taken last, never while a handler runs
  EdsCameraAddedHandler cameraAdded_ = nullptr;  // guarded by handlerMutex_
  void* cameraAddedContext_ = nullptr;           // guarded by handlerMutex_
};

}  // namespace

std::unique_ptr<EdsBackend> createGphoto2Backend() {
  return createGphoto2Backend(createLibGphoto2Api(), PollSettings());
}

std::unique_ptr<EdsBackend> createGphoto2Backend(std::unique_ptr<Gphoto2Api> api,
                                                 const PollSettings& settings,
                                                 HotplugWatcher::MonitorFactory monitors) {
  return std::make_unique<Gphoto2Backend>(std::move(api), settings, std::move(monitors));
}
