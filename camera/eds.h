// The camera SDK seam: the operations, records and codes of the camera maker's SDK that Quorvale
// uses, declared from what the program needs. The operations dispatch to the one backend installed
// with EdsSetBackend() (eds_backend.h): the simulated cameras or real ones through libgphoto2.
//
// Every operation returns an EdsError, 0 on success. References handed out by the SDK (camera
// list, camera, volume, directory item) are owned by the caller and released once with
// EdsRelease().
//
// Thread safety: the operations may be called from any thread; event handlers are called on the
// backend's own event thread, never on the caller's, and only while the camera reference is held.
#ifndef QUORVALE_CAMERA_EDS_H_
#define QUORVALE_CAMERA_EDS_H_

#include <cstdint>

using EdsError = uint32_t;
using EdsUInt32 = uint32_t;
using EdsInt32 = int32_t;
using EdsUInt64 = uint64_t;
using EdsPropertyID = uint32_t;
using EdsCameraCommand = uint32_t;
using EdsCameraStatusCommand = uint32_t;
using EdsObjectEvent = uint32_t;
using EdsStateEvent = uint32_t;
using EdsPropertyEvent = uint32_t;

// Opaque SDK object; each backend derives its own objects from it (eds_backend.h).
struct EdsObject;
using EdsBaseRef = EdsObject*;
using EdsCameraListRef = EdsBaseRef;
using EdsCameraRef = EdsBaseRef;
using EdsVolumeRef = EdsBaseRef;
using EdsDirectoryItemRef = EdsBaseRef;

// Device record, 516 bytes.
struct EdsDeviceInfo {
  char szPortName[256];
  char szDeviceDescription[256];
  EdsUInt32 deviceSubType;  // 0 = legacy protocol, otherwise PTP
};
static_assert(sizeof(EdsDeviceInfo) == 516, "device record layout");

// Volume record, 280 bytes.
struct EdsVolumeInfo {
  EdsUInt32 storageType;
  EdsUInt32 access;  // 1 and 2 mean writable
  EdsUInt64 maxCapacity;
  EdsUInt64 freeSpaceInBytes;
  char szVolumeLabel[256];
};
static_assert(sizeof(EdsVolumeInfo) == 280, "volume record layout");

// Property description, 524 bytes: the codes the camera allows for a property.
struct EdsPropertyDesc {
  EdsInt32 form;
  EdsInt32 access;
  EdsInt32 numElements;
  EdsInt32 propDesc[128];
};
static_assert(sizeof(EdsPropertyDesc) == 524, "property description layout");

// Error codes the program names.
constexpr EdsError EDS_ERR_OK = 0x0;
constexpr EdsError EDS_ERR_NOT_IMPLEMENTED = 0x1;
constexpr EdsError EDS_ERR_INTERNAL_ERROR = 0x2;
constexpr EdsError EDS_ERR_MEM_ALLOC_FAILED = 0x3;
constexpr EdsError EDS_ERR_NOT_SUPPORTED = 0x7;
constexpr EdsError EDS_ERR_IO_ERROR = 0x20;
constexpr EdsError EDS_ERR_INVALID_PARAMETER = 0x60;
constexpr EdsError EDS_ERR_INVALID_HANDLE = 0x61;
constexpr EdsError EDS_ERR_DEVICE_NOT_FOUND = 0x80;
constexpr EdsError EDS_ERR_DEVICE_BUSY = 0x81;
constexpr EdsError EDS_ERR_INTERNAL_DEVICE_ERROR = 0x85;
constexpr EdsError EDS_ERR_COMM_DISCONNECTED = 0xC1;
constexpr EdsError EDS_ERR_SESSION_NOT_OPEN = 0x2003;
constexpr EdsError EDS_ERR_NOT_INITIALIZED = 0xA102;

// Properties.
constexpr EdsPropertyID kEdsPropID_BatteryLevel = 0x08;
constexpr EdsPropertyID kEdsPropID_SaveTo = 0x0B;  // written 1 at session open
// The body's serial number: a NUL-terminated text of up to kEdsBodyIdSize bytes.
constexpr EdsPropertyID kEdsPropID_BodyIDEx = 0x15;
constexpr EdsUInt32 kEdsBodyIdSize = 32;
constexpr EdsPropertyID kEdsPropID_ImageQuality = 0x100;
constexpr EdsPropertyID kEdsPropID_AEMode = 0x400;
constexpr EdsPropertyID kEdsPropID_DriveMode = 0x401;
constexpr EdsPropertyID kEdsPropID_ISOSpeed = 0x402;
constexpr EdsPropertyID kEdsPropID_MeteringMode = 0x403;
constexpr EdsPropertyID kEdsPropID_Av = 0x405;
constexpr EdsPropertyID kEdsPropID_Tv = 0x406;
constexpr EdsPropertyID kEdsPropID_AvailableShots = 0x40A;
constexpr EdsPropertyID kEdsPropID_Capacity = 0x40B;  // written 0xFFFFFFFF at session open
constexpr EdsPropertyID kEdsPropID_Unknown = 0xFFFF;

// Commands and status commands.
constexpr EdsCameraCommand kEdsCameraCommand_TakePicture = 0;
constexpr EdsCameraCommand kEdsCameraCommand_ExtendShutDownTimer = 1;
constexpr EdsCameraStatusCommand kEdsCameraStatusCommand_UILock = 0;
constexpr EdsCameraStatusCommand kEdsCameraStatusCommand_UIUnLock = 1;

// Object events (0x200 registers for all of them).
constexpr EdsObjectEvent kEdsObjectEvent_All = 0x200;
constexpr EdsObjectEvent kEdsObjectEvent_VolumeInfoChanged = 0x201;
constexpr EdsObjectEvent kEdsObjectEvent_VolumeUpdateItems = 0x202;
constexpr EdsObjectEvent kEdsObjectEvent_FolderUpdateItems = 0x203;
constexpr EdsObjectEvent kEdsObjectEvent_DirItemCreated = 0x204;
constexpr EdsObjectEvent kEdsObjectEvent_DirItemRemoved = 0x205;
constexpr EdsObjectEvent kEdsObjectEvent_DirItemInfoChanged = 0x206;
constexpr EdsObjectEvent kEdsObjectEvent_DirItemContentChanged = 0x207;
constexpr EdsObjectEvent kEdsObjectEvent_DirItemRequestTransfer = 0x208;
constexpr EdsObjectEvent kEdsObjectEvent_DirItemRequestTransferDT = 0x209;
constexpr EdsObjectEvent kEdsObjectEvent_DirItemCancelTransferDT = 0x20A;

// State events (0x300 registers for all of them).
constexpr EdsStateEvent kEdsStateEvent_All = 0x300;
constexpr EdsStateEvent kEdsStateEvent_Shutdown = 0x301;
constexpr EdsStateEvent kEdsStateEvent_JobStatusChanged = 0x302;
constexpr EdsStateEvent kEdsStateEvent_WillSoonShutDown = 0x303;
constexpr EdsStateEvent kEdsStateEvent_ShutDownTimerUpdate = 0x304;
constexpr EdsStateEvent kEdsStateEvent_CaptureError = 0x305;
constexpr EdsStateEvent kEdsStateEvent_InternalError = 0x306;
constexpr EdsStateEvent kEdsStateEvent_BulbExposureTime = 0x310;

// Property events (0x100 registers for all of them).
constexpr EdsPropertyEvent kEdsPropertyEvent_All = 0x100;
constexpr EdsPropertyEvent kEdsPropertyEvent_PropertyChanged = 0x101;
constexpr EdsPropertyEvent kEdsPropertyEvent_PropertyDescChanged = 0x102;

// Event handlers. The object handler receives a reference that it owns and must release.
using EdsObjectEventHandler = EdsError (*)(EdsObjectEvent event, EdsBaseRef ref, void* context);
using EdsStateEventHandler = EdsError (*)(EdsStateEvent event, EdsUInt32 data, void* context);
using EdsPropertyEventHandler = EdsError (*)(EdsPropertyEvent event, EdsPropertyID property,
                                             EdsUInt32 param, void* context);
using EdsCameraAddedHandler = EdsError (*)(void* context);

EdsError EdsInitializeSDK();
EdsError EdsTerminateSDK();
EdsUInt32 EdsRelease(EdsBaseRef ref);
EdsError EdsGetCameraList(EdsCameraListRef* outList);
EdsError EdsGetChildCount(EdsBaseRef parent, EdsUInt32* outCount);
EdsError EdsGetChildAtIndex(EdsBaseRef parent, EdsInt32 index, EdsBaseRef* outChild);
EdsError EdsGetDeviceInfo(EdsCameraRef camera, EdsDeviceInfo* outInfo);
EdsError EdsOpenSession(EdsCameraRef camera);
EdsError EdsCloseSession(EdsCameraRef camera);
EdsError EdsGetPropertyData(EdsBaseRef ref, EdsPropertyID property, EdsInt32 param, EdsUInt32 size,
                            void* outData);
EdsError EdsSetPropertyData(EdsBaseRef ref, EdsPropertyID property, EdsInt32 param, EdsUInt32 size,
                            const void* data);
EdsError EdsGetPropertyDesc(EdsBaseRef ref, EdsPropertyID property, EdsPropertyDesc* outDesc);
EdsError EdsGetVolumeInfo(EdsVolumeRef volume, EdsVolumeInfo* outInfo);
EdsError EdsSendCommand(EdsCameraRef camera, EdsCameraCommand command, EdsInt32 param);
EdsError EdsSendStatusCommand(EdsCameraRef camera, EdsCameraStatusCommand command, EdsInt32 param);
EdsError EdsSetCameraAddedHandler(EdsCameraAddedHandler handler, void* context);
EdsError EdsSetObjectEventHandler(EdsCameraRef camera, EdsObjectEvent event,
                                  EdsObjectEventHandler handler, void* context);
EdsError EdsSetCameraStateEventHandler(EdsCameraRef camera, EdsStateEvent event,
                                       EdsStateEventHandler handler, void* context);
EdsError EdsSetPropertyEventHandler(EdsCameraRef camera, EdsPropertyEvent event,
                                    EdsPropertyEventHandler handler, void* context);

#endif  // QUORVALE_CAMERA_EDS_H_
