// The narrow slice of libgphoto2 that the backend uses, behind an interface so that the backend can
// be driven by a fake body in tests. Results are libgphoto2's own codes (GP_OK = 0, GP_ERROR_* <
// 0); gphoto2_errors.h turns them into SDK codes.
//
// Only gphoto2_api.cc includes the libgphoto2 headers; the value types here are plain C++.
//
// Thread safety: a Gphoto2Api may be used from any thread. A Gphoto2Camera is not thread-safe: its
// user serialises every call on one camera (the backend holds the camera's I/O mutex).
#ifndef QUORVALE_CAMERA_GPHOTO2_GPHOTO2_API_H_
#define QUORVALE_CAMERA_GPHOTO2_GPHOTO2_API_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One camera found on the bus: the driver's model name and the port it sits on ("usb:001,007").
struct Gp2CameraEntry {
  std::string model;
  std::string port;
};

// One storage of an opened camera (a card).
struct Gp2Storage {
  enum class Access { kReadWrite, kReadOnly, kReadOnlyWithDelete };
  std::string label;
  uint32_t type = 0;  // libgphoto2's storage type
  Access access = Access::kReadWrite;
  uint64_t capacityKbytes = 0;
  uint64_t freeKbytes = 0;
};

// One configuration widget, read by name. Radio and menu widgets carry their choices; a toggle's
// value is "0" or "1"; numbers are given as decimal text.
struct Gp2Widget {
  std::string value;
  std::vector<std::string> choices;
  bool readOnly = false;
};

// What one gp_camera_wait_for_event call reported.
struct Gp2Event {
  enum class Kind { kTimeout, kUnknown, kFileAdded, kFolderAdded, kCaptureComplete, kFileChanged };
  Kind kind = Kind::kTimeout;
  std::string text;    // kUnknown: the driver's text, e.g. "PTP Property d102 changed"
  std::string folder;  // file and folder events: where on the camera
  std::string name;
};

// One camera handle (gp_camera_new bound to a model and port). Created closed.
class Gphoto2Camera {
 public:
  virtual ~Gphoto2Camera() = default;

  // gp_camera_init / gp_camera_exit.
  virtual int init() = 0;
  virtual int exit() = 0;

  // Reads the widget |name| (gp_camera_get_single_config).
  virtual int getWidget(const std::string& name, Gp2Widget* out) = 0;
  // Writes |value| (text, or "0"/"1" for a toggle, or a number) to the widget |name|.
  virtual int setWidget(const std::string& name, const std::string& value) = 0;

  // gp_camera_trigger_capture: releases the shutter; the image stays where the capture target says.
  virtual int triggerCapture() = 0;
  // gp_camera_wait_for_event with |timeoutMs|. A timeout is GP_OK with kind kTimeout.
  virtual int waitForEvent(int timeoutMs, Gp2Event* out) = 0;
  // gp_camera_get_storageinfo.
  virtual int storageInfo(std::vector<Gp2Storage>* out) = 0;
};

class Gphoto2Api {
 public:
  virtual ~Gphoto2Api() = default;

  // Lists the cameras on the bus (gp_camera_autodetect).
  virtual int autodetect(std::vector<Gp2CameraEntry>* out) = 0;
  // A new, not yet initialised, camera handle for |entry|; GP_OK and *out set, or an error.
  virtual int newCamera(const Gp2CameraEntry& entry, std::unique_ptr<Gphoto2Camera>* out) = 0;
};

// The real library. Forces untranslated driver texts (widget choices and event texts) before the
// first libgphoto2 call, without touching the process locale.
std::unique_ptr<Gphoto2Api> createLibGphoto2Api();

#endif  // QUORVALE_CAMERA_GPHOTO2_GPHOTO2_API_H_
