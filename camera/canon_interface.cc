#include "camera/canon_interface.h"

#include <cstring>
#include <new>

#include "camera/canon_camera.h"
#include "camera/error_text.h"
#include "mt/mt_locker.h"
#include "output/output.h"

CCanonInterface* g_canonInterface = nullptr;

CCanonInterface::CCanonInterface() : initStatus_(EdsInitializeSDK()) {
  CMtLocker locker(&lock_);
  lastError_ = initStatus_;
  if (initStatus_ != 0) {
    printTrace("Interface status: %08x %s\n", initStatus_, edsErrorText(initStatus_));
    return;
  }
  lastError_ = EdsSetCameraAddedHandler(&CCanonInterface::CameraAddedCallback, this);
  if (lastError_ != 0) {
    printTrace("SetCameraAddHandler error: %08x %s\n", lastError_, edsErrorText(lastError_));
  }
  updateCameraList();
}

CCanonInterface::~CCanonInterface() {
  if (initStatus_ != 0) return;
  {
    CMtLocker locker(&lock_);
    cameraList_.release();
    cameraCount_ = 0;
  }
  EdsTerminateSDK();
}

EdsError CCanonInterface::CameraAddedCallback(void* context) {
  if (context == nullptr) return 0;
  return static_cast<CCanonInterface*>(context)->OnCameraAdded();
}

EdsError CCanonInterface::OnCameraAdded() {
  printTrace("Camera added\n");
  updateCameraList();
  offerListedBodies();
  return 0;
}

void CCanonInterface::offerListedBodies() {
  CMtLocker locker(&lock_);
  for (CCanonCamera* camera : cameras_) {
    for (uint32_t i = 0; i < cameraCount_ && camera->isLost(); ++i) {
      EdsBaseRef cameraRef = nullptr;
      if (EdsGetChildAtIndex(cameraList_.ref(), static_cast<EdsInt32>(i), &cameraRef) != 0) {
        continue;
      }
      EdsDeviceInfo record;
      std::memset(&record, 0, sizeof(record));
      if (EdsGetDeviceInfo(cameraRef, &record) != 0 || !camera->mayBeLostBody(record)) {
        EdsRelease(cameraRef);
        continue;
      }
      camera->reconnect(cameraRef);  // takes over the reference
    }
  }
}

void CCanonInterface::forgetCamera(CCanonCamera* camera) {
  CMtLocker locker(&lock_);
  for (auto it = cameras_.begin(); it != cameras_.end(); ++it) {
    if (*it == camera) {
      cameras_.erase(it);
      return;
    }
  }
}

EdsError CCanonInterface::OnCameraRemoved() {
  updateCameraList();
  // The body may be listed again already (its arrival was reported before its loss).
  offerListedBodies();
  return 0;
}

void CCanonInterface::updateCameraList() {
  CMtLocker locker(&lock_);
  if (initStatus_ != 0) {
    printTrace("IF not ready!\n");
    lastError_ = kSdkNotInitialised;
    return;
  }
  cameraList_.release();
  cameraCount_ = 0;
  EdsCameraListRef list = nullptr;
  lastError_ = EdsGetCameraList(&list);
  if (lastError_ != 0) {
    printTrace("GetCameraList error: %08x %s\n", lastError_, edsErrorText(lastError_));
    return;
  }
  cameraList_.reset(list);
  EdsUInt32 count = 0;
  lastError_ = EdsGetChildCount(list, &count);
  if (lastError_ != 0) {
    printTrace("Get Cameras Count error: %08x %s\n", lastError_, edsErrorText(lastError_));
    return;
  }
  cameraCount_ = count;
}

EdsError CCanonInterface::lastError() {
  CMtLocker locker(&lock_);
  return lastError_;
}

uint32_t CCanonInterface::getCameraCount() {
  CMtLocker locker(&lock_);
  return cameraCount_;
}

bool CCanonInterface::guardLocked(uint32_t index) {
  if (initStatus_ != 0 || cameraCount_ == 0 || cameraList_.ref() == nullptr ||
      index >= cameraCount_) {
    printTrace("No cameras found!\n");
    lastError_ = kNoSuchCamera;
    return false;
  }
  return true;
}

EdsError CCanonInterface::getCameraInfo(uint32_t index, EdsDeviceInfo* record) {
  std::memset(record, 0, sizeof(*record));
  CMtLocker locker(&lock_);
  if (!guardLocked(index)) return kNoSuchCamera;
  EdsBaseRef cameraRef = nullptr;
  lastError_ = EdsGetChildAtIndex(cameraList_.ref(), static_cast<EdsInt32>(index), &cameraRef);
  if (lastError_ != 0) {
    printTrace("GetCamera by index error: %08x %s\n", lastError_, edsErrorText(lastError_));
    return lastError_;
  }
  CCanonObj camera(cameraRef);
  lastError_ = EdsGetDeviceInfo(camera.ref(), record);
  if (lastError_ != 0) {
    std::memset(record, 0, sizeof(*record));
    printTrace("GetDeviceInfo error: %08x %s\n", lastError_, edsErrorText(lastError_));
  }
  return lastError_;
}

std::unique_ptr<CCanonCamera> CCanonInterface::NewCamera(uint32_t index) {
  CMtLocker locker(&lock_);
  if (!guardLocked(index)) return nullptr;
  EdsBaseRef cameraRef = nullptr;
  lastError_ = EdsGetChildAtIndex(cameraList_.ref(), static_cast<EdsInt32>(index), &cameraRef);
  if (lastError_ != 0) {
    printTrace("GetCamera by index error: %08x %s\n", lastError_, edsErrorText(lastError_));
    return nullptr;
  }
  std::unique_ptr<CCanonCamera> camera(new (std::nothrow) CCanonCamera(cameraRef, this));
  if (camera == nullptr) {
    EdsRelease(cameraRef);
    lastError_ = kCameraNotAllocated;
    printTrace("NewCamera error: %08x %s\n", lastError_, edsErrorText(lastError_));
    return nullptr;
  }
  // A camera whose session did not open is still returned: its sessionStatus() tells.
  cameras_.push_back(camera.get());
  return camera;
}
