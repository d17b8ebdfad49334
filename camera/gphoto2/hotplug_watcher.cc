#include "camera/gphoto2/hotplug_watcher.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

bool sameEntry(const Gp2CameraEntry& a, const Gp2CameraEntry& b) {
  return a.model == b.model && a.port == b.port;
}

}  // namespace

HotplugWatcher::HotplugWatcher(Detect detect, std::function<void()> onAdded,
                               const MonitorFactory& monitors, int pollMs)
    : detect_(std::move(detect)), onAdded_(std::move(onAdded)), pollMs_(pollMs) {
  monitor_ = monitors([this](bool) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++changes_;
    wake_.notify_all();
  });
  monitored_ = monitor_ != nullptr;
  thread_ = std::thread([this] { run(); });
}

HotplugWatcher::~HotplugWatcher() {
  monitor_.reset();  // no change is reported from here on
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void HotplugWatcher::noteListed(std::vector<Gp2CameraEntry> entries) {
  std::lock_guard<std::mutex> lock(mutex_);
  known_ = std::move(entries);
  listed_ = true;
}

void HotplugWatcher::run() {
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      auto woken = [this] { return stop_ || changes_ > 0; };
      if (monitored_) {
        wake_.wait(lock, woken);
      } else {
        wake_.wait_for(lock, std::chrono::milliseconds(pollMs_), woken);
      }
      if (stop_) return;
      changes_ = 0;
    }
    std::vector<Gp2CameraEntry> now = detect_();
    bool added = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (const Gp2CameraEntry& entry : now) {
        auto same = [&](const Gp2CameraEntry& k) { return sameEntry(k, entry); };
        added = added || (listed_ && std::none_of(known_.begin(), known_.end(), same));
      }
      known_ = std::move(now);
      listed_ = true;
    }
    if (added) onAdded_();
  }
}
