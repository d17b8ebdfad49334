#include "camera/sim/sim_backend.h"

#include <utility>

#include "camera/sim/sim_backend_impl.h"
#include "camera/sim/sim_world.h"

std::unique_ptr<EdsBackend> createSimBackend() {
  auto backend = std::make_unique<SimBackend>();
  backend->addCamera(defaultPtpBodyConfig());
  backend->addCamera(defaultLegacyBodyConfig());
  return backend;
}

SimBackend::SimBackend() : impl_(new Impl) {}

SimBackend::~SimBackend() = default;

SimCamera* SimBackend::addCamera(const SimBodyConfig& config) {
  std::lock_guard<std::mutex> lock(impl_->world);
  impl_->cameras.emplace_back(new SimCamera(impl_.get(), &impl_->world, config));
  impl_->postCameraAddedLocked();
  return impl_->cameras.back().get();
}

size_t SimBackend::cameraCount() const {
  std::lock_guard<std::mutex> lock(impl_->world);
  return impl_->cameras.size();
}

SimCamera* SimBackend::camera(size_t index) const {
  std::lock_guard<std::mutex> lock(impl_->world);
  return index < impl_->cameras.size() ? impl_->cameras[index].get() : nullptr;
}

void SimBackend::failInitialize(EdsError code) {
  std::lock_guard<std::mutex> lock(impl_->world);
  impl_->initFault = code;
}

void SimBackend::refuseEventThread() { impl_->queue.refuseNextStart(); }
void SimBackend::runAfter(uint64_t delayMs, std::function<void()> step) {
  impl_->queue.schedule(delayMs, std::move(step));
}

void SimBackend::setTimeScale(double scale) { impl_->queue.setTimeScale(scale); }
void SimBackend::useManualTime() { impl_->queue.useManualTime(); }
void SimBackend::advanceTime(uint32_t ms) { impl_->queue.advanceTime(ms); }
uint64_t SimBackend::modelNowMs() const { return impl_->queue.modelNowMs(); }
void SimBackend::hurry(double factor, double untilMs) { impl_->queue.hurry(factor, untilMs); }
void SimBackend::endHurry() {
  impl_->queue.endHurry();
  // A step the hurry made due may not have run yet when the event thread was slow to wake (a
  // thousandfold hurry passes a model second in a real ms): the script must not find the body as
  // it was before the moment its wait ended at.
  if (!impl_->queue.onEventThread()) impl_->queue.waitIdle();
}
double SimBackend::modelTimeMs() const { return impl_->queue.modelTimeMs(); }
double SimBackend::realMsUntil(double modelMs) const { return impl_->queue.realMsUntil(modelMs); }
void SimBackend::waitIdle() { impl_->queue.waitIdle(); }

size_t SimBackend::liveObjectCount() const {
  std::lock_guard<std::mutex> lock(impl_->world);
  return impl_->objects.size();
}

EdsError SimBackend::InitializeSDK() {
  std::lock_guard<std::mutex> lock(impl_->world);
  if (impl_->initFault != EDS_ERR_OK) {
    EdsError code = impl_->initFault;
    impl_->initFault = EDS_ERR_OK;
    return code;
  }
  if (!impl_->queue.start()) return EDS_ERR_INTERNAL_ERROR;
  impl_->initialized = true;
  return EDS_ERR_OK;
}

EdsError SimBackend::TerminateSDK() {
  std::unique_lock<std::mutex> lock(impl_->world);
  impl_->initialized = false;
  impl_->addedHandler = nullptr;
  impl_->addedContext = nullptr;
  for (auto& body : impl_->cameras) {
    body->state_->handlers = SimHandlers();
    impl_->waitDeliveriesLocked(&lock, body->state_.get());
  }
  return EDS_ERR_OK;
}

EdsUInt32 SimBackend::Release(EdsBaseRef ref) {
  std::unique_lock<std::mutex> lock(impl_->world);
  auto found = impl_->objects.find(ref);
  if (found == impl_->objects.end()) return 0xFFFFFFFF;
  SimObject* object = found->second.get();
  object->refs -= 1;
  if (object->refs > 0) return object->refs;
  SimCamera* body = object->body;
  bool camera = object->kind == SimObject::Kind::kCamera;
  if (camera && body->state_->ref == object) {
    // The program lets go of the camera: no more of its events, no session.
    body->state_->ref = nullptr;
    body->state_->refEpoch += 1;
    body->state_->handlers = SimHandlers();
    body->releasedLocked();
  }
  impl_->objects.erase(found);
  if (camera) impl_->waitDeliveriesLocked(&lock, body->state_.get());
  return 0;
}

EdsError SimBackend::GetCameraList(EdsCameraListRef* outList) {
  std::lock_guard<std::mutex> lock(impl_->world);
  if (!impl_->initialized) return EDS_ERR_NOT_INITIALIZED;
  if (outList == nullptr) return EDS_ERR_INVALID_PARAMETER;
  SimObject* list = impl_->addObjectLocked(SimObject::Kind::kCameraList, nullptr);
  for (auto& body : impl_->cameras) {
    if (body->state_->powered) list->cameras.push_back(body.get());
  }
  *outList = list;
  return EDS_ERR_OK;
}

EdsError SimBackend::GetChildCount(EdsBaseRef parent, EdsUInt32* outCount) {
  std::lock_guard<std::mutex> lock(impl_->world);
  if (!impl_->initialized) return EDS_ERR_NOT_INITIALIZED;
  if (outCount == nullptr) return EDS_ERR_INVALID_PARAMETER;
  if (SimObject* list = impl_->findLocked(parent, SimObject::Kind::kCameraList)) {
    *outCount = static_cast<EdsUInt32>(list->cameras.size());
    return EDS_ERR_OK;
  }
  if (SimObject* camera = impl_->findLocked(parent, SimObject::Kind::kCamera)) {
    return camera->body->volumeCountLocked(outCount);
  }
  return EDS_ERR_INVALID_HANDLE;
}

EdsError SimBackend::GetChildAtIndex(EdsBaseRef parent, EdsInt32 index, EdsBaseRef* outChild) {
  std::lock_guard<std::mutex> lock(impl_->world);
  if (!impl_->initialized) return EDS_ERR_NOT_INITIALIZED;
  if (outChild == nullptr) return EDS_ERR_INVALID_PARAMETER;
  if (SimObject* list = impl_->findLocked(parent, SimObject::Kind::kCameraList)) {
    if (index < 0 || static_cast<size_t>(index) >= list->cameras.size()) {
      return EDS_ERR_INVALID_PARAMETER;
    }
    SimCamera* body = list->cameras[index];
    SimCamera::State* state = body->state_.get();
    if (state->ref != nullptr) {
      state->ref->refs += 1;
    } else {
      state->ref = impl_->addObjectLocked(SimObject::Kind::kCamera, body);
      state->refEpoch += 1;
    }
    *outChild = state->ref;
    return EDS_ERR_OK;
  }
  if (SimObject* camera = impl_->findLocked(parent, SimObject::Kind::kCamera)) {
    EdsUInt32 count = 0;
    EdsError code = camera->body->volumeCountLocked(&count);
    if (code != EDS_ERR_OK) return code;
    if (index < 0 || static_cast<EdsUInt32>(index) >= count) return EDS_ERR_INVALID_PARAMETER;
    SimObject* volume = impl_->addObjectLocked(SimObject::Kind::kVolume, camera->body);
    volume->index = static_cast<size_t>(index);
    *outChild = volume;
    return EDS_ERR_OK;
  }
  return EDS_ERR_INVALID_HANDLE;
}

EdsError SimBackend::GetDeviceInfo(EdsCameraRef camera, EdsDeviceInfo* outInfo) {
  std::lock_guard<std::mutex> lock(impl_->world);
  if (!impl_->initialized) return EDS_ERR_NOT_INITIALIZED;
  SimObject* object = impl_->findLocked(camera, SimObject::Kind::kCamera);
  if (object == nullptr) return EDS_ERR_INVALID_HANDLE;
  if (outInfo == nullptr) return EDS_ERR_INVALID_PARAMETER;
  if (!object->body->state_->powered) return EDS_ERR_COMM_DISCONNECTED;
  *outInfo = object->body->deviceInfoLocked();
  return EDS_ERR_OK;
}

// The operations on a camera reference: checked, then answered by the body under the world lock.
#define SIM_CAMERA_CALL(ref, call)                                      \
  std::lock_guard<std::mutex> lock(impl_->world);                       \
  if (!impl_->initialized) return EDS_ERR_NOT_INITIALIZED;              \
  SimObject* object = impl_->findLocked(ref, SimObject::Kind::kCamera); \
  if (object == nullptr) return EDS_ERR_INVALID_HANDLE;                 \
  return object->body->call

EdsError SimBackend::OpenSession(EdsCameraRef camera) {
  SIM_CAMERA_CALL(camera, openSessionLocked());
}

EdsError SimBackend::CloseSession(EdsCameraRef camera) {
  SIM_CAMERA_CALL(camera, closeSessionLocked());
}

EdsError SimBackend::GetPropertyData(EdsBaseRef ref, EdsPropertyID property, EdsInt32 param,
                                     EdsUInt32 size, void* outData) {
  SIM_CAMERA_CALL(ref, getPropertyLocked(property, size, outData));
}

EdsError SimBackend::SetPropertyData(EdsBaseRef ref, EdsPropertyID property, EdsInt32 param,
                                     EdsUInt32 size, const void* data) {
  SIM_CAMERA_CALL(ref, setPropertyLocked(property, size, data));
}

EdsError SimBackend::GetPropertyDesc(EdsBaseRef ref, EdsPropertyID property,
                                     EdsPropertyDesc* outDesc) {
  SIM_CAMERA_CALL(ref, getPropertyDescLocked(property, outDesc));
}

EdsError SimBackend::SendCommand(EdsCameraRef camera, EdsCameraCommand command, EdsInt32 param) {
  SIM_CAMERA_CALL(camera, sendCommandLocked(command, param));
}

EdsError SimBackend::SendStatusCommand(EdsCameraRef camera, EdsCameraStatusCommand command,
                                       EdsInt32 param) {
  SIM_CAMERA_CALL(camera, sendStatusCommandLocked(command, param));
}

#undef SIM_CAMERA_CALL

EdsError SimBackend::GetVolumeInfo(EdsVolumeRef volume, EdsVolumeInfo* outInfo) {
  std::lock_guard<std::mutex> lock(impl_->world);
  if (!impl_->initialized) return EDS_ERR_NOT_INITIALIZED;
  SimObject* object = impl_->findLocked(volume, SimObject::Kind::kVolume);
  if (object == nullptr) return EDS_ERR_INVALID_HANDLE;
  if (outInfo == nullptr) return EDS_ERR_INVALID_PARAMETER;
  return object->body->volumeInfoLocked(object->index, outInfo);
}

EdsError SimBackend::SetCameraAddedHandler(EdsCameraAddedHandler handler, void* context) {
  std::lock_guard<std::mutex> lock(impl_->world);
  if (!impl_->initialized) return EDS_ERR_NOT_INITIALIZED;
  impl_->addedHandler = handler;
  impl_->addedContext = context;
  return EDS_ERR_OK;
}

namespace {

template <typename Handler>
void registerHandler(std::map<uint32_t, std::pair<Handler, void*>>* handlers, uint32_t event,
                     Handler handler, void* context) {
  if (handler == nullptr) {
    handlers->erase(event);
  } else {
    (*handlers)[event] = {handler, context};
  }
}

}  // namespace

#define SIM_REGISTER(camera, field, event, handler, context)                       \
  std::lock_guard<std::mutex> lock(impl_->world);                                  \
  if (!impl_->initialized) return EDS_ERR_NOT_INITIALIZED;                         \
  SimObject* object = impl_->findLocked(camera, SimObject::Kind::kCamera);         \
  if (object == nullptr) return EDS_ERR_INVALID_HANDLE;                            \
  registerHandler(&object->body->state_->handlers.field, event, handler, context); \
  return EDS_ERR_OK

EdsError SimBackend::SetObjectEventHandler(EdsCameraRef camera, EdsObjectEvent event,
                                           EdsObjectEventHandler handler, void* context) {
  SIM_REGISTER(camera, object, event, handler, context);
}

EdsError SimBackend::SetCameraStateEventHandler(EdsCameraRef camera, EdsStateEvent event,
                                                EdsStateEventHandler handler, void* context) {
  SIM_REGISTER(camera, state, event, handler, context);
}

EdsError SimBackend::SetPropertyEventHandler(EdsCameraRef camera, EdsPropertyEvent event,
                                             EdsPropertyEventHandler handler, void* context) {
  SIM_REGISTER(camera, property, event, handler, context);
}

#undef SIM_REGISTER
