// The card volumes and the battery of CCanonCamera, read from the body and cached until an event
// makes them stale.
#include <cstring>

#include "camera/canon_camera.h"
#include "camera/error_text.h"
#include "mt/mt_locker.h"
#include "output/output.h"

namespace {

constexpr uint32_t kBatteryAboveRange = 101;

}  // namespace

EdsError CCanonCamera::updateVolumes() {
  CMtLocker locker(&lock_);
  if (!isOpenLocked()) {
    printTrace("Session not open\n");
    std::memset(volumes_, 0, sizeof(volumes_));
    volumeCount_ = 0;
    return kSessionNotOpen;
  }
  EdsUInt32 children = 0;
  lastError_ = EdsGetChildCount(ref(), &children);
  if (lastError_ != 0) {
    printTrace("GetVolumesCount error: %08x %s\n", lastError_, edsErrorText(lastError_));
    return lastError_;
  }
  volumeCount_ = children < kMaxVolumes ? children : static_cast<uint32_t>(kMaxVolumes);
  for (uint32_t i = 0; i < volumeCount_; ++i) {
    EdsBaseRef volumeRef = nullptr;
    lastError_ = EdsGetChildAtIndex(ref(), static_cast<EdsInt32>(i), &volumeRef);
    if (lastError_ != 0) {
      printTrace("GetVolumes error: %08x %s\n", lastError_, edsErrorText(lastError_));
      return lastError_;
    }
    CCanonObj volume(volumeRef);
    std::memset(&volumes_[i], 0, sizeof(volumes_[i]));
    lastError_ = EdsGetVolumeInfo(volume.ref(), &volumes_[i]);
    if (lastError_ != 0) {
      std::memset(&volumes_[i], 0, sizeof(volumes_[i]));
      printTrace("GetVolumeInfo error: %08x %s\n", lastError_, edsErrorText(lastError_));
    }
  }
  capacity_ = 0;
  freeSpace_ = 0;
  if (lastError_ == 0) {
    for (uint32_t i = 0; i < volumeCount_; ++i) {
      capacity_ += volumes_[i].maxCapacity;
      if (volumes_[i].access == 1 || volumes_[i].access == 2) {
        freeSpace_ += volumes_[i].freeSpaceInBytes;
      }
    }
    volumesValid_ = true;
  }
  return lastError_;
}

uint64_t CCanonCamera::getVolumeCapacity() {
  if (!volumesValid_) updateVolumes();
  CMtLocker locker(&lock_);
  return capacity_;
}

uint64_t CCanonCamera::getFreeSpace() {
  if (!volumesValid_) updateVolumes();
  CMtLocker locker(&lock_);
  return freeSpace_;
}

double CCanonCamera::getFreePercent() {
  if (!volumesValid_) updateVolumes();
  CMtLocker locker(&lock_);
  if (capacity_ == 0) return 0.0;
  return static_cast<double>(freeSpace_) * 100.0 / static_cast<double>(capacity_);
}

EdsError CCanonCamera::updateBatteryLevel() {
  CMtLocker locker(&lock_);
  if (!isOpenLocked()) {
    batteryLevel_ = 0;
    printTrace("Session not open\n");
    return kSessionNotOpen;
  }
  batteryLevel_ = 0;
  EdsUInt32 value = 0;
  lastError_ = EdsGetPropertyData(ref(), kEdsPropID_BatteryLevel, 0, sizeof(value), &value);
  if (lastError_ != 0) {
    printTrace("GetBatteryLevel error: %08x %s\n", lastError_, edsErrorText(lastError_));
    return lastError_;
  }
  batteryLevel_ = value <= 100 ? value : kBatteryAboveRange;
  batteryValid_ = true;
  return 0;
}

int32_t CCanonCamera::getBatteryLevel() {
  CMtLocker locker(&lock_);
  if (!batteryValid_) updateBatteryLevel();
  return static_cast<int32_t>(batteryLevel_);
}
