// Where the build has no udev (other systems, or Linux without libudev) USB changes are not
// watched: callers poll.
#include "platform/device_monitor.h"

#if !QUORVALE_HAVE_UDEV
namespace platform {

std::unique_ptr<DeviceMonitor> watchUsbDevices(UsbDeviceHandler) { return nullptr; }

}  // namespace platform
#endif
