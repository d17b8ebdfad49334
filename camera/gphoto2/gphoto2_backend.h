// The camera SDK backend for real cameras on Linux, built on libgphoto2 (ptp2 driver).
//
// It maps the SDK operations of camera/eds.h onto libgphoto2: the camera list is the autodetected
// USB cameras, a session is gp_camera_init/gp_camera_exit, properties are the body's configuration
// widgets, and a poller thread per open session turns gp_camera_wait_for_event reports into the
// SDK's object, state and property events.
//
// Thread safety: like every EdsBackend, the returned object accepts calls from any thread.
#ifndef QUORVALE_CAMERA_GPHOTO2_GPHOTO2_BACKEND_H_
#define QUORVALE_CAMERA_GPHOTO2_GPHOTO2_BACKEND_H_

#include <memory>

#include "camera/eds_backend.h"

// A backend driving real cameras through the system's libgphoto2. Install it with EdsSetBackend().
std::unique_ptr<EdsBackend> createGphoto2Backend();

#endif  // QUORVALE_CAMERA_GPHOTO2_GPHOTO2_BACKEND_H_
