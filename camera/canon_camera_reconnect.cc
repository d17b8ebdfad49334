// A body that comes back: its identity, and the session opened again with it.
#include <cstring>

#include "camera/canon_camera.h"
#include "camera/error_text.h"
#include "mt/mt_locker.h"
#include "output/output.h"

void CCanonCamera::noteBodyLocked() {
  bodyModel_ = deviceInfo_.szDeviceDescription;
  bodyPort_ = deviceInfo_.szPortName;
  char serial[kEdsBodyIdSize + 1] = {};
  bodySerial_.clear();
  if (EdsGetPropertyData(ref(), kEdsPropID_BodyIDEx, 0, kEdsBodyIdSize, serial) == 0) {
    bodySerial_ = serial;
  }
}

bool CCanonCamera::isLost() {
  CMtLocker locker(&lock_);
  return lost_;
}

bool CCanonCamera::mayBeLostBody(const EdsDeviceInfo& record) {
  CMtLocker locker(&lock_);
  if (!lost_ || bodyModel_ != record.szDeviceDescription) return false;
  return !bodySerial_.empty() || bodyPort_ == record.szPortName;
}

bool CCanonCamera::reconnect(EdsCameraRef cameraRef) {
  std::string serial;
  {
    CMtLocker locker(&lock_);
    if (!lost_ || ref() != nullptr) {
      EdsRelease(cameraRef);
      return false;
    }
    serial = bodySerial_;
    reset(cameraRef);
    owner_ = home_;
    sessionStatus_ = kSessionNotOpen;
    lastError_ = openSession();
    if (sessionStatus_ == 0 && bodySerial_ == serial) {
      lost_ = false;
      // The frames of the lost session were settled when it ended (their buffers given back):
      // the completions of the new session belong to its own frames.
      if (uiLockCount_ > 0) {
        lockBody();
      }
      outputPrintf(Msg, "Camera back: %s\n", bodyModel_.c_str());
      return true;
    }
    printTrace("Not the lost camera: %08x %s\n", sessionStatus_, edsErrorText(sessionStatus_));
    bodySerial_ = serial;
  }
  // Not the body, or it does not open: left alone (closed without the lock, as closeSession
  // does), and the camera stays lost with the script's UI lock nesting.
  endSession(true);
  CMtLocker locker(&lock_);
  owner_ = nullptr;
  return false;
}
