// The USB device monitor on udev: a netlink monitor of the "usb" subsystem's "usb_device" devices,
// read by a thread that also watches an event descriptor for its stop. Where the udev daemon does
// not run there is no monitor (the caller polls).
#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <thread>

#include "platform/device_monitor.h"

namespace platform {
namespace {

class UdevMonitor final : public DeviceMonitor {
 public:
  UdevMonitor(udev* context, udev_monitor* monitor, int stopFd, UsbDeviceHandler handler)
      : udev_(context), monitor_(monitor), stopFd_(stopFd), handler_(std::move(handler)) {
    thread_ = std::thread([this] { run(); });
  }
  UdevMonitor(const UdevMonitor&) = delete;
  UdevMonitor& operator=(const UdevMonitor&) = delete;
  ~UdevMonitor() override {
    const uint64_t one = 1;
    if (write(stopFd_, &one, sizeof one) != sizeof one) {
      // The thread then ends at its next device event; it is still joined.
    }
    thread_.join();
    close(stopFd_);
    udev_monitor_unref(monitor_);
    udev_unref(udev_);
  }

 private:
  void run() {
    pollfd fds[2] = {{udev_monitor_get_fd(monitor_), POLLIN, 0}, {stopFd_, POLLIN, 0}};
    for (;;) {
      if (poll(fds, 2, -1) < 0) continue;
      if (fds[1].revents != 0) return;
      if ((fds[0].revents & POLLIN) == 0) continue;
      udev_device* device = udev_monitor_receive_device(monitor_);
      if (device == nullptr) continue;
      const char* action = udev_device_get_action(device);
      if (action != nullptr && std::strcmp(action, "add") == 0) {
        handler_(true);
      } else if (action != nullptr && std::strcmp(action, "remove") == 0) {
        handler_(false);
      }
      udev_device_unref(device);
    }
  }

  udev* const udev_;
  udev_monitor* const monitor_;
  const int stopFd_;
  const UsbDeviceHandler handler_;
  std::thread thread_;
};

}  // namespace

std::unique_ptr<DeviceMonitor> watchUsbDevices(UsbDeviceHandler handler) {
  // Without a running udev daemon (containers, minimal systems) no device event ever comes.
  if (access("/run/udev/control", F_OK) != 0) return nullptr;
  udev* context = udev_new();
  if (context == nullptr) return nullptr;
  udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
  const int stopFd = eventfd(0, EFD_CLOEXEC);
  if (monitor == nullptr || stopFd < 0 ||
      udev_monitor_filter_add_match_subsystem_devtype(monitor, "usb", "usb_device") < 0 ||
      udev_monitor_enable_receiving(monitor) < 0) {
    if (stopFd >= 0) close(stopFd);
    if (monitor != nullptr) udev_monitor_unref(monitor);
    udev_unref(context);
    return nullptr;
  }
  return std::make_unique<UdevMonitor>(context, monitor, stopFd, std::move(handler));
}

}  // namespace platform
