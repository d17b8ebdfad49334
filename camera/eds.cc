#include "camera/eds.h"

#include <atomic>
#include <memory>
#include <utility>

#include "camera/eds_backend.h"

namespace {

std::unique_ptr<EdsBackend>& backendSlot() {
  static std::unique_ptr<EdsBackend> backend;
  return backend;
}

// Published separately so that callers on other threads read it without a lock.
std::atomic<EdsBackend*> g_backend{nullptr};

}  // namespace

void EdsSetBackend(std::unique_ptr<EdsBackend> backend) {
  g_backend.store(backend.get());
  backendSlot() = std::move(backend);
}

EdsBackend* EdsGetBackend() { return g_backend.load(); }

#define EDS_FORWARD(call)                               \
  EdsBackend* backend = g_backend.load();               \
  if (backend == nullptr) return EDS_ERR_NOT_INITIALIZED; \
  return backend->call

EdsError EdsInitializeSDK() { EDS_FORWARD(InitializeSDK()); }
EdsError EdsTerminateSDK() { EDS_FORWARD(TerminateSDK()); }

EdsUInt32 EdsRelease(EdsBaseRef ref) {
  EdsBackend* backend = g_backend.load();
  if (backend == nullptr || ref == nullptr) return 0;
  return backend->Release(ref);
}

EdsError EdsGetCameraList(EdsCameraListRef* outList) { EDS_FORWARD(GetCameraList(outList)); }
EdsError EdsGetChildCount(EdsBaseRef parent, EdsUInt32* outCount) {
  EDS_FORWARD(GetChildCount(parent, outCount));
}
EdsError EdsGetChildAtIndex(EdsBaseRef parent, EdsInt32 index, EdsBaseRef* outChild) {
  EDS_FORWARD(GetChildAtIndex(parent, index, outChild));
}
EdsError EdsGetDeviceInfo(EdsCameraRef camera, EdsDeviceInfo* outInfo) {
  EDS_FORWARD(GetDeviceInfo(camera, outInfo));
}
EdsError EdsOpenSession(EdsCameraRef camera) { EDS_FORWARD(OpenSession(camera)); }
EdsError EdsCloseSession(EdsCameraRef camera) { EDS_FORWARD(CloseSession(camera)); }
EdsError EdsGetPropertyData(EdsBaseRef ref, EdsPropertyID property, EdsInt32 param, EdsUInt32 size,
                            void* outData) {
  EDS_FORWARD(GetPropertyData(ref, property, param, size, outData));
}
EdsError EdsSetPropertyData(EdsBaseRef ref, EdsPropertyID property, EdsInt32 param, EdsUInt32 size,
                            const void* data) {
  EDS_FORWARD(SetPropertyData(ref, property, param, size, data));
}
EdsError EdsGetPropertyDesc(EdsBaseRef ref, EdsPropertyID property, EdsPropertyDesc* outDesc) {
  EDS_FORWARD(GetPropertyDesc(ref, property, outDesc));
}
EdsError EdsGetVolumeInfo(EdsVolumeRef volume, EdsVolumeInfo* outInfo) {
  EDS_FORWARD(GetVolumeInfo(volume, outInfo));
}
EdsError EdsSendCommand(EdsCameraRef camera, EdsCameraCommand command, EdsInt32 param) {
  EDS_FORWARD(SendCommand(camera, command, param));
}
EdsError EdsSendStatusCommand(EdsCameraRef camera, EdsCameraStatusCommand command, EdsInt32 param) {
  EDS_FORWARD(SendStatusCommand(camera, command, param));
}
EdsError EdsSetCameraAddedHandler(EdsCameraAddedHandler handler, void* context) {
  EDS_FORWARD(SetCameraAddedHandler(handler, context));
}
EdsError EdsSetObjectEventHandler(EdsCameraRef camera, EdsObjectEvent event,
                                  EdsObjectEventHandler handler, void* context) {
  EDS_FORWARD(SetObjectEventHandler(camera, event, handler, context));
}
EdsError EdsSetCameraStateEventHandler(EdsCameraRef camera, EdsStateEvent event,
                                       EdsStateEventHandler handler, void* context) {
  EDS_FORWARD(SetCameraStateEventHandler(camera, event, handler, context));
}
EdsError EdsSetPropertyEventHandler(EdsCameraRef camera, EdsPropertyEvent event,
                                    EdsPropertyEventHandler handler, void* context) {
  EDS_FORWARD(SetPropertyEventHandler(camera, event, handler, context));
}
