// USB changes are not watched on Windows: the camera maker's SDK reports arriving bodies itself.
#include "platform/device_monitor.h"

namespace platform {

std::unique_ptr<DeviceMonitor> watchUsbDevices(UsbDeviceHandler) { return nullptr; }

}  // namespace platform
