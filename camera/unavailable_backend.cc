#include "camera/unavailable_backend.h"

namespace {

class UnavailableBackend final : public EdsBackend {
 public:
  EdsError InitializeSDK() override { return EDS_ERR_NOT_IMPLEMENTED; }
  EdsError TerminateSDK() override { return EDS_ERR_NOT_INITIALIZED; }
  EdsUInt32 Release(EdsBaseRef) override { return 0xFFFFFFFF; }
  EdsError GetCameraList(EdsCameraListRef*) override { return EDS_ERR_NOT_INITIALIZED; }
  EdsError GetChildCount(EdsBaseRef, EdsUInt32*) override { return EDS_ERR_NOT_INITIALIZED; }
  EdsError GetChildAtIndex(EdsBaseRef, EdsInt32, EdsBaseRef*) override {
    return EDS_ERR_NOT_INITIALIZED;
  }
  EdsError GetDeviceInfo(EdsCameraRef, EdsDeviceInfo*) override { return EDS_ERR_NOT_INITIALIZED; }
  EdsError OpenSession(EdsCameraRef) override { return EDS_ERR_NOT_INITIALIZED; }
  EdsError CloseSession(EdsCameraRef) override { return EDS_ERR_NOT_INITIALIZED; }
  EdsError GetPropertyData(EdsBaseRef, EdsPropertyID, EdsInt32, EdsUInt32, void*) override {
    return EDS_ERR_NOT_INITIALIZED;
  }
  EdsError SetPropertyData(EdsBaseRef, EdsPropertyID, EdsInt32, EdsUInt32, const void*) override {
    return EDS_ERR_NOT_INITIALIZED;
  }
  EdsError GetPropertyDesc(EdsBaseRef, EdsPropertyID, EdsPropertyDesc*) override {
    return EDS_ERR_NOT_INITIALIZED;
  }
  EdsError GetVolumeInfo(EdsVolumeRef, EdsVolumeInfo*) override { return EDS_ERR_NOT_INITIALIZED; }
  EdsError SendCommand(EdsCameraRef, EdsCameraCommand, EdsInt32) override {
    return EDS_ERR_NOT_INITIALIZED;
  }
  EdsError SendStatusCommand(EdsCameraRef, EdsCameraStatusCommand, EdsInt32) override {
    return EDS_ERR_NOT_INITIALIZED;
  }
  EdsError SetCameraAddedHandler(EdsCameraAddedHandler, void*) override {
    return EDS_ERR_NOT_INITIALIZED;
  }
  EdsError SetObjectEventHandler(EdsCameraRef, EdsObjectEvent, EdsObjectEventHandler,
                                 void*) override {
    return EDS_ERR_NOT_INITIALIZED;
  }
  EdsError SetCameraStateEventHandler(EdsCameraRef, EdsStateEvent, EdsStateEventHandler,
                                      void*) override {
    return EDS_ERR_NOT_INITIALIZED;
  }
  EdsError SetPropertyEventHandler(EdsCameraRef, EdsPropertyEvent, EdsPropertyEventHandler,
                                   void*) override {
    return EDS_ERR_NOT_INITIALIZED;
  }
};

}  // namespace

std::unique_ptr<EdsBackend> createUnavailableBackend() {
  return std::make_unique<UnavailableBackend>();
}
