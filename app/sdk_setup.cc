#include "app/sdk_setup.h"

#include <memory>
#include <utility>

#include "camera/canon_interface.h"
#include "camera/eds_backend.h"
#include "camera/error_text.h"
#include "camera/sim/sim_backend.h"
#include "output/output.h"

#if QUORVALE_HAVE_GPHOTO2
#include "camera/gphoto2/gphoto2_backend.h"
#else
#include "camera/unavailable_backend.h"
#endif

namespace {

std::unique_ptr<EdsBackend> createRealBackend() {
#if QUORVALE_HAVE_GPHOTO2
  return createGphoto2Backend();
#else
  return createUnavailableBackend();
#endif
}

}  // namespace

std::unique_ptr<EdsBackend> createCameraBackend(bool simulated) {
  return simulated ? createSimBackend() : createRealBackend();
}

void startCameraSdkWith(std::unique_ptr<EdsBackend> backend) {
  setSdkErrorTextSource(&edsErrorText);
  EdsSetBackend(std::move(backend));
  g_canonInterface = new CCanonInterface();
}

void startCameraSdk(bool simulated) { startCameraSdkWith(createCameraBackend(simulated)); }

void stopCameraSdk() {
  delete g_canonInterface;
  g_canonInterface = nullptr;
  EdsSetBackend(nullptr);
}
