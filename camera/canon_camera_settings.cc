// The capture settings and the observers of CCanonCamera.
#include "camera/canon_camera.h"
#include "mt/mt_locker.h"

uint32_t CCanonCamera::getShotTimeout() {
  CMtLocker locker(&lock_);
  return shotTimeout_;
}

uint32_t CCanonCamera::setShotTimeout(uint32_t ms) {
  CMtLocker locker(&lock_);
  uint32_t previous = shotTimeout_;
  shotTimeout_ = ms;
  return previous;
}

double CCanonCamera::getTimeMultiplier() {
  CMtLocker locker(&lock_);
  return timeMultiplier_;
}

double CCanonCamera::setTimeMultiplier(double multiplier) {
  CMtLocker locker(&lock_);
  double previous = timeMultiplier_;
  timeMultiplier_ = multiplier;
  return previous;
}

uint32_t CCanonCamera::getAllocBufferTimeout() {
  CMtLocker locker(&lock_);
  return allocBufferTimeout_;
}

uint32_t CCanonCamera::setAllocBufferTimeout(uint32_t ms) {
  CMtLocker locker(&lock_);
  uint32_t previous = allocBufferTimeout_;
  allocBufferTimeout_ = ms;
  return previous;
}

uint32_t CCanonCamera::getBufferSize() {
  CMtLocker locker(&lock_);
  return bufferSize_;
}

uint32_t CCanonCamera::setBufferSize(uint32_t count) {
  CMtLocker locker(&lock_);
  uint32_t previous = bufferSize_;
  bufferSize_ = count;
  return previous;
}

EdsError CCanonCamera::lastError() {
  CMtLocker locker(&lock_);
  return lastError_;
}

void CCanonCamera::setLastError(EdsError code) {
  CMtLocker locker(&lock_);
  lastError_ = code;
}

EdsError CCanonCamera::sessionStatus() {
  CMtLocker locker(&lock_);
  return sessionStatus_;
}

EdsCameraRef CCanonCamera::cameraRef() {
  CMtLocker locker(&lock_);
  return ref();
}

uint32_t CCanonCamera::protocol() {
  CMtLocker locker(&lock_);
  return protocol_;
}

bool CCanonCamera::uiLocked() {
  CMtLocker locker(&lock_);
  return uiLocked_;
}

uint32_t CCanonCamera::uiLockCount() {
  CMtLocker locker(&lock_);
  return uiLockCount_;
}

bool CCanonCamera::avCodeVariant() {
  CMtLocker locker(&lock_);
  return avCodeVariant_;
}

bool CCanonCamera::tvCodeVariant() {
  CMtLocker locker(&lock_);
  return tvCodeVariant_;
}

uint32_t CCanonCamera::buffersInUse() {
  CMtLocker locker(&lock_);
  return buffersInUse_;
}

uint32_t CCanonCamera::volumeCount() {
  CMtLocker locker(&lock_);
  return volumeCount_;
}
