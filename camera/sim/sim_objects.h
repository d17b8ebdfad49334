// The objects the simulated backend hands out as EdsBaseRefs.
//
// Each carries a reference count, starting at 1 when handed out. Ownership: the backend's registry
// owns every live object and frees it when its count reaches 0 (or with the backend).
//
// Thread safety: counts and fields are guarded by the backend's world mutex.
#ifndef QUORVALE_CAMERA_SIM_SIM_OBJECTS_H_
#define QUORVALE_CAMERA_SIM_SIM_OBJECTS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "camera/eds_backend.h"

class SimCamera;

struct SimObject final : EdsObject {
  enum class Kind { kCameraList, kCamera, kVolume, kDirectoryItem };

  SimObject(Kind k, SimCamera* b) : kind(k), body(b) {}
  SimObject(const SimObject&) = delete;
  SimObject& operator=(const SimObject&) = delete;

  const Kind kind;
  SimCamera* const body;  // camera, volume, directory item: the body it belongs to
  uint32_t refs = 1;
  size_t index = 0;                 // volume: its index on the body
  std::vector<SimCamera*> cameras;  // camera list: the bodies listed when it was taken
};

#endif  // QUORVALE_CAMERA_SIM_SIM_OBJECTS_H_
