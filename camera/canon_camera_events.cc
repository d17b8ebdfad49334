// The SDK's object, state and property callbacks and the camera's handlers of their events. They
// run on the backend's event thread; none of them waits on anything the script thread holds.
#include "camera/canon_camera.h"
#include "camera/canon_interface.h"
#include "camera/error_text.h"
#include "mt/mt_locker.h"
#include "output/output.h"

// Counts one running handler of a camera for the camera's destructor.
class CCanonCamera::HandlerScope final {
 public:
  explicit HandlerScope(CCanonCamera* camera) : camera_(camera) {
    CMtLocker locker(&camera_->lock_);
    camera_->handlersRunning_ += 1;
  }
  ~HandlerScope() {
    CMtLocker locker(&camera_->lock_);
    camera_->handlersRunning_ -= 1;
    if (camera_->handlersRunning_ == 0) camera_->handlersIdleEvent_.set();
  }
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;

 private:
  CCanonCamera* const camera_;
};

EdsError CCanonCamera::OnObject(EdsObjectEvent event, EdsBaseRef ref, void* context) {
  CCanonObj object(ref);  // released once when this returns, on every path
  if (context == nullptr) return 0;
  CCanonCamera* camera = static_cast<CCanonCamera*>(context);
  HandlerScope running(camera);
  switch (event) {
    case kEdsObjectEvent_VolumeInfoChanged:
      return camera->OnObjectVolumeInfoChanged(ref);
    case kEdsObjectEvent_VolumeUpdateItems:
      return camera->OnObjectVolumeUpdateItems(ref);
    case kEdsObjectEvent_FolderUpdateItems:
      return camera->OnObjectFolderUpdateItems(ref);
    case kEdsObjectEvent_DirItemCreated:
      return camera->OnObjectDirItemCreated(ref);
    case kEdsObjectEvent_DirItemRemoved:
      return camera->OnObjectDirItemRemoved(ref);
    case kEdsObjectEvent_DirItemInfoChanged:
      return camera->OnObjectDirItemInfoChanged(ref);
    case kEdsObjectEvent_DirItemContentChanged:
      return camera->OnObjectDirItemContentChanged(ref);
    case kEdsObjectEvent_DirItemRequestTransfer:
      return camera->OnObjectDirItemRequestTransfer(ref);
    case kEdsObjectEvent_DirItemRequestTransferDT:
      return camera->OnObjectDirItemRequestTransferDT(ref);
    case kEdsObjectEvent_DirItemCancelTransferDT:
      return camera->OnObjectDirItemCancelTransferDT(ref);
    default:
      printTrace("OnObject: event=0x%x ref=$%p\n", event, static_cast<void*>(ref));
      return 0;
  }
}

EdsError CCanonCamera::OnState(EdsStateEvent event, EdsUInt32 data, void* context) {
  if (context == nullptr) return 0;
  CCanonCamera* camera = static_cast<CCanonCamera*>(context);
  HandlerScope running(camera);
  switch (event) {
    case kEdsStateEvent_Shutdown:
      return camera->OnStateShutdown();
    case kEdsStateEvent_JobStatusChanged:
      return camera->OnStateJobStatusChanged(data);
    case kEdsStateEvent_WillSoonShutDown:
      return camera->OnStateWillSoonShutDown(data);
    case kEdsStateEvent_ShutDownTimerUpdate:
      return camera->OnStateShutDownTimerUpdate();
    case kEdsStateEvent_CaptureError:
      return camera->OnStateCaptureError(data);
    case kEdsStateEvent_InternalError:
      return camera->OnStateInternalError(data);
    case kEdsStateEvent_BulbExposureTime:
      return camera->OnStateBulbExposureTime(data);
    default:
      printTrace("OnState: event=0x%x data=%u\n", event, data);
      return 0;
  }
}

EdsError CCanonCamera::OnProperty(EdsPropertyEvent event, EdsPropertyID property, EdsUInt32 param,
                                  void* context) {
  if (context == nullptr) return 0;
  CCanonCamera* camera = static_cast<CCanonCamera*>(context);
  HandlerScope running(camera);
  switch (event) {
    case kEdsPropertyEvent_PropertyChanged:
      return camera->OnPropertyChanged(property, param);
    case kEdsPropertyEvent_PropertyDescChanged:
      return camera->OnPropertyDescChanged(property, param);
    default:
      printTrace("OnProperty event=0x%x property=0x%x param=%u\n", event, property, param);
      return 0;
  }
}

EdsError CCanonCamera::OnStateShutdown() {
  printTrace("OnStateShutdown / remove camera\n");
  CCanonInterface* owner = nullptr;
  std::string model;
  {
    CMtLocker locker(&lock_);
    owner = owner_;
    model = bodyModel_;
  }
  // A camera of an interface waits for its body to come back; the script goes on meanwhile.
  endSession(owner != nullptr);
  if (owner != nullptr) outputPrintf(Warn, "Camera lost: %s\n", model.c_str());
  // Only now a shot waiting for the body ends, so that its error follows the loss.
  sessionEndEvent_.set();
  // Without the camera's lock: the owner takes its own lock, which ranks before ours.
  if (owner != nullptr) owner->OnCameraRemoved();
  return lastError();
}

EdsError CCanonCamera::OnStateJobStatusChanged(EdsUInt32 data) {
  printTrace("OnStateJobStatusChanged: need transfer=%u\n", data);
  if (protocol() != 0) {
    if (data != 0) {
      onShotLeftBuffer();
    } else {
      onTakePictureCompletion(false, 0);
    }
  }
  return 0;
}

EdsError CCanonCamera::OnStateWillSoonShutDown(EdsUInt32 seconds) {
  printTrace("OnStateWillSoonShutDown: seconds=%u\n", seconds);
  EdsError code = SendCommand(kEdsCameraCommand_ExtendShutDownTimer);
  printTrace("Do ExtendShutDownTimer: %08x %s\n", code, edsErrorText(code));
  return code;
}

EdsError CCanonCamera::OnStateShutDownTimerUpdate() { return 0; }

EdsError CCanonCamera::OnStateCaptureError(EdsUInt32 error) {
  printTrace("OnStateCaptureError: error=%u\n", error);
  outputPrintf(Error, "Capture error: %s\n", captureErrorText(error));
  onTakePictureCompletion(true, error);
  return 0;
}

EdsError CCanonCamera::OnStateBulbExposureTime(EdsUInt32 time) {
  printTrace("OnStateBulbExposureTime: expose time=%u\n", time);
  return 0;
}

EdsError CCanonCamera::OnStateInternalError(EdsUInt32 data) {
  printTrace("OnStateInternalError: (%u)\n", data);
  return 0;
}

EdsError CCanonCamera::invalidateVolumes() {
  volumesValid_ = false;
  return 0;
}

EdsError CCanonCamera::OnObjectDirItemCreated(EdsBaseRef ref) {
  printTrace("OnObjectDirItemCreated: ref=$%p\n", static_cast<void*>(ref));
  if (protocol() == 0) {
    onShotLeftBuffer();
    onTakePictureCompletion(false, 0);
  }
  return invalidateVolumes();
}

EdsError CCanonCamera::OnObjectDirItemRemoved(EdsBaseRef ref) {
  printTrace("OnObjectDirItemRemoved: ref=$%p\n", static_cast<void*>(ref));
  return invalidateVolumes();
}

EdsError CCanonCamera::OnObjectDirItemInfoChanged(EdsBaseRef ref) {
  printTrace("OnObjectDirItemInfoChanged: ref=$%p\n", static_cast<void*>(ref));
  return invalidateVolumes();
}

EdsError CCanonCamera::OnObjectDirItemContentChanged(EdsBaseRef ref) {
  printTrace("OnObjectDirItemContentChanged: ref=$%p\n", static_cast<void*>(ref));
  return invalidateVolumes();
}

EdsError CCanonCamera::OnObjectFolderUpdateItems(EdsBaseRef ref) {
  printTrace("OnObjectFolderUpdateItems: ref=$%p\n", static_cast<void*>(ref));
  return invalidateVolumes();
}

EdsError CCanonCamera::OnObjectVolumeInfoChanged(EdsBaseRef ref) {
  printTrace("OnObjectVolumeInfoChanged: ref=$%p\n", static_cast<void*>(ref));
  return invalidateVolumes();
}

EdsError CCanonCamera::OnObjectVolumeUpdateItems(EdsBaseRef ref) {
  printTrace("OnObjectVolumeUpdateItems: ref=$%p\n", static_cast<void*>(ref));
  return invalidateVolumes();
}

EdsError CCanonCamera::OnObjectDirItemRequestTransfer(EdsBaseRef ref) {
  printTrace("OnObjectDirItemRequestTransfer: ref=$%p\n", static_cast<void*>(ref));
  return 0;
}

EdsError CCanonCamera::OnObjectDirItemRequestTransferDT(EdsBaseRef ref) {
  printTrace("OnObjectDirItemRequestTransferDT: arrayRef=$%p\n", static_cast<void*>(ref));
  return 0;
}

EdsError CCanonCamera::OnObjectDirItemCancelTransferDT(EdsBaseRef ref) {
  printTrace("OnObjectDirItemCancelTransferDT: arrayRef=$%p\n", static_cast<void*>(ref));
  return 0;
}

EdsError CCanonCamera::OnPropertyDescChanged(EdsPropertyID property, EdsUInt32 param) {
  printTrace("OnPropertyDescChanged: inPropertyID=0x%x, inParam=0x%x\n", property, param);
  return 0;
}

EdsError CCanonCamera::OnPropertyChanged(EdsPropertyID property, EdsUInt32 param) {
  propertyEvent_.set();
  if (property == kEdsPropID_BatteryLevel || property == kEdsPropID_Unknown) {
    batteryValid_ = false;
    return 0;
  }
  printTrace("OnPropertyChanged: inPropertyID=0x%x, inParam=0x%x\n", property, param);
  return 0;
}
