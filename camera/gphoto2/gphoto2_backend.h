// The camera SDK backend for real cameras on Linux, built on libgphoto2 (ptp2 driver).
//
// It maps the SDK operations of camera/eds.h onto libgphoto2: the camera list is the autodetected
// USB cameras, a session is gp_camera_init/gp_camera_exit, properties are the body's configuration
// widgets, and a poller thread per open session turns gp_camera_wait_for_event reports into the
// SDK's object, state and property events.
//
// The camera list holds the USB cameras that libgphoto2 detects (mass-storage mounts are left out:
// they cannot be driven). Device records give the model as description, the port ("usb:001,007")
// as port name and sub type 1 (PTP). Properties map to the body's configuration widgets by
// meaning (property_mapping.h); libgphoto2 results map to SDK codes (gphoto2_errors.h).
//
// Camera added: once a camera-added handler is registered, a hot-plug watcher (hotplug_watcher.h)
// calls it on its own thread whenever a body appears on the bus.
//
// References: the objects handed out and their counts live in the backend's handle table
// (gphoto2_handles.h).
//
// Thread safety: like every EdsBackend, the returned object accepts calls from any thread.
#ifndef QUORVALE_CAMERA_GPHOTO2_GPHOTO2_BACKEND_H_
#define QUORVALE_CAMERA_GPHOTO2_GPHOTO2_BACKEND_H_

#include <memory>

#include "camera/eds_backend.h"
#include "camera/gphoto2/hotplug_watcher.h"

class Gphoto2Api;
struct PollSettings;

// A backend driving real cameras through the system's libgphoto2. Install it with EdsSetBackend().
std::unique_ptr<EdsBackend> createGphoto2Backend();

// The same backend over another library slice (tests drive it with a fake body), poll timing and
// source of USB changes (the system's by default).
std::unique_ptr<EdsBackend> createGphoto2Backend(
    std::unique_ptr<Gphoto2Api> api, const PollSettings& settings,
    HotplugWatcher::MonitorFactory monitors = platform::watchUsbDevices);

#endif  // QUORVALE_CAMERA_GPHOTO2_GPHOTO2_BACKEND_H_
