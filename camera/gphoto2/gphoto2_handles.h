// Gphoto2Handles: the table of references the gphoto2 backend hands out (camera lists, cameras,
// volumes, directory items), their reference counts, and whether the SDK is initialised.
//
// Each reference is an EdsBaseRef pointing at an object the table owns; the backend's callers
// count it up by taking it and down with release(). The object dies with its last reference: a
// camera's session is closed then (its handlers stop first), with no lock of the table held.
//
// Thread safety: every operation may be called from any thread; mu_ guards initialised_ and
// objects_. Objects handed out are shared: a caller holding one keeps it alive after its last
// reference is released. No operation calls out while holding mu_, so mu_ may be taken under
// other locks of the backend.
#ifndef QUORVALE_CAMERA_GPHOTO2_GPHOTO2_HANDLES_H_
#define QUORVALE_CAMERA_GPHOTO2_GPHOTO2_HANDLES_H_

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "camera/eds_backend.h"
#include "camera/gphoto2/gphoto2_api.h"
#include "camera/gphoto2/gphoto2_session.h"

// Every object the backend hands out; |refs| is counted under the table's lock.
struct Gp2RefObject : EdsObject {
  EdsUInt32 refs = 1;
};

struct Gp2ListObject final : Gp2RefObject {
  std::vector<Gp2CameraEntry> cameras;
};

struct Gp2CameraObject final : Gp2RefObject {
  explicit Gp2CameraObject(std::shared_ptr<Gphoto2Session> s);
  Gp2CameraObject(const Gp2CameraObject&) = delete;
  Gp2CameraObject& operator=(const Gp2CameraObject&) = delete;
  // Releasing the last reference closes the session: handlers stop before the reference is gone.
  ~Gp2CameraObject() override;
  std::shared_ptr<Gphoto2Session> session;
};

struct Gp2VolumeObject final : Gp2RefObject {
  Gp2Storage storage;
};

struct Gp2ItemObject final : Gp2RefObject {
  std::string folder;
  std::string name;
};

class Gphoto2Handles final {
 public:
  Gphoto2Handles() = default;
  // Drops every object still referenced (see clear()).
  ~Gphoto2Handles();
  Gphoto2Handles(const Gphoto2Handles&) = delete;
  Gphoto2Handles& operator=(const Gphoto2Handles&) = delete;

  // initialise() marks the SDK initialised. terminate() marks it not initialised and returns
  // true, or returns false when it was not initialised. References handed out stay in the table.
  void initialise();
  bool terminate();
  bool initialised();

  // Takes |object| into the table with one reference and returns that reference.
  EdsBaseRef add(std::shared_ptr<Gp2RefObject> object);

  // Counts a reference down; at zero the object leaves the table (and dies unless a caller still
  // holds it). Returns the references left, or 0xFFFFFFFF when |ref| is not in the table.
  EdsUInt32 release(EdsBaseRef ref);

  // The live object behind |ref|; null with *error set when the SDK is not initialised
  // (EDS_ERR_NOT_INITIALIZED) or the reference is not in the table (EDS_ERR_INVALID_HANDLE).
  std::shared_ptr<Gp2RefObject> find(EdsBaseRef ref, EdsError* error);
  // The same for a camera; a live reference of another kind gives EDS_ERR_INVALID_HANDLE.
  std::shared_ptr<Gp2CameraObject> findCamera(EdsBaseRef ref, EdsError* error);

  // The sessions of every camera in the table now.
  std::vector<std::shared_ptr<Gphoto2Session>> sessions();

  // Empties the table; the objects die outside the lock.
  void clear();

 private:
  std::mutex mu_;
  bool initialised_ = false;                                     // guarded by mu_
  std::map<EdsObject*, std::shared_ptr<Gp2RefObject>> objects_;  // guarded by mu_
};

#endif  // QUORVALE_CAMERA_GPHOTO2_GPHOTO2_HANDLES_H_
