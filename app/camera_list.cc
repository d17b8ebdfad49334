#include "app/camera_list.h"

#include "camera/canon_interface.h"
#include "camera/eds.h"
#include "output/output.h"

int listCameras() {
  CCanonInterface* sdk = g_canonInterface;
  if (sdk == nullptr || sdk->initStatus() != 0) {
    printSdkError("Canon interface not ready",
                  sdk == nullptr ? EDS_ERR_NOT_INITIALIZED : sdk->lastError());
    return 1;
  }
  const uint32_t count = sdk->getCameraCount();
  outputPrintf(Msg, "\nCameras found: %u\n\n", count);
  for (uint32_t i = 0; i < count; ++i) {
    EdsDeviceInfo record;
    sdk->getCameraInfo(i, &record);
    outputPrintf(Msg, "%2u: %s /%s on port %s\n", i, record.szDeviceDescription,
                 record.deviceSubType != 0 ? "PTP" : "Legacy", record.szPortName);
  }
  if (count != 0) outputText(Msg, "\n");
  return 0;
}
