// CCanonInterface: the camera SDK's lifetime and the list of connected cameras.
//
// Exactly one instance, g_canonInterface, exists while the program runs (created by
// startCameraSdk right after the command line is read, destroyed by stopCameraSdk). Construction
// initialises the SDK, registers the camera-added callback and enumerates the cameras;
// destruction releases the list and terminates the SDK (only after a good initialisation).
//
// Ownership: the interface owns the SDK camera-list reference. Cameras from NewCamera belong to
// the caller and must be deleted before the interface.
// Thread safety: every operation may be called from any thread. lock_ guards the list, the count
// and lastError_; it is held while NewCamera opens the new camera's session (lock order: this
// lock, then the camera's, then the output lock).
#ifndef QUORVALE_CAMERA_CANON_INTERFACE_H_
#define QUORVALE_CAMERA_CANON_INTERFACE_H_

#include <cstdint>
#include <memory>
#include <vector>

#include "camera/canon_obj.h"
#include "camera/eds.h"
#include "mt/mt_critical_section.h"

class CCanonCamera;

class CCanonInterface {
 public:
  CCanonInterface();
  virtual ~CCanonInterface();
  CCanonInterface(const CCanonInterface&) = delete;
  CCanonInterface& operator=(const CCanonInterface&) = delete;

  // Called on the SDK's event thread when a camera was connected: re-reads the list and offers
  // each listed body to the cameras whose body was lost (CCanonCamera::reconnect). Returns 0.
  virtual EdsError OnCameraAdded();
  // Called by a camera that shut down: re-reads the list and offers the listed bodies to the
  // cameras whose body was lost. Returns 0.
  virtual EdsError OnCameraRemoved();

  // Replaces the camera list with a fresh one from the SDK; the outcome is in lastError() and
  // getCameraCount().
  void updateCameraList();

  // The result of the SDK's initialisation; anything but 0 means the SDK is not usable.
  EdsError initStatus() const { return initStatus_; }
  // The code of the most recent SDK call of the interface, or a code it set itself.
  EdsError lastError();

  uint32_t getCameraCount();

  // Clears |record| and fills it with the device record of the camera at |index|. Returns the
  // SDK code; 0x80 (and the trace "No cameras found!") when there is no camera at |index|.
  EdsError getCameraInfo(uint32_t index, EdsDeviceInfo* record);

  // A new camera bound to the camera at |index|, its session opened; null when there is no such
  // camera or the SDK refuses the reference (see lastError()). A camera whose session did not
  // open is still returned: its sessionStatus() tells.
  std::unique_ptr<CCanonCamera> NewCamera(uint32_t index);

  // A camera from NewCamera leaves the interface's watch (its destructor calls this first). Waits
  // for a return of its body that is being handled.
  void forgetCamera(CCanonCamera* camera);

  // The camera-added callback given to the SDK, with the interface as context.
  static EdsError CameraAddedCallback(void* context);

 private:
  // REQUIRES: lock_ held. True when |index| names a camera of the current list; otherwise
  // traces the refusal and sets lastError_ to 0x80.
  bool guardLocked(uint32_t index);
  // Offers each body of the current list to each camera whose body is lost, until it is back.
  void offerListedBodies();

  const EdsError initStatus_;
  CMtCriticalSection lock_;
  EdsError lastError_ = 0;    // guarded by lock_
  CCanonObj cameraList_;      // guarded by lock_
  uint32_t cameraCount_ = 0;  // guarded by lock_
  // The live cameras made by NewCamera, which may lose their body and get it back.
  std::vector<CCanonCamera*> cameras_;  // guarded by lock_
};

// The program's single SDK interface, or null outside startCameraSdk..stopCameraSdk.
extern CCanonInterface* g_canonInterface;

#endif  // QUORVALE_CAMERA_CANON_INTERFACE_H_
