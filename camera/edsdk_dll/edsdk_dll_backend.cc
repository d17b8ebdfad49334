#include "camera/edsdk_dll/edsdk_dll_backend.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/file.h"
#include "platform/process.h"
#include "platform/shared_library.h"

namespace {

constexpr char kDllName[] = "EDSDK.dll";

// The DLL's own view of the operations: its references are opaque pointers, its handlers and
// operations use the SDK's calling convention.
using DllRef = void*;
using DllObjectHandler = EdsError(QUORVALE_SDK_CALL*)(EdsObjectEvent, DllRef, void*);
using DllStateHandler = EdsError(QUORVALE_SDK_CALL*)(EdsStateEvent, EdsUInt32, void*);
using DllPropertyHandler = EdsError(QUORVALE_SDK_CALL*)(EdsPropertyEvent, EdsPropertyID, EdsUInt32,
                                                        void*);
using DllCameraAddedHandler = EdsError(QUORVALE_SDK_CALL*)(void*);

struct DllApi {
  EdsError(QUORVALE_SDK_CALL* InitializeSDK)();
  EdsError(QUORVALE_SDK_CALL* TerminateSDK)();
  EdsUInt32(QUORVALE_SDK_CALL* Release)(DllRef);
  EdsError(QUORVALE_SDK_CALL* GetCameraList)(DllRef*);
  EdsError(QUORVALE_SDK_CALL* GetChildCount)(DllRef, EdsUInt32*);
  EdsError(QUORVALE_SDK_CALL* GetChildAtIndex)(DllRef, EdsInt32, DllRef*);
  EdsError(QUORVALE_SDK_CALL* GetDeviceInfo)(DllRef, EdsDeviceInfo*);
  EdsError(QUORVALE_SDK_CALL* OpenSession)(DllRef);
  EdsError(QUORVALE_SDK_CALL* CloseSession)(DllRef);
  EdsError(QUORVALE_SDK_CALL* GetPropertyData)(DllRef, EdsPropertyID, EdsInt32, EdsUInt32, void*);
  EdsError(QUORVALE_SDK_CALL* SetPropertyData)(DllRef, EdsPropertyID, EdsInt32, EdsUInt32,
                                               const void*);
  EdsError(QUORVALE_SDK_CALL* GetPropertyDesc)(DllRef, EdsPropertyID, EdsPropertyDesc*);
  EdsError(QUORVALE_SDK_CALL* GetVolumeInfo)(DllRef, EdsVolumeInfo*);
  EdsError(QUORVALE_SDK_CALL* SendCommand)(DllRef, EdsCameraCommand, EdsInt32);
  EdsError(QUORVALE_SDK_CALL* SendStatusCommand)(DllRef, EdsCameraStatusCommand, EdsInt32);
  EdsError(QUORVALE_SDK_CALL* SetCameraAddedHandler)(DllCameraAddedHandler, void*);
  EdsError(QUORVALE_SDK_CALL* SetObjectEventHandler)(DllRef, EdsObjectEvent, DllObjectHandler,
                                                     void*);
  EdsError(QUORVALE_SDK_CALL* SetCameraStateEventHandler)(DllRef, EdsStateEvent, DllStateHandler,
                                                          void*);
  EdsError(QUORVALE_SDK_CALL* SetPropertyEventHandler)(DllRef, EdsPropertyEvent, DllPropertyHandler,
                                                       void*);
};

// Binds |slot| to the export |name|. Returns false when the DLL has no such export.
template <typename Function>
bool bind(platform::SharedLibrary* library, const char* name, Function* slot) {
  void* address = library->symbol(name);
  if (address == nullptr) return false;
  *slot = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
  return true;
}

// A reference of the DLL handed to the program.
struct WrappedRef final : EdsObject {
  explicit WrappedRef(DllRef ref) : ref(ref) {}
  const DllRef ref;
};

DllRef unwrap(EdsBaseRef ref) {
  return ref != nullptr ? static_cast<WrappedRef*>(ref)->ref : nullptr;
}

// What one handler registration needs to reach the program's handler.
struct Registration {
  void* handler;  // the program's handler, of the type its trampoline expects
  void* context;
};

EdsError QUORVALE_SDK_CALL objectTrampoline(EdsObjectEvent event, DllRef ref, void* context) {
  auto* r = static_cast<Registration*>(context);
  // The program owns the object reference and releases it through this backend.
  EdsBaseRef wrapped = ref != nullptr ? new WrappedRef(ref) : nullptr;
  return reinterpret_cast<EdsObjectEventHandler>(r->handler)(event, wrapped, r->context);
}

EdsError QUORVALE_SDK_CALL stateTrampoline(EdsStateEvent event, EdsUInt32 data, void* context) {
  auto* r = static_cast<Registration*>(context);
  return reinterpret_cast<EdsStateEventHandler>(r->handler)(event, data, r->context);
}

EdsError QUORVALE_SDK_CALL propertyTrampoline(EdsPropertyEvent event, EdsPropertyID property,
                                              EdsUInt32 param, void* context) {
  auto* r = static_cast<Registration*>(context);
  return reinterpret_cast<EdsPropertyEventHandler>(r->handler)(event, property, param, r->context);
}

EdsError QUORVALE_SDK_CALL cameraAddedTrampoline(void* context) {
  auto* r = static_cast<Registration*>(context);
  return reinterpret_cast<EdsCameraAddedHandler>(r->handler)(r->context);
}

class EdsdkDllBackend final : public EdsBackend {
 public:
  explicit EdsdkDllBackend(std::string path) : path_(std::move(path)) {}
  ~EdsdkDllBackend() override {
    // The DLL may still hold handler registrations: they live as long as the DLL is loaded.
    library_.reset();
  }

  EdsError InitializeSDK() override {
    if (library_ == nullptr && !load()) return kEdsErrMissingSubcomponent;
    return api_.InitializeSDK();
  }
  EdsError TerminateSDK() override {
    return library_ != nullptr ? api_.TerminateSDK() : EDS_ERR_NOT_INITIALIZED;
  }
  EdsUInt32 Release(EdsBaseRef ref) override {
    if (library_ == nullptr || ref == nullptr) return 0xFFFFFFFF;
    const EdsUInt32 count = api_.Release(unwrap(ref));
    delete static_cast<WrappedRef*>(ref);
    return count;
  }
  EdsError GetCameraList(EdsCameraListRef* outList) override {
    return handOut([&](DllRef* out) { return api_.GetCameraList(out); }, outList);
  }
  EdsError GetChildCount(EdsBaseRef parent, EdsUInt32* outCount) override {
    return ready() ? api_.GetChildCount(unwrap(parent), outCount) : EDS_ERR_NOT_INITIALIZED;
  }
  EdsError GetChildAtIndex(EdsBaseRef parent, EdsInt32 index, EdsBaseRef* outChild) override {
    return handOut([&](DllRef* out) { return api_.GetChildAtIndex(unwrap(parent), index, out); },
                   outChild);
  }
  EdsError GetDeviceInfo(EdsCameraRef camera, EdsDeviceInfo* outInfo) override {
    return ready() ? api_.GetDeviceInfo(unwrap(camera), outInfo) : EDS_ERR_NOT_INITIALIZED;
  }
  EdsError OpenSession(EdsCameraRef camera) override {
    return ready() ? api_.OpenSession(unwrap(camera)) : EDS_ERR_NOT_INITIALIZED;
  }
  EdsError CloseSession(EdsCameraRef camera) override {
    return ready() ? api_.CloseSession(unwrap(camera)) : EDS_ERR_NOT_INITIALIZED;
  }
  EdsError GetPropertyData(EdsBaseRef ref, EdsPropertyID property, EdsInt32 param, EdsUInt32 size,
                           void* outData) override {
    return ready() ? api_.GetPropertyData(unwrap(ref), property, param, size, outData)
                   : EDS_ERR_NOT_INITIALIZED;
  }
  EdsError SetPropertyData(EdsBaseRef ref, EdsPropertyID property, EdsInt32 param, EdsUInt32 size,
                           const void* data) override {
    return ready() ? api_.SetPropertyData(unwrap(ref), property, param, size, data)
                   : EDS_ERR_NOT_INITIALIZED;
  }
  EdsError GetPropertyDesc(EdsBaseRef ref, EdsPropertyID property,
                           EdsPropertyDesc* outDesc) override {
    return ready() ? api_.GetPropertyDesc(unwrap(ref), property, outDesc) : EDS_ERR_NOT_INITIALIZED;
  }
  EdsError GetVolumeInfo(EdsVolumeRef volume, EdsVolumeInfo* outInfo) override {
    return ready() ? api_.GetVolumeInfo(unwrap(volume), outInfo) : EDS_ERR_NOT_INITIALIZED;
  }
  EdsError SendCommand(EdsCameraRef camera, EdsCameraCommand command, EdsInt32 param) override {
    return ready() ? api_.SendCommand(unwrap(camera), command, param) : EDS_ERR_NOT_INITIALIZED;
  }
  EdsError SendStatusCommand(EdsCameraRef camera, EdsCameraStatusCommand command,
                             EdsInt32 param) override {
    return ready() ? api_.SendStatusCommand(unwrap(camera), command, param)
                   : EDS_ERR_NOT_INITIALIZED;
  }
  EdsError SetCameraAddedHandler(EdsCameraAddedHandler handler, void* context) override {
    if (!ready()) return EDS_ERR_NOT_INITIALIZED;
    if (handler == nullptr) return api_.SetCameraAddedHandler(nullptr, nullptr);
    return api_.SetCameraAddedHandler(&cameraAddedTrampoline, registration(handler, context));
  }
  EdsError SetObjectEventHandler(EdsCameraRef camera, EdsObjectEvent event,
                                 EdsObjectEventHandler handler, void* context) override {
    if (!ready()) return EDS_ERR_NOT_INITIALIZED;
    if (handler == nullptr)
      return api_.SetObjectEventHandler(unwrap(camera), event, nullptr, nullptr);
    return api_.SetObjectEventHandler(unwrap(camera), event, &objectTrampoline,
                                      registration(handler, context));
  }
  EdsError SetCameraStateEventHandler(EdsCameraRef camera, EdsStateEvent event,
                                      EdsStateEventHandler handler, void* context) override {
    if (!ready()) return EDS_ERR_NOT_INITIALIZED;
    if (handler == nullptr) {
      return api_.SetCameraStateEventHandler(unwrap(camera), event, nullptr, nullptr);
    }
    return api_.SetCameraStateEventHandler(unwrap(camera), event, &stateTrampoline,
                                           registration(handler, context));
  }
  EdsError SetPropertyEventHandler(EdsCameraRef camera, EdsPropertyEvent event,
                                   EdsPropertyEventHandler handler, void* context) override {
    if (!ready()) return EDS_ERR_NOT_INITIALIZED;
    if (handler == nullptr) {
      return api_.SetPropertyEventHandler(unwrap(camera), event, nullptr, nullptr);
    }
    return api_.SetPropertyEventHandler(unwrap(camera), event, &propertyTrampoline,
                                        registration(handler, context));
  }

  const char* errorDetail(EdsError code) override {
    return code == kEdsErrMissingSubcomponent && !missing_.empty() ? missing_.c_str() : nullptr;
  }

 private:
  bool ready() const { return library_ != nullptr; }

  // Calls |get| for a new reference of the DLL and hands it out wrapped.
  template <typename Get>
  EdsError handOut(Get get, EdsBaseRef* out) {
    if (!ready()) return EDS_ERR_NOT_INITIALIZED;
    if (out == nullptr) return EDS_ERR_INVALID_PARAMETER;
    DllRef ref = nullptr;
    const EdsError error = get(&ref);
    *out = error == EDS_ERR_OK && ref != nullptr ? new WrappedRef(ref) : nullptr;
    return error;
  }

  // A registration that lives as long as the backend (the DLL may call it until it is unloaded).
  template <typename Handler>
  Registration* registration(Handler handler, void* context) {
    std::lock_guard<std::mutex> lock(mutex_);
    registrations_.push_back(
        std::make_unique<Registration>(Registration{reinterpret_cast<void*>(handler), context}));
    return registrations_.back().get();
  }

  // Loads the DLL and binds every operation; on failure keeps what was missing in missing_.
  bool load() {
    std::vector<std::string> candidates;
    if (!path_.empty()) {
      candidates.push_back(path_);
    } else {
      candidates.push_back(platform::executableDirectory() + kDllName);
      candidates.push_back(kDllName);  // the system's search path
    }
    std::unique_ptr<platform::SharedLibrary> library;
    std::string reason;
    for (const std::string& candidate : candidates) {
      library = platform::loadSharedLibrary(candidate);
      if (library != nullptr) break;
      uint64_t size = 0;
      // A DLL that is there but cannot be loaded is what the user needs to hear about.
      if (reason.empty() || platform::fileSize(candidate, &size)) {
        reason = candidate + ": " + platform::errorText(platform::lastError());
      }
    }
    if (library == nullptr) {
      missing_ = "Missing subcomponent: " + std::string(kDllName) + " not loaded (" + reason + ")";
      return false;
    }
    const struct {
      const char* name;
      bool bound;
    } bindings[] = {
        {"EdsInitializeSDK", bind(library.get(), "EdsInitializeSDK", &api_.InitializeSDK)},
        {"EdsTerminateSDK", bind(library.get(), "EdsTerminateSDK", &api_.TerminateSDK)},
        {"EdsRelease", bind(library.get(), "EdsRelease", &api_.Release)},
        {"EdsGetCameraList", bind(library.get(), "EdsGetCameraList", &api_.GetCameraList)},
        {"EdsGetChildCount", bind(library.get(), "EdsGetChildCount", &api_.GetChildCount)},
        {"EdsGetChildAtIndex", bind(library.get(), "EdsGetChildAtIndex", &api_.GetChildAtIndex)},
        {"EdsGetDeviceInfo", bind(library.get(), "EdsGetDeviceInfo", &api_.GetDeviceInfo)},
        {"EdsOpenSession", bind(library.get(), "EdsOpenSession", &api_.OpenSession)},
        {"EdsCloseSession", bind(library.get(), "EdsCloseSession", &api_.CloseSession)},
        {"EdsGetPropertyData", bind(library.get(), "EdsGetPropertyData", &api_.GetPropertyData)},
        {"EdsSetPropertyData", bind(library.get(), "EdsSetPropertyData", &api_.SetPropertyData)},
        {"EdsGetPropertyDesc", bind(library.get(), "EdsGetPropertyDesc", &api_.GetPropertyDesc)},
        {"EdsGetVolumeInfo", bind(library.get(), "EdsGetVolumeInfo", &api_.GetVolumeInfo)},
        {"EdsSendCommand", bind(library.get(), "EdsSendCommand", &api_.SendCommand)},
        {"EdsSendStatusCommand",
         bind(library.get(), "EdsSendStatusCommand", &api_.SendStatusCommand)},
        {"EdsSetCameraAddedHandler",
         bind(library.get(), "EdsSetCameraAddedHandler", &api_.SetCameraAddedHandler)},
        {"EdsSetObjectEventHandler",
         bind(library.get(), "EdsSetObjectEventHandler", &api_.SetObjectEventHandler)},
        {"EdsSetCameraStateEventHandler",
         bind(library.get(), "EdsSetCameraStateEventHandler", &api_.SetCameraStateEventHandler)},
        {"EdsSetPropertyEventHandler",
         bind(library.get(), "EdsSetPropertyEventHandler", &api_.SetPropertyEventHandler)},
    };
    std::string absent;
    for (const auto& b : bindings) {
      if (!b.bound) absent += (absent.empty() ? "" : ", ") + std::string(b.name);
    }
    if (!absent.empty()) {
      missing_ = "Missing subcomponent: " + std::string(kDllName) + " lacks " + absent;
      return false;
    }
    library_ = std::move(library);
    return true;
  }

  const std::string path_;
  std::unique_ptr<platform::SharedLibrary> library_;  // set once, by InitializeSDK
  DllApi api_{};
  std::string missing_;  // what kept the DLL from loading, for errorDetail()
  std::mutex mutex_;
  std::vector<std::unique_ptr<Registration>> registrations_;  // guarded by mutex_
};

}  // namespace

std::unique_ptr<EdsBackend> createEdsdkDllBackend(const std::string& path) {
  return std::make_unique<EdsdkDllBackend>(path);
}
