// The virtual USB camera of a libgphoto2 built with it (tools/vusb_build.sh): what a run of the
// program needs to reach it instead of a physical body.
//
// QUORVALE_VUSB names the build's install prefix; tools/test.sh and .ci/run set it when given the
// libgphoto2 source archive. The program still links the system's libgphoto2 (same soname); the
// run's library path, port and camera driver folders point it at the build. The body's card is
// a fresh folder of small JPEG files, removed with the object.
//
// Used by the end-to-end tests and the session benchmark. Thread safety: one object per user;
// not shared.
#ifndef QUORVALE_TESTS_E2E_VIRTUAL_CAMERA_H_
#define QUORVALE_TESTS_E2E_VIRTUAL_CAMERA_H_

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

class VirtualCamera {
 public:
  VirtualCamera();
  ~VirtualCamera();
  VirtualCamera(const VirtualCamera&) = delete;
  VirtualCamera& operator=(const VirtualCamera&) = delete;

  // False when QUORVALE_VUSB is not set or holds no usable build; skipReason() says why.
  bool available() const { return available_; }
  const std::string& skipReason() const { return skipReason_; }

  // The environment changes for a run against the virtual body (RunOptions::environment).
  std::vector<std::pair<std::string, std::optional<std::string>>> environment() const;

 private:
  bool available_ = false;
  std::string skipReason_;
  std::string prefix_;
  std::string card_;
};

}  // namespace e2e

#endif  // QUORVALE_TESTS_E2E_VIRTUAL_CAMERA_H_
