#include "app/camera_info.h"

#include <cinttypes>
#include <cstring>
#include <memory>

#include "camera/canon_camera.h"
#include "camera/canon_interface.h"
#include "camera/eds.h"
#include "mt/mt_locker.h"
#include "output/output.h"

namespace {

constexpr size_t kValueBufferSize = 256;

// Prints one "<caption>%s\n" line with the display name a getter of |camera| writes; a getter
// that fails leaves the buffer empty.
void printProperty(CCanonCamera* camera, const char* format,
                   EdsError (CCanonCamera::*getter)(char*, size_t)) {
  char value[kValueBufferSize] = {};
  (camera->*getter)(value, sizeof(value));
  outputPrintf(Msg, format, value);
}

}  // namespace

int printCameraInfo(int32_t cameraIndex) {
  CCanonInterface* sdk = g_canonInterface;
  if (sdk == nullptr || sdk->initStatus() != 0) {
    printSdkError("Canon interface not ready",
                  sdk == nullptr ? EDS_ERR_NOT_INITIALIZED : sdk->lastError());
    return 1;
  }
  std::unique_ptr<CCanonCamera> camera = sdk->NewCamera(static_cast<uint32_t>(cameraIndex));
  if (camera == nullptr) {
    printSdkError("Camera not found", sdk->lastError());
    return 2;
  }
  {
    // The camera's own controls stay locked while it is being read.
    CMtLocker locker(static_cast<CMtObject*>(camera.get()));

    // A camera whose session did not open prints empty identity lines, its protocol too.
    EdsDeviceInfo record;
    std::memset(&record, 0, sizeof(record));
    const char* protocol = "";
    EdsUInt32 available = 0;
    if (camera->sessionStatus() == 0) {
      camera->getDeviceInfo(&record);
      protocol = record.deviceSubType != 0 ? "PTP" : "Legacy";
      EdsUInt32 shots = 0;
      if (camera->readProperty(kEdsPropID_AvailableShots, &shots) == 0) available = shots;
    }

    outputPrintf(Msg, "\nCamera      : %s\n", record.szDeviceDescription);
    outputPrintf(Msg, "Protocol    : %s\n", protocol);
    outputPrintf(Msg, "Port        : %s\n", record.szPortName);
    outputPrintf(Msg, "Volume      : %" PRIu64 "\n", camera->getVolumeCapacity());
    const double percent = camera->getFreePercent();
    outputPrintf(Msg, "Free        : %" PRIu64 " (%4.1f%%)\n", camera->getFreeSpace(), percent);
    outputPrintf(Msg, "Available   : %u shots\n", available);
    outputPrintf(Msg, "Battery     : %2d%%\n", camera->getBatteryLevel());
    printProperty(camera.get(), "Image format: %s\n", &CCanonCamera::getImageQuality);
    printProperty(camera.get(), "AE mode     : %s\n", &CCanonCamera::getAEMode);
    printProperty(camera.get(), "Drive mode  : %s\n", &CCanonCamera::getDriveMode);
    printProperty(camera.get(), "Metering    : %s\n", &CCanonCamera::getMeteringMode);
    printProperty(camera.get(), "ISO         : %s\n", &CCanonCamera::getISO);
    printProperty(camera.get(), "Av          : %s\n", &CCanonCamera::getAv);
    printProperty(camera.get(), "Tv          : %s\n", &CCanonCamera::getTv);
    outputPrintf(Msg, "Def. after shot timeout: %u ms\n", camera->getShotTimeout());
    outputPrintf(Msg, "Def. timeout multiplier: %-4.1fx \n", camera->getTimeMultiplier());
    outputPrintf(Msg, "Def. buffer size       : %u\n", camera->getBufferSize());
    outputPrintf(Msg, "Def. buffer allocation timeout: %u ms\n", camera->getAllocBufferTimeout());
  }
  camera.reset();
  return 0;
}
