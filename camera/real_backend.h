// The backend for real cameras of this build: libgphoto2 on Linux, the maker's EDSDK.dll on
// Windows, or one whose SDK never starts when the build has neither. Exactly one backend library
// defines it; the build picks which (camera/CMakeLists.txt).
#ifndef QUORVALE_CAMERA_REAL_BACKEND_H_
#define QUORVALE_CAMERA_REAL_BACKEND_H_

#include <memory>

#include "camera/eds_backend.h"

std::unique_ptr<EdsBackend> createRealBackend();

#endif  // QUORVALE_CAMERA_REAL_BACKEND_H_
