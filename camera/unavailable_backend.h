// A camera backend for builds without a way to reach real cameras: the SDK never initialises.
//
// EdsInitializeSDK answers EDS_ERR_NOT_IMPLEMENTED, so the SDK interface reports itself not ready
// and the list and info modes say so; every other operation answers EDS_ERR_NOT_INITIALIZED.
//
// Thread safety: stateless; any thread.
#ifndef QUORVALE_CAMERA_UNAVAILABLE_BACKEND_H_
#define QUORVALE_CAMERA_UNAVAILABLE_BACKEND_H_

#include <memory>

#include "camera/eds_backend.h"

std::unique_ptr<EdsBackend> createUnavailableBackend();

#endif  // QUORVALE_CAMERA_UNAVAILABLE_BACKEND_H_
