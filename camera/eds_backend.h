// The interface every camera SDK backend implements, and the choice of the one in use.
//
// The Eds* operations of eds.h forward to the installed backend with the same arguments and
// results. A backend:
//  - hands out references to objects it derives from EdsObject and counts their references; a
//    reference given to the caller (list, camera, volume, object-event item) is released once by
//    the caller with EdsRelease;
//  - calls event handlers on a thread of its own, never on the thread of an Eds* call, with no lock
//    of its own held, and only while the camera's reference is still held by the program;
//  - returns the SDK's error codes (eds.h), 7 for a command the body does not support.
//
// Thread safety: implementations must accept calls from any thread at any time.
#ifndef QUORVALE_CAMERA_EDS_BACKEND_H_
#define QUORVALE_CAMERA_EDS_BACKEND_H_

#include <memory>

#include "camera/eds.h"

// Base of every object a backend hands out as an EdsBaseRef.
struct EdsObject {
  virtual ~EdsObject() = default;
};

class EdsBackend {
 public:
  virtual ~EdsBackend() = default;

  virtual EdsError InitializeSDK() = 0;
  virtual EdsError TerminateSDK() = 0;
  virtual EdsUInt32 Release(EdsBaseRef ref) = 0;
  virtual EdsError GetCameraList(EdsCameraListRef* outList) = 0;
  virtual EdsError GetChildCount(EdsBaseRef parent, EdsUInt32* outCount) = 0;
  virtual EdsError GetChildAtIndex(EdsBaseRef parent, EdsInt32 index, EdsBaseRef* outChild) = 0;
  virtual EdsError GetDeviceInfo(EdsCameraRef camera, EdsDeviceInfo* outInfo) = 0;
  virtual EdsError OpenSession(EdsCameraRef camera) = 0;
  virtual EdsError CloseSession(EdsCameraRef camera) = 0;
  virtual EdsError GetPropertyData(EdsBaseRef ref, EdsPropertyID property, EdsInt32 param,
                                   EdsUInt32 size, void* outData) = 0;
  virtual EdsError SetPropertyData(EdsBaseRef ref, EdsPropertyID property, EdsInt32 param,
                                   EdsUInt32 size, const void* data) = 0;
  virtual EdsError GetPropertyDesc(EdsBaseRef ref, EdsPropertyID property,
                                   EdsPropertyDesc* outDesc) = 0;
  virtual EdsError GetVolumeInfo(EdsVolumeRef volume, EdsVolumeInfo* outInfo) = 0;
  virtual EdsError SendCommand(EdsCameraRef camera, EdsCameraCommand command, EdsInt32 param) = 0;
  virtual EdsError SendStatusCommand(EdsCameraRef camera, EdsCameraStatusCommand command,
                                     EdsInt32 param) = 0;
  virtual EdsError SetCameraAddedHandler(EdsCameraAddedHandler handler, void* context) = 0;
  virtual EdsError SetObjectEventHandler(EdsCameraRef camera, EdsObjectEvent event,
                                         EdsObjectEventHandler handler, void* context) = 0;
  virtual EdsError SetCameraStateEventHandler(EdsCameraRef camera, EdsStateEvent event,
                                              EdsStateEventHandler handler, void* context) = 0;
  virtual EdsError SetPropertyEventHandler(EdsCameraRef camera, EdsPropertyEvent event,
                                           EdsPropertyEventHandler handler, void* context) = 0;

  // A text that says more about |code| than the SDK's error table, when the backend has one (what
  // was missing when the SDK could not start); null otherwise. The text lives as long as the
  // backend.
  virtual const char* errorDetail(EdsError code) { return nullptr; }
};

// Installs the backend the Eds* operations dispatch to, replacing (and destroying) the previous
// one. Call before the first Eds* call of a run and never while one is in progress (main does it
// right after reading the command line; tests between cases). Without a backend every operation
// returns EDS_ERR_NOT_INITIALIZED.
void EdsSetBackend(std::unique_ptr<EdsBackend> backend);

// The installed backend, or null. Not owned by the caller.
EdsBackend* EdsGetBackend();

#endif  // QUORVALE_CAMERA_EDS_BACKEND_H_
