#include "camera/canon_camera.h"

#include <cstring>

#include "camera/canon_interface.h"
#include "camera/error_text.h"
#include "mt/mt_locker.h"
#include "output/output.h"

namespace {

// Initial settings written at session open.
constexpr EdsUInt32 kSaveToCamera = 1;
constexpr EdsUInt32 kDriveContinuous = 1;
constexpr EdsUInt32 kCapacityUnlimited = 0xFFFFFFFF;

constexpr uint32_t kHandlerWaitSliceMs = 100;

// Av and Tv codes whose presence in a body's description tells which member of each code pair
// the body uses.
constexpr EdsInt32 kAvFirstMembers[] = {0x14, 0x1C, 0x24, 0x2B, 0x44};
constexpr EdsInt32 kAvSecondMembers[] = {0x15, 0x1D, 0x25, 0x2C, 0x43};
constexpr EdsInt32 kTvFirstMembers[] = {0x14, 0x1C, 0x24, 0x44, 0x4C, 0x54, 0x5C};
constexpr EdsInt32 kTvSecondMembers[] = {0x15, 0x1D, 0x23, 0x45, 0x4D, 0x53, 0x5B};

template <size_t N>
bool contains(const EdsInt32 (&codes)[N], EdsInt32 code) {
  for (EdsInt32 c : codes) {
    if (c == code) return true;
  }
  return false;
}

// Walks the allowed codes of |desc| in order. Returns true and sets *variant (false for a first
// pair member, true for a second) at the first code that decides; false when none does.
template <size_t N1, size_t N2>
bool detectVariant(const EdsPropertyDesc& desc, const EdsInt32 (&firstMembers)[N1],
                   const EdsInt32 (&secondMembers)[N2], bool* variant) {
  EdsInt32 count = desc.numElements;
  if (count > 128) count = 128;
  for (EdsInt32 i = 0; i < count; ++i) {
    if (contains(firstMembers, desc.propDesc[i])) {
      *variant = false;
      return true;
    }
    if (contains(secondMembers, desc.propDesc[i])) {
      *variant = true;
      return true;
    }
  }
  return false;
}

}  // namespace

CCanonCamera::CCanonCamera(EdsCameraRef cameraRef, CCanonInterface* owner)
    : CCanonObj(cameraRef), owner_(owner), home_(owner) {
  CMtLocker locker(&lock_);
  lastError_ = openSession();
  if (sessionStatus_ != 0) {
    printTrace("Session status: %08x %s\n", sessionStatus_, edsErrorText(sessionStatus_));
  }
}

CCanonCamera::~CCanonCamera() {
  // First out of the interface's watch: a return being handled on another thread ends before.
  if (home_ != nullptr) home_->forgetCamera(this);
  closeSession();
  // The reference is released, so no new handler starts; one that runs already (a shutdown that
  // closed the session itself) must end before the object goes.
  for (;;) {
    {
      CMtLocker locker(&lock_);
      if (handlersRunning_ == 0) break;
    }
    handlersIdleEvent_.waitFor(kHandlerWaitSliceMs);
  }
}

EdsError CCanonCamera::openSession() {
  CMtLocker locker(&lock_);
  EdsCameraRef camera = ref();
  if (camera == nullptr) {
    lastError_ = kNoSuchCamera;
    printTrace("No camera specifies: %08x %s\n", kNoSuchCamera, edsErrorText(kNoSuchCamera));
  } else {
    sessionStatus_ = EdsOpenSession(camera);
    if (sessionStatus_ != 0) {
      printTrace("Session not ready: %08x %s\n", sessionStatus_, edsErrorText(sessionStatus_));
    } else {
      printTrace("Session ready\n");
      lastError_ = EdsGetDeviceInfo(camera, &deviceInfo_);
      if (lastError_ != 0) {
        std::memset(&deviceInfo_, 0, sizeof(deviceInfo_));
        printTrace("GetDeviceInfo error: %08x %s\n", lastError_, edsErrorText(lastError_));
      } else {
        protocol_ = deviceInfo_.deviceSubType;
        noteBodyLocked();
      }
    }
  }

  lastError_ = EdsSetObjectEventHandler(camera, kEdsObjectEvent_All, &CCanonCamera::OnObject, this);
  if (lastError_ != 0) {
    printTrace("SetObjectEventHandler error: %08x %s\n", lastError_, edsErrorText(lastError_));
  }
  lastError_ =
      EdsSetCameraStateEventHandler(camera, kEdsStateEvent_All, &CCanonCamera::OnState, this);
  if (lastError_ != 0) {
    printTrace("SetCameraStateEventHandler error: %08x %s\n", lastError_, edsErrorText(lastError_));
  }
  lastError_ =
      EdsSetPropertyEventHandler(camera, kEdsPropertyEvent_All, &CCanonCamera::OnProperty, this);
  if (lastError_ != 0) {
    printTrace("SetPropertyEventHandler error: %08x %s\n", lastError_, edsErrorText(lastError_));
  }

  applyInitialSettings();
  updateVolumes();
  updateBatteryLevel();
  return sessionStatus_;
}

void CCanonCamera::applyInitialSettings() {
  CMtLocker locker(&lock_);
  writeProperty(kEdsPropID_SaveTo, kSaveToCamera);
  writeProperty(kEdsPropID_DriveMode, kDriveContinuous);
  writeProperty(kEdsPropID_Capacity, kCapacityUnlimited);

  bool avDecided = false;
  bool tvDecided = false;
  bool avVariant = avCodeVariant_;
  bool tvVariant = tvCodeVariant_;
  EdsPropertyDesc desc;
  std::memset(&desc, 0, sizeof(desc));
  lastError_ = EdsGetPropertyDesc(ref(), kEdsPropID_Av, &desc);
  if (lastError_ != 0) {
    printTrace("EdsGetProperyDesc error: %08x %s\n", lastError_, edsErrorText(lastError_));
  } else {
    avDecided = detectVariant(desc, kAvFirstMembers, kAvSecondMembers, &avVariant);
  }
  std::memset(&desc, 0, sizeof(desc));
  lastError_ = EdsGetPropertyDesc(ref(), kEdsPropID_Tv, &desc);
  if (lastError_ != 0) {
    printTrace("EdsGetProperyDesc error: %08x %s\n", lastError_, edsErrorText(lastError_));
  } else {
    tvDecided = detectVariant(desc, kTvFirstMembers, kTvSecondMembers, &tvVariant);
  }
  // A body that tells one variant uses the same for the other.
  if (avDecided && !tvDecided) tvVariant = avVariant;
  if (tvDecided && !avDecided) avVariant = tvVariant;
  avCodeVariant_ = avVariant;
  tvCodeVariant_ = tvVariant;
}

EdsError CCanonCamera::writeProperty(EdsPropertyID property, EdsUInt32 value) {
  CMtLocker locker(&lock_);
  if (!isOpenLocked()) return kSessionNotOpen;
  propertyEvent_.reset();
  lastError_ = EdsSetPropertyData(ref(), property, 0, sizeof(value), &value);
  return lastError_;
}

void CCanonCamera::closeSession() { endSession(false); }

void CCanonCamera::endSession(bool lost) {
  EdsCameraRef camera = nullptr;
  bool wasOpen = false;
  std::vector<FrameLedger::Settled> settled;
  {
    CMtLocker locker(&lock_);
    wasOpen = isOpenLocked();
    // A body that went away loses the frame in its exposure and the images it had not written:
    // the frame waited for fails at once, the others are left without word.
    if (wasOpen) {
      settleOpenFramesLocked(lost ? EDS_ERR_COMM_DISCONNECTED : 0,
                             lost ? FrameWhy::kCameraLost : FrameWhy::kSessionClosed, &settled);
    }
    if (wasOpen) {
      if (!lost) uiLockCount_ = 0;
      uiLocked_ = false;
      SendStatusCommand(kEdsCameraStatusCommand_UIUnLock);
    }
    if (lost && wasOpen) lost_ = true;
    // Detached under the lock, so no other thread uses the reference from now on; it is closed
    // and released without the lock, since the SDK may wait for a running handler of this camera,
    // which may be waiting for the lock.
    camera = detach();
    if (wasOpen) {
      sessionStatus_ = kSessionNotOpen;
      std::memset(&deviceInfo_, 0, sizeof(deviceInfo_));
      std::memset(volumes_, 0, sizeof(volumes_));
      volumeCount_ = 0;
      capacity_ = 0;
      freeSpace_ = 0;
      batteryLevel_ = 0;
      owner_ = nullptr;
    }
  }
  // The frames' fates are told before the close, which may take its time; then a shot waiting
  // for the body ends (for a lost body, once the loss is said: OnStateShutdown).
  reportSettled(settled);
  if (wasOpen && !lost) sessionEndEvent_.set();
  if (wasOpen) {
    EdsError closed = EdsCloseSession(camera);
    setLastError(closed);
    if (closed != 0) printTrace("Close session error: %08x %s\n", closed, edsErrorText(closed));
  }
  if (camera != nullptr) EdsRelease(camera);
}

EdsError CCanonCamera::getDeviceInfo(EdsDeviceInfo* record) {
  CMtLocker locker(&lock_);
  if (!isOpenLocked()) return lastError_;
  std::memcpy(record, &deviceInfo_, sizeof(deviceInfo_));
  return 0;
}

EdsError CCanonCamera::readProperty(EdsPropertyID property, EdsUInt32* value) {
  CMtLocker locker(&lock_);
  if (!isOpenLocked()) return kSessionNotOpen;
  EdsUInt32 read = 0;
  lastError_ = EdsGetPropertyData(ref(), property, 0, sizeof(read), &read);
  if (lastError_ == 0) *value = read;
  return lastError_;
}

EdsError CCanonCamera::SendCommand(EdsCameraCommand command) {
  CMtLocker locker(&lock_);
  // After closeSession the reference is gone: answered as the SDK answers a released handle.
  lastError_ = ref() != nullptr ? EdsSendCommand(ref(), command, 0) : EDS_ERR_INVALID_HANDLE;
  if (lastError_ != 0) {
    printTrace("SendCommand error: %08x %s\n", lastError_, edsErrorText(lastError_));
  }
  return lastError_;
}

EdsError CCanonCamera::SendStatusCommand(EdsCameraStatusCommand command) {
  CMtLocker locker(&lock_);
  lastError_ = ref() != nullptr ? EdsSendStatusCommand(ref(), command, 0) : EDS_ERR_INVALID_HANDLE;
  if (lastError_ != 0) {
    printTrace("SendStatusCommand error: %08x %s\n", lastError_, edsErrorText(lastError_));
  }
  return lastError_;
}

void CCanonCamera::lockBody() {
  CMtLocker locker(&lock_);
  EdsError code = SendStatusCommand(kEdsCameraStatusCommand_UILock);
  if (code == 0) {
    uiLocked_ = true;
    printTrace("Lock camera\n");
  } else if (code != EDS_ERR_NOT_SUPPORTED) {
    printTrace("UILock error: %08x %s\n", code, edsErrorText(code));
  }
}

int32_t CCanonCamera::Lock() {
  CMtLocker locker(&lock_);
  uiLockCount_ += 1;
  if (!uiLocked_) {
    lockBody();
  }
  return 0;
}

int32_t CCanonCamera::Unlock() {
  CMtLocker locker(&lock_);
  if (uiLockCount_ > 0) uiLockCount_ -= 1;
  if (uiLocked_ && uiLockCount_ == 0) {
    EdsError code = SendStatusCommand(kEdsCameraStatusCommand_UIUnLock);
    if (code == 0) {
      uiLocked_ = false;
      printTrace("Unlock camera\n");
    } else if (code != EDS_ERR_NOT_SUPPORTED) {
      printTrace("UIUnlock error: %08x %s\n", code, edsErrorText(code));
    }
  }
  return 0;
}
