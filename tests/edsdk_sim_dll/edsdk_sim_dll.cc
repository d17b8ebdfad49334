// A test build of the simulated cameras as EDSDK.dll: the SDK's operations exported under their
// names (edsdk_sim_dll.def), with the SDK's calling convention, over the simulated backend. The
// Windows program loads it as it would load the maker's DLL, so the DLL-loading backend is tested
// end to end; events come on the simulated backend's thread inside the DLL.
//
// The exports are defined here as SimEds*; the module definition file names them Eds*.
#include <memory>
#include <mutex>
#include <vector>

#include "camera/eds_backend.h"
#include "camera/sim/sim_backend.h"
#include "platform/shared_library.h"

namespace {

using DllObjectHandler = EdsError(QUORVALE_SDK_CALL*)(EdsObjectEvent, EdsBaseRef, void*);
using DllStateHandler = EdsError(QUORVALE_SDK_CALL*)(EdsStateEvent, EdsUInt32, void*);
using DllPropertyHandler = EdsError(QUORVALE_SDK_CALL*)(EdsPropertyEvent, EdsPropertyID, EdsUInt32,
                                                        void*);
using DllCameraAddedHandler = EdsError(QUORVALE_SDK_CALL*)(void*);

struct Registration {
  void* handler;  // the caller's handler, of the SDK's calling convention
  void* context;
};

std::mutex g_mutex;
std::unique_ptr<EdsBackend> g_sim;                           // guarded by g_mutex
std::vector<std::unique_ptr<Registration>> g_registrations;  // guarded by g_mutex; never shrinks

EdsBackend* sim() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_sim == nullptr) g_sim = createSimBackend();
  return g_sim.get();
}

Registration* keep(void* handler, void* context) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_registrations.push_back(std::make_unique<Registration>(Registration{handler, context}));
  return g_registrations.back().get();
}

EdsError objectHandler(EdsObjectEvent event, EdsBaseRef ref, void* context) {
  auto* r = static_cast<Registration*>(context);
  return reinterpret_cast<DllObjectHandler>(r->handler)(event, ref, r->context);
}
EdsError stateHandler(EdsStateEvent event, EdsUInt32 data, void* context) {
  auto* r = static_cast<Registration*>(context);
  return reinterpret_cast<DllStateHandler>(r->handler)(event, data, r->context);
}
EdsError propertyHandler(EdsPropertyEvent event, EdsPropertyID property, EdsUInt32 param,
                         void* context) {
  auto* r = static_cast<Registration*>(context);
  return reinterpret_cast<DllPropertyHandler>(r->handler)(event, property, param, r->context);
}
EdsError cameraAddedHandler(void* context) {
  auto* r = static_cast<Registration*>(context);
  return reinterpret_cast<DllCameraAddedHandler>(r->handler)(r->context);
}

}  // namespace

#define SIM_EXPORT extern "C" __declspec(dllexport)

SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsInitializeSDK() { return sim()->InitializeSDK(); }
// The simulated backend goes with the SDK: its threads must end here, not while the DLL is
// unloaded (a thread cannot be waited for under the system's loader lock).
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsTerminateSDK() {
  const EdsError result = sim()->TerminateSDK();
  std::unique_ptr<EdsBackend> gone;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    gone = std::move(g_sim);
  }
  return result;
}
SIM_EXPORT EdsUInt32 QUORVALE_SDK_CALL SimEdsRelease(EdsBaseRef ref) { return sim()->Release(ref); }
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsGetCameraList(EdsCameraListRef* outList) {
  return sim()->GetCameraList(outList);
}
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsGetChildCount(EdsBaseRef parent, EdsUInt32* count) {
  return sim()->GetChildCount(parent, count);
}
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsGetChildAtIndex(EdsBaseRef parent, EdsInt32 index,
                                                            EdsBaseRef* outChild) {
  return sim()->GetChildAtIndex(parent, index, outChild);
}
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsGetDeviceInfo(EdsCameraRef camera,
                                                          EdsDeviceInfo* outInfo) {
  return sim()->GetDeviceInfo(camera, outInfo);
}
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsOpenSession(EdsCameraRef camera) {
  return sim()->OpenSession(camera);
}
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsCloseSession(EdsCameraRef camera) {
  return sim()->CloseSession(camera);
}
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsGetPropertyData(EdsBaseRef ref, EdsPropertyID property,
                                                            EdsInt32 param, EdsUInt32 size,
                                                            void* outData) {
  return sim()->GetPropertyData(ref, property, param, size, outData);
}
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsSetPropertyData(EdsBaseRef ref, EdsPropertyID property,
                                                            EdsInt32 param, EdsUInt32 size,
                                                            const void* data) {
  return sim()->SetPropertyData(ref, property, param, size, data);
}
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsGetPropertyDesc(EdsBaseRef ref, EdsPropertyID property,
                                                            EdsPropertyDesc* outDesc) {
  return sim()->GetPropertyDesc(ref, property, outDesc);
}
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsGetVolumeInfo(EdsVolumeRef volume,
                                                          EdsVolumeInfo* outInfo) {
  return sim()->GetVolumeInfo(volume, outInfo);
}
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsSendCommand(EdsCameraRef camera,
                                                        EdsCameraCommand command, EdsInt32 param) {
  return sim()->SendCommand(camera, command, param);
}
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsSendStatusCommand(EdsCameraRef camera,
                                                              EdsCameraStatusCommand command,
                                                              EdsInt32 param) {
  return sim()->SendStatusCommand(camera, command, param);
}
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsSetCameraAddedHandler(DllCameraAddedHandler handler,
                                                                  void* context) {
  if (handler == nullptr) return sim()->SetCameraAddedHandler(nullptr, nullptr);
  return sim()->SetCameraAddedHandler(&cameraAddedHandler,
                                      keep(reinterpret_cast<void*>(handler), context));
}
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsSetObjectEventHandler(EdsCameraRef camera,
                                                                  EdsObjectEvent event,
                                                                  DllObjectHandler handler,
                                                                  void* context) {
  if (handler == nullptr) return sim()->SetObjectEventHandler(camera, event, nullptr, nullptr);
  return sim()->SetObjectEventHandler(camera, event, &objectHandler,
                                      keep(reinterpret_cast<void*>(handler), context));
}
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsSetCameraStateEventHandler(EdsCameraRef camera,
                                                                       EdsStateEvent event,
                                                                       DllStateHandler handler,
                                                                       void* context) {
  if (handler == nullptr) return sim()->SetCameraStateEventHandler(camera, event, nullptr, nullptr);
  return sim()->SetCameraStateEventHandler(camera, event, &stateHandler,
                                           keep(reinterpret_cast<void*>(handler), context));
}
SIM_EXPORT EdsError QUORVALE_SDK_CALL SimEdsSetPropertyEventHandler(EdsCameraRef camera,
                                                                    EdsPropertyEvent event,
                                                                    DllPropertyHandler handler,
                                                                    void* context) {
  if (handler == nullptr) return sim()->SetPropertyEventHandler(camera, event, nullptr, nullptr);
  return sim()->SetPropertyEventHandler(camera, event, &propertyHandler,
                                        keep(reinterpret_cast<void*>(handler), context));
}
