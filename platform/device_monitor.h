// Learning of USB devices arriving and leaving, for the camera backends that list the bodies on
// the bus themselves (a body plugged in, switched on, unplugged or switched off).
//
// Linux: udev's device events (libudev), where the program was built with it; elsewhere (or on a
// build without udev) watchUsbDevices() answers null and the caller falls back to polling.
//
// Thread safety: the handler runs on the monitor's own thread, one call at a time; destroying the
// monitor waits for a running call and no call starts afterwards. REQUIRES: the handler does not
// destroy its own monitor.
#ifndef QUORVALE_PLATFORM_DEVICE_MONITOR_H_
#define QUORVALE_PLATFORM_DEVICE_MONITOR_H_

#include <functional>
#include <memory>

namespace platform {

class DeviceMonitor {
 public:
  virtual ~DeviceMonitor() = default;
};

// |added| is true for a device that arrived, false for one that left.
using UsbDeviceHandler = std::function<void(bool added)>;

// Starts watching the system's USB devices; |handler| is called for each one that arrives or
// leaves. Null when the system cannot tell.
std::unique_ptr<DeviceMonitor> watchUsbDevices(UsbDeviceHandler handler);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_DEVICE_MONITOR_H_
