// Taking a picture and accounting for the camera's in-camera buffers.
#include <algorithm>

#include "camera/canon_camera.h"
#include "camera/error_text.h"
#include "camera/frame_record.h"
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
// A frame of a body that says nothing is given up this long after its deadline; a completion may
// come this much later than the body's pace before an older frame is given up for it.
constexpr uint32_t kFrameMarginMs = 10000;
constexpr uint32_t kFrameSlackMs = 150;

// The earliest a completion can come after the release, for a Tv whose exposure the table gives
// as |tableMs|: the table allows for the body's own delays, the body may need less of them.
uint32_t earliestCompletionMs(uint32_t tableMs) {
  const uint32_t part = static_cast<uint32_t>(static_cast<uint64_t>(tableMs) * 85 / 100);
  return part > 110 ? part - 110 : 0;
}

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

}  // namespace

EdsError CCanonCamera::takePicture() {
  CMtLocker uiLock(static_cast<CMtObject*>(this));
  {
    // Frames past their deadline are given up before a new one joins them.
    std::vector<FrameLedger::Settled> settled;
    {
      CMtLocker locker(&lock_);
      frames_.giveUpOverdue(frameClockMs(), &settled);
      lastFrame_ = 0;
      sessionEndEvent_.reset();
    }
    reportSettled(settled);
  }
  const bool tookBuffer = AllocCameraBuffer();

  const bool legacy = protocol() == 0;
  if (legacy) {
    uint32_t waited = waitInterruptible(&propertyEvent_, kLegacyPropertyWaitMs);
    if (waited == platform::kWaitObject0) {
      printTrace("takePicture: properties continue by update event\n");
    } else if (waited == platform::kWaitTimeout) {
      printTrace("takePicture: properties continue by update timeout\n");
    } else if (waited == platform::kWaitObject0 + 2) {
      printTrace("takePicture: properties continue by stop\n");
    } else {
      printTrace("takePicture: properties continue by unknown reason\n");
    }
  }

  // The frame is open before the command goes out: its events may come before the command
  // returns. Its timing is known once the Tv is read.
  uint64_t number = 0;
  CFrameRecord* record = nullptr;
  {
    CMtLocker locker(&lock_);
    number = ++framesTaken_;
    FrameLedger::Release release;
    release.number = number;
    release.atMs = frameClockMs();
    release.waitMs = shotTimeout_;
    release.marginMs = kFrameMarginMs;
    release.slackMs = kFrameSlackMs;
    release.holdsBuffer = tookBuffer;
    frames_.open(release);
    waitingShot_ = number;
    waitingOutcome_ = ShotOutcome();
    shotDoneEvent_.reset();
    record = record_;
  }
  if (record != nullptr) record->onRelease(number, platform::utcNow(), 0);
  const EdsError sent = SendCommand(kEdsCameraCommand_TakePicture);
  if (sent != 0) {
    printTrace("takePicture error: %08x %s\n", sent, edsErrorText(sent));
    bool holdsBuffer = false;
    {
      CMtLocker locker(&lock_);
      holdsBuffer = frames_.cancel(number);
      framesTaken_ -= 1;  // a refused release is no frame
      waitingShot_ = 0;
      lastError_ = sent;
    }
    if (record != nullptr) record->onRefused(number);
    if (holdsBuffer) FreeCameraBuffer();
    return sent;
  }

  EdsUInt32 tv = kUnreadTv;
  EdsError tvRead = 0;
  uint32_t shotTimeout = 0;
  double multiplier = 0.0;
  {
    CMtLocker locker(&lock_);
    lastFrame_ = number;
    if (isOpenLocked()) {
      EdsUInt32 value = 0;
      tvRead = EdsGetPropertyData(ref(), kEdsPropID_Tv, 0, sizeof(value), &value);
      if (tvRead == 0) tv = value;
    } else {
      tvRead = kSessionNotOpen;  // closed since the command went out
    }
    shotTimeout = shotTimeout_;
    multiplier = timeMultiplier_;
  }
  const uint32_t exposure = tvExposureMs(tv);
  const uint32_t ms = exposureWaitMs(exposure, multiplier);
  const uint32_t timeout = boundedSum(shotTimeout, ms);
  {
    CMtLocker locker(&lock_);
    // An unread Tv says nothing of the exposure: the completion may come at any moment.
    frames_.setTiming(number, tvRead == 0 ? earliestCompletionMs(exposure) : 0, timeout);
  }
  if (record != nullptr) record->onExposure(number, exposure);
  printTrace("takePicture: Tv=0x%x timeout=%lu (%lu)\n", tv, static_cast<unsigned long>(timeout),
             static_cast<unsigned long>(ms));

  // Only this frame's own completion, the session's end or the stop sets what is waited for.
  uint32_t waited;
  if (legacy) {
    waited = waitInterruptible(nullptr, boundedWait(ms));
    if (waited == platform::kWaitTimeout) {
      waited = waitInterruptible(&shotDoneEvent_, boundedWait(shotTimeout));
    }
  } else {
    waited = waitInterruptible(&shotDoneEvent_, boundedWait(timeout));
  }
  if (waited == platform::kWaitObject0) {
    shotDoneEvent_.reset();
    printTrace("takePicture: continue by completion event\n");
  } else if (waited == platform::kWaitObject0 + 1) {
    printTrace("takePicture: continue by end of session\n");
  } else if (waited == platform::kWaitObject0 + 2) {
    printTrace("takePicture: continue by stop\n");
  } else if (waited == platform::kWaitTimeout) {
    printTrace("takePicture: continue by timeout\n");
  } else {
    printTrace("takePicture: continue by unknown reason\n");
  }

  // The shot's result is its own, whatever another thread left in lastError_ meanwhile.
  std::vector<FrameLedger::Settled> settled;
  EdsError result = tvRead;
  {
    CMtLocker locker(&lock_);
    const ShotOutcome outcome = waitingOutcome_;
    waitingShot_ = 0;
    if (outcome.done) {
      result = outcome.result;
    } else if (waited == platform::kWaitObject0 + 2) {
      // Stopped: the body finishes the exposure on its own, and nobody waits to hear of it.
      frames_.settleOne(number, frameClockMs(), FrameWhy::kStopped, &settled);
      result = kShotWaitStopped;
    }
    lastError_ = result;
  }
  reportSettled(settled);
  return result;
}

void CCanonCamera::onTakePictureCompletion(bool error, EdsUInt32 captureError) {
  printTrace(error ? "onTakePictureCompletion: error\n" : "onTakePictureCompletion: ok\n");
  std::vector<FrameLedger::Settled> settled;
  bool waited = false;
  {
    CMtLocker locker(&lock_);
    const uint64_t number = frames_.complete(frameClockMs(), error, captureError, &settled);
    if (number == 0) {
      printTrace("onTakePictureCompletion: no shot open for it\n");
    } else if (number == waitingShot_) {
      waitingOutcome_.done = true;
      waitingOutcome_.result = error ? captureErrorResult(captureError) : 0;
      waited = true;
    }
  }
  // Buffers first, so that the frame's buffer is settled when takePicture goes on.
  reportSettled(settled);
  if (waited) shotDoneEvent_.set();
}

void CCanonCamera::onShotLeftBuffer() {
  bool giveBack = false;
  {
    CMtLocker locker(&lock_);
    giveBack = frames_.leftBuffer();
  }
  if (giveBack) FreeCameraBuffer();
}

bool CCanonCamera::AllocCameraBuffer() {
  const uint32_t start = platform::tickCount();
  const uint32_t allowed = getAllocBufferTimeout();
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
    const uint32_t waited = waitInterruptible(
        &bufferFreedEvent_, remaining < kBufferWaitSliceMs ? remaining : kBufferWaitSliceMs);
    if (waited == platform::kWaitObject0 + 1 || waited == platform::kWaitObject0 + 2) {
      // The session ended or the script stops: no buffer will be waited for.
      printTrace("AllocCameraBuffer timeout = %u/%u\n", inUse, size);
      return false;
    }
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
