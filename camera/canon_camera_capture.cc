// Taking a picture and accounting for the camera's in-camera buffers.
#include "camera/canon_camera.h"
#include "camera/error_text.h"
#include "camera/property_tables.h"
#include "mt/mt_locker.h"
#include "output/output.h"
#include "platform/clock.h"
#include "platform/event.h"

namespace {

constexpr uint32_t kLegacyPropertyWaitMs = 2000;
constexpr uint32_t kBufferWaitSliceMs = 1000;
// The Tv code used when the Tv cannot be read: outside the exposure table.
constexpr EdsUInt32 kUnreadTv = 0;
constexpr uint32_t kMaxMs = 0xFFFFFFFFu;
// Open shots kept for their completions. Only a body that loses completions gets near it; the
// oldest is then given up, so the list cannot grow without bound.
constexpr size_t kMaxOpenShots = 256;

// The whole milliseconds of |exposureMs| x |multiplier| + 0.9, truncated toward zero. Results
// beyond 32 bits saturate instead of wrapping (a wrapped wait would end during the exposure);
// negative or invalid products give 0.
uint32_t exposureWaitMs(uint32_t exposureMs, double multiplier) {
  const double value = static_cast<double>(exposureMs) * multiplier + 0.9;
  if (!(value >= 0.0)) return 0;
  if (value >= static_cast<double>(kMaxMs)) return kMaxMs;
  return static_cast<uint32_t>(value);
}

uint32_t boundedSum(uint32_t a, uint32_t b) { return a > kMaxMs - b ? kMaxMs : a + b; }

// A wait limit that never means "no limit": a lost event must not hang the script.
uint32_t boundedWait(uint32_t ms) { return ms == platform::kInfinite ? ms - 1 : ms; }

// |ms| of a body that runs |speed| times faster, in real ms (rounded up).
uint32_t realMs(uint32_t ms, double speed) {
  if (speed <= 1.0) return ms;
  return static_cast<uint32_t>(static_cast<double>(ms) / speed + 0.999);
}

}  // namespace

EdsError CCanonCamera::takePicture() {
  CMtLocker uiLock(static_cast<CMtObject*>(this));
  const bool tookBuffer = AllocCameraBuffer();

  const bool legacy = protocol() == 0;
  if (legacy) {
    uint32_t waited = propertyEvent_.waitFor(realMs(kLegacyPropertyWaitMs, bodySpeed()));
    if (waited == platform::kWaitObject0) {
      printTrace("takePicture: properties continue by update event\n");
    } else if (waited == platform::kWaitTimeout) {
      printTrace("takePicture: properties continue by update timeout\n");
    } else {
      printTrace("takePicture: properties continue by unknown reason\n");
    }
  }

  // The shot is open before the command goes out: its events may come before the command returns.
  uint64_t number = 0;
  {
    CMtLocker locker(&lock_);
    number = ++shotsTaken_;
    if (openShots_.size() == kMaxOpenShots) openShots_.pop_front();
    openShots_.push_back(OpenShot{number, tookBuffer, false});
    waitingShot_ = number;
    waitingOutcome_ = ShotOutcome();
    shotDoneEvent_.reset();
  }
  const EdsError sent = SendCommand(kEdsCameraCommand_TakePicture);
  if (sent != 0) {
    printTrace("takePicture error: %08x %s\n", sent, edsErrorText(sent));
    bool holdsBuffer = false;
    {
      CMtLocker locker(&lock_);
      for (auto shot = openShots_.begin(); shot != openShots_.end(); ++shot) {
        if (shot->number == number) {
          holdsBuffer = shot->holdsBuffer;
          openShots_.erase(shot);
          break;
        }
      }
      waitingShot_ = 0;
      lastError_ = sent;
    }
    if (holdsBuffer) FreeCameraBuffer();
    return sent;
  }

  EdsUInt32 tv = kUnreadTv;
  EdsError tvRead = 0;
  uint32_t shotTimeout = 0;
  double multiplier = 0.0;
  double speed = 1.0;
  {
    CMtLocker locker(&lock_);
    if (isOpenLocked()) {
      EdsUInt32 value = 0;
      tvRead = EdsGetPropertyData(ref(), kEdsPropID_Tv, 0, sizeof(value), &value);
      if (tvRead == 0) tv = value;
    } else {
      tvRead = kSessionNotOpen;  // closed since the command went out
    }
    shotTimeout = shotTimeout_;
    multiplier = timeMultiplier_;
    speed = bodySpeed_;
  }
  const uint32_t ms = exposureWaitMs(tvExposureMs(tv), multiplier);
  const uint32_t timeout = boundedSum(shotTimeout, ms);
  printTrace("takePicture: Tv=0x%x timeout=%lu (%lu)\n", tv, static_cast<unsigned long>(timeout),
             static_cast<unsigned long>(ms));

  // Only this shot's own completion sets the event after the reset above.
  uint32_t waited;
  if (legacy) {
    platform::sleepMs(realMs(ms, speed));
    waited = shotDoneEvent_.waitFor(boundedWait(realMs(shotTimeout, speed)));
  } else {
    waited = shotDoneEvent_.waitFor(boundedWait(realMs(timeout, speed)));
  }
  if (waited == platform::kWaitObject0) {
    shotDoneEvent_.reset();
    printTrace("takePicture: continue by completion event\n");
  } else if (waited == platform::kWaitTimeout) {
    printTrace("takePicture: continue by timeout\n");
  } else {
    printTrace("takePicture: continue by unknown reason\n");
  }

  // The shot's result is its own, whatever another thread left in lastError_ meanwhile.
  CMtLocker locker(&lock_);
  const ShotOutcome outcome = waitingOutcome_;
  waitingShot_ = 0;
  EdsError result = tvRead;
  if (outcome.done) result = outcome.failed ? captureErrorResult(outcome.captureError) : 0;
  lastError_ = result;
  return result;
}

void CCanonCamera::onTakePictureCompletion(bool error, EdsUInt32 captureError) {
  printTrace(error ? "onTakePictureCompletion: error\n" : "onTakePictureCompletion: ok\n");
  bool giveBack = false;
  bool waited = false;
  {
    CMtLocker locker(&lock_);
    if (openShots_.empty()) return;
    const OpenShot shot = openShots_.front();
    openShots_.pop_front();
    giveBack = shot.holdsBuffer;
    if (shot.number == waitingShot_) {
      waitingOutcome_.done = true;
      waitingOutcome_.failed = error;
      waitingOutcome_.captureError = captureError;
      waited = true;
    }
  }
  // Its buffer first, so that the shot's buffer is settled when takePicture goes on.
  if (giveBack) FreeCameraBuffer();
  if (waited) shotDoneEvent_.set();
}

void CCanonCamera::onShotLeftBuffer() {
  bool giveBack = false;
  {
    CMtLocker locker(&lock_);
    for (OpenShot& shot : openShots_) {
      if (!shot.leftBuffer) {
        shot.leftBuffer = true;
        giveBack = shot.holdsBuffer;
        shot.holdsBuffer = false;
        break;
      }
    }
  }
  if (giveBack) FreeCameraBuffer();
}

bool CCanonCamera::AllocCameraBuffer() {
  const uint32_t start = platform::tickCount();
  const double speed = bodySpeed();
  const uint32_t allowed = realMs(getAllocBufferTimeout(), speed);
  for (;;) {
    bool taken = false;
    uint32_t inUse = 0;
    uint32_t size = 0;
    {
      CMtLocker locker(&lock_);
      if (buffersInUse_ < bufferSize_) {
        buffersInUse_ += 1;
        taken = true;
      }
      inUse = buffersInUse_;
      size = bufferSize_;
    }
    if (taken) {
      printTrace("AllocCameraBuffer successful = %u/%u\n", inUse, size);
      return true;
    }
    // Elapsed time in wrapping tick arithmetic, so a wrap of the tick count neither ends the wait
    // early nor makes it endless.
    const uint32_t elapsed = platform::tickCount() - start;
    if (elapsed >= allowed) {
      printTrace("AllocCameraBuffer timeout = %u/%u\n", inUse, size);
      return false;
    }
    // A pulse given while nobody waits is lost; the count is examined again after each slice.
    const uint32_t remaining = allowed - elapsed;
    const uint32_t slice = realMs(kBufferWaitSliceMs, speed);
    bufferFreedEvent_.waitFor(remaining < slice ? remaining : slice);
  }
}

void CCanonCamera::FreeCameraBuffer() {
  uint32_t inUse = 0;
  uint32_t size = 0;
  {
    CMtLocker locker(&lock_);
    if (buffersInUse_ > 0) buffersInUse_ -= 1;
    inUse = buffersInUse_;
    size = bufferSize_;
  }
  printTrace("FreeCameraBuffer %u/%u\n", inUse, size);
  bufferFreedEvent_.pulse();
}

void CCanonCamera::setBodySpeed(double factor) {
  CMtLocker locker(&lock_);
  bodySpeed_ = factor > 1.0 ? factor : 1.0;
}

double CCanonCamera::bodySpeed() {
  CMtLocker locker(&lock_);
  return bodySpeed_;
}
