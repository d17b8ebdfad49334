// Learns of bodies arriving on the bus for the libgphoto2 backend, which has no hot-plug events of
// its own: after every USB arrival or departure the system reports (platform/device_monitor.h),
// or every poll interval where the system reports none, it lists the bodies again and calls
// |onAdded| when one is there that the previous listing did not have (a body plugged in, or
// switched on again: USB gives it a new port).
//
// Ownership: the watcher owns its monitor and its thread; destruction stops both and waits for a
// running |onAdded| call to return. REQUIRES: |onAdded| does not destroy the watcher.
// Thread safety: |detect| and |onAdded| run on the watcher's thread, with no lock of the watcher
// held.
#ifndef QUORVALE_CAMERA_GPHOTO2_HOTPLUG_WATCHER_H_
#define QUORVALE_CAMERA_GPHOTO2_HOTPLUG_WATCHER_H_

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "camera/gphoto2/gphoto2_api.h"
#include "platform/device_monitor.h"

class HotplugWatcher final {
 public:
  using Detect = std::function<std::vector<Gp2CameraEntry>()>;
  using MonitorFactory =
      std::function<std::unique_ptr<platform::DeviceMonitor>(platform::UsbDeviceHandler)>;

  // Starts watching. |pollMs| is the interval of the fallback poll, used when |monitors| gives no
  // monitor. Bodies count as added against the latest listing, the watcher's own or one given to
  // noteListed(); before the first listing nothing counts as added.
  HotplugWatcher(Detect detect, std::function<void()> onAdded, const MonitorFactory& monitors,
                 int pollMs);
  ~HotplugWatcher();
  HotplugWatcher(const HotplugWatcher&) = delete;
  HotplugWatcher& operator=(const HotplugWatcher&) = delete;

  // The program listed these bodies (they are not new any more).
  void noteListed(std::vector<Gp2CameraEntry> entries);

  // Whether the system reports USB changes (false: the watcher polls).
  bool monitored() const { return monitored_; }

 private:
  void run();

  const Detect detect_;
  const std::function<void()> onAdded_;
  const int pollMs_;

  std::mutex mutex_;
  std::condition_variable wake_;       // with mutex_
  bool stop_ = false;                  // guarded by mutex_
  int changes_ = 0;                    // guarded by mutex_: USB changes not yet looked at
  bool listed_ = false;                // guarded by mutex_: known_ holds a listing
  std::vector<Gp2CameraEntry> known_;  // guarded by mutex_

  std::unique_ptr<platform::DeviceMonitor> monitor_;
  bool monitored_ = false;  // set before the thread starts
  std::thread thread_;
};

#endif  // QUORVALE_CAMERA_GPHOTO2_HOTPLUG_WATCHER_H_
