// The camera's frames: the record that hears of them, the waits that a stop or the session's end
// cut short, and the end of a script's wait for the frames still open.
#include <chrono>

#include "camera/canon_camera.h"
#include "camera/frame_record.h"
#include "mt/mt_locker.h"
#include "platform/clock.h"
#include "platform/event.h"

namespace {

// The end-of-script wait looks at the open frames this often (real ms).
constexpr uint32_t kOpenFramesPollMs = 20;

}  // namespace

uint64_t CCanonCamera::frameClockMs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

void CCanonCamera::setFrameRecord(CFrameRecord* record) {
  CMtLocker locker(&lock_);
  record_ = record;
}

void CCanonCamera::watchStop(platform::Event* stopEvent) {
  CMtLocker locker(&lock_);
  stopEvent_ = stopEvent;
}

uint64_t CCanonCamera::lastFrame() {
  CMtLocker locker(&lock_);
  return lastFrame_;
}

size_t CCanonCamera::openFrames() {
  CMtLocker locker(&lock_);
  return frames_.openCount();
}

uint32_t CCanonCamera::waitInterruptible(CMtEvent* event, uint32_t ms) {
  platform::Event* stop = nullptr;
  {
    CMtLocker locker(&lock_);
    stop = stopEvent_;
  }
  // Slot order: the event, the session's end, the stop; absent ones are left out and the
  // answer is mapped back to the slot.
  platform::Waitable* objects[3];
  uint32_t slots[3];
  size_t count = 0;
  if (event != nullptr) {
    objects[count] = event->handle();
    slots[count++] = platform::kWaitObject0;
  }
  objects[count] = sessionEndEvent_.handle();
  slots[count++] = platform::kWaitObject0 + 1;
  if (stop != nullptr) {
    objects[count] = stop;
    slots[count++] = platform::kWaitObject0 + 2;
  }
  const uint32_t waited = platform::waitAny(objects, count, ms);
  if (waited >= platform::kWaitObject0 && waited < platform::kWaitObject0 + count) {
    const uint32_t slot = slots[waited - platform::kWaitObject0];
    // The session's end is for every wait of the shot, not only the one that saw it.
    if (slot == platform::kWaitObject0 + 1) sessionEndEvent_.set();
    return slot;
  }
  return waited;
}

void CCanonCamera::reportSettled(const std::vector<FrameLedger::Settled>& settled) {
  if (settled.empty()) return;
  CFrameRecord* record = nullptr;
  {
    CMtLocker locker(&lock_);
    record = record_;
  }
  const uint64_t now = platform::utcNow();
  for (const FrameLedger::Settled& frame : settled) {
    if (frame.freeBuffer) FreeCameraBuffer();
    if (record != nullptr)
      record->onSettled(frame.number, frame.fate, frame.result, frame.why, now);
  }
}

void CCanonCamera::settleOpenFramesLocked(uint32_t waitingResult, FrameWhy why,
                                          std::vector<FrameLedger::Settled>* out) {
  const size_t first = out->size();
  const uint64_t waiting = frames_.isOpen(waitingShot_) ? waitingShot_ : 0;
  frames_.settleAll(frameClockMs(), waiting, waitingResult, why, out);
  for (size_t i = first; i < out->size(); ++i) {
    FrameLedger::Settled& frame = (*out)[i];
    if (frame.freeBuffer && buffersInUse_ > 0) buffersInUse_ -= 1;
    frame.freeBuffer = false;
  }
  if (waiting != 0) {
    waitingOutcome_.done = true;
    waitingOutcome_.result = waitingResult;
  }
}

bool CCanonCamera::waitForOpenFrames() {
  platform::Event* stop = nullptr;
  for (;;) {
    std::vector<FrameLedger::Settled> settled;
    uint64_t due = 0;
    const uint64_t now = frameClockMs();
    {
      CMtLocker locker(&lock_);
      frames_.giveUpOverdue(now, &settled);
      due = frames_.lastDeadlineMs();
      stop = stopEvent_;
    }
    reportSettled(settled);
    if (due == 0) return true;
    const uint64_t left = due >= now ? due - now + 1 : 1;
    const uint32_t slice =
        static_cast<uint32_t>(left < kOpenFramesPollMs ? left : kOpenFramesPollMs);
    if (stop != nullptr) {
      if (stop->wait(slice) == platform::kWaitObject0) return false;
    } else {
      platform::sleepMs(slice);
    }
  }
}

void CCanonCamera::abandonOpenFrames(FrameWhy why) {
  std::vector<FrameLedger::Settled> settled;
  {
    CMtLocker locker(&lock_);
    frames_.settleAll(frameClockMs(), 0, 0, why, &settled);
  }
  reportSettled(settled);
}
