#include "app/sdk_setup.h"

#include <memory>
#include <utility>

#include "camera/canon_interface.h"
#include "camera/eds_backend.h"
#include "camera/error_text.h"
#include "camera/sim/sim_backend.h"
#include "output/output.h"

#include "camera/real_backend.h"

namespace {

// The installed backend's own account of a code first (what kept the SDK from starting), then
// the SDK's table.
const char* sdkErrorText(uint32_t code) {
  EdsBackend* backend = EdsGetBackend();
  const char* detail = backend != nullptr ? backend->errorDetail(code) : nullptr;
  return detail != nullptr ? detail : edsErrorText(code);
}

}  // namespace

std::unique_ptr<EdsBackend> createCameraBackend(bool simulated) {
  return simulated ? createSimBackend() : createRealBackend();
}

void startCameraSdkWith(std::unique_ptr<EdsBackend> backend) {
  setSdkErrorTextSource(&sdkErrorText);
  EdsSetBackend(std::move(backend));
  g_canonInterface = new CCanonInterface();
}

void startCameraSdk(bool simulated) { startCameraSdkWith(createCameraBackend(simulated)); }

void stopCameraSdk() {
  delete g_canonInterface;
  g_canonInterface = nullptr;
  EdsSetBackend(nullptr);
}
