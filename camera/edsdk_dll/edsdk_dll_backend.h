// The camera backend for real cameras on Windows: the camera maker's EDSDK.dll, loaded when the
// SDK starts and bound by name to each operation of camera/eds.h.
//
// The DLL is looked for in the program's folder first, then on the system's search path; it is
// never shipped or needed to build. Without it, or with one that lacks an operation, the SDK does
// not start: EdsInitializeSDK answers EDS_ERR_MISSING_SUBCOMPONENT and errorDetail() names what was
// missing.
//
// References from the DLL are wrapped in objects of this backend; event handlers reach the program
// through trampolines of the SDK's calling convention, on the DLL's own threads.
//
// Thread safety: as every backend (eds_backend.h).
#ifndef QUORVALE_CAMERA_EDSDK_DLL_EDSDK_DLL_BACKEND_H_
#define QUORVALE_CAMERA_EDSDK_DLL_EDSDK_DLL_BACKEND_H_

#include <memory>
#include <string>

#include "camera/eds_backend.h"

constexpr EdsError kEdsErrMissingSubcomponent = 0xA;  // "Missing subcomponent"

// The backend over the DLL at |path| (empty: EDSDK.dll in the program's folder, then on the
// system's search path).
std::unique_ptr<EdsBackend> createEdsdkDllBackend(const std::string& path = std::string());

#endif  // QUORVALE_CAMERA_EDSDK_DLL_EDSDK_DLL_BACKEND_H_
