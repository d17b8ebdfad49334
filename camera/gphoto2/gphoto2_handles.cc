#include "camera/gphoto2/gphoto2_handles.h"

#include <utility>

namespace {

constexpr EdsUInt32 kReleaseFailed = 0xFFFFFFFF;

}  // namespace

Gp2CameraObject::Gp2CameraObject(std::shared_ptr<Gphoto2Session> s) : session(std::move(s)) {}

Gp2CameraObject::~Gp2CameraObject() { session->close(); }

Gphoto2Handles::~Gphoto2Handles() { clear(); }

void Gphoto2Handles::initialise() {
  std::lock_guard<std::mutex> guard(mu_);
  initialised_ = true;
}

bool Gphoto2Handles::terminate() {
  std::lock_guard<std::mutex> guard(mu_);
  if (!initialised_) return false;
  initialised_ = false;
  return true;
}

bool Gphoto2Handles::initialised() {
  std::lock_guard<std::mutex> guard(mu_);
  return initialised_;
}

EdsBaseRef Gphoto2Handles::add(std::shared_ptr<Gp2RefObject> object) {
  std::lock_guard<std::mutex> guard(mu_);
  EdsBaseRef ref = object.get();
  objects_[ref] = std::move(object);
  return ref;
}

EdsUInt32 Gphoto2Handles::release(EdsBaseRef ref) {
  std::shared_ptr<Gp2RefObject> last;  // destroyed after the lock is left
  std::lock_guard<std::mutex> guard(mu_);
  auto it = objects_.find(ref);
  if (it == objects_.end()) return kReleaseFailed;
  EdsUInt32 left = --it->second->refs;
  if (left == 0) {
    last = std::move(it->second);
    objects_.erase(it);
  }
  return left;
}

std::shared_ptr<Gp2RefObject> Gphoto2Handles::find(EdsBaseRef ref, EdsError* error) {
  std::lock_guard<std::mutex> guard(mu_);
  if (!initialised_) {
    *error = EDS_ERR_NOT_INITIALIZED;
    return nullptr;
  }
  auto it = objects_.find(ref);
  if (it == objects_.end()) {
    *error = EDS_ERR_INVALID_HANDLE;
    return nullptr;
  }
  return it->second;
}

std::shared_ptr<Gp2CameraObject> Gphoto2Handles::findCamera(EdsBaseRef ref, EdsError* error) {
  auto camera = std::dynamic_pointer_cast<Gp2CameraObject>(find(ref, error));
  if (camera == nullptr && *error == EDS_ERR_OK) *error = EDS_ERR_INVALID_HANDLE;
  return camera;
}

std::vector<std::shared_ptr<Gphoto2Session>> Gphoto2Handles::sessions() {
  std::vector<std::shared_ptr<Gphoto2Session>> sessions;
  std::lock_guard<std::mutex> guard(mu_);
  for (auto& entry : objects_) {
    if (auto* camera = dynamic_cast<Gp2CameraObject*>(entry.second.get())) {
      sessions.push_back(camera->session);
    }
  }
  return sessions;
}

void Gphoto2Handles::clear() {
  std::map<EdsObject*, std::shared_ptr<Gp2RefObject>> objects;
  {
    std::lock_guard<std::mutex> guard(mu_);
    objects.swap(objects_);
  }
}
