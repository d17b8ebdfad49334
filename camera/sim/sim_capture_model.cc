#include "camera/sim/sim_capture_model.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "camera/sim/sim_body_timing.h"
#include "camera/sim/sim_camera.h"
#include "camera/sim/sim_camera_state.h"
#include "camera/sim/sim_host.h"

namespace {

constexpr EdsUInt32 kBulb = 0x0C;
constexpr EdsUInt32 kCardFullError = 7;
constexpr EdsError kCardRefusal = 0x8D07;  // the release of a body whose card is full

// What a shot carries from the moment it was accepted.
struct Shot {
  SimCamera* body;
  bool ptp;
  EdsUInt64 bytes;
  bool fail;
  EdsUInt32 failError;
  bool loseCompletion;
  bool loseAll;
  uint32_t lateMs;      // extra lateness of the completion (or capture error) events
  uint64_t powerCycle;  // the body's power cycle it was taken in: a later one lost it
};

// Room on the first writable volume that holds |bytes|, or null.
SimVolume* cardWithRoom(std::vector<SimVolume>* volumes, EdsUInt64 bytes) {
  for (SimVolume& volume : *volumes) {
    if ((volume.access == 1 || volume.access == 2) && volume.freeSpace >= bytes) return &volume;
  }
  return nullptr;
}

}  // namespace

uint32_t SimCaptureModel::exposureMs(EdsUInt32 tv) { return simExposureMs(tv); }

EdsError SimCaptureModel::takePicture(SimCamera* body, EdsInt32 param) {
  SimCamera::State& s = *body->state_;
  if (s.takeRefusal != EDS_ERR_OK) return s.takeRefusal;
  SimHost* host = body->host_;
  const uint64_t now = host->modelNowMs();
  // The shutter is still open for the previous shot: a real body does not release.
  if (now < s.sensorFreeAtMs) return EDS_ERR_DEVICE_BUSY;
  const EdsUInt32 tv = body->propertyValueLocked(kEdsPropID_Tv);
  SimShotTiming timing =
      simShotTiming(s.config, body->propertyValueLocked(kEdsPropID_ImageQuality), tv);
  if (tv == kBulb && param > 0) timing.exposureMs = static_cast<uint32_t>(param);
  if (s.inBuffer >= s.config.bufferLimit) return EDS_ERR_DEVICE_BUSY;
  if (s.config.bufferBytes > 0 && s.inBuffer > 0 &&
      s.inBufferBytes + timing.bytes > s.config.bufferBytes) {
    return EDS_ERR_DEVICE_BUSY;
  }
  if (s.cardFull && cardWithRoom(&s.config.volumes, timing.bytes) == nullptr) return kCardRefusal;
  s.cardFull = false;
  if (!body->drainBatteryLocked()) return EDS_ERR_COMM_DISCONNECTED;
  s.inBuffer += 1;
  s.inBufferBytes += timing.bytes;

  Shot shot;
  shot.body = body;
  shot.ptp = s.config.deviceSubType != 0;
  shot.bytes = timing.bytes;
  shot.fail = s.failNext;
  shot.failError = s.failError;
  s.failNext = false;
  shot.loseCompletion = s.loseShots > 0;
  shot.loseAll = s.loseShots > 0 && s.loseWhat == SimLostEvents::kAll;
  if (s.loseShots > 0) s.loseShots -= 1;
  shot.lateMs = s.nextShotDelayMs;
  shot.powerCycle = s.powerCycle;

  // Processing takes the images in order, and so does the card: with a write speed an image
  // stays in the buffer until it is written, else it leaves the buffer when processed.
  const uint64_t exposureEnd = now + timing.exposureMs;
  s.sensorFreeAtMs = exposureEnd;
  const uint64_t processed = std::max(exposureEnd, s.processorFreeAtMs) + timing.processingMs;
  s.processorFreeAtMs = processed;
  uint64_t handedOn = processed;
  uint64_t stored = processed + timing.writeMs;
  if (s.config.writeBytesPerSecond > 0) {
    stored = std::max(processed, s.writerFreeAtMs) + timing.writeMs;
    s.writerFreeAtMs = stored;
    handedOn = stored;
  }
  std::mutex* world = body->mutex_;

  if (tv == kBulb) {
    // Each second of a bulb exposure is reported, the last at its end.
    const uint32_t seconds = std::max<uint32_t>(1, timing.exposureMs / 1000);
    for (uint32_t second = 1; second <= seconds; ++second) {
      const uint64_t at = second == seconds ? timing.exposureMs : second * 1000ULL;
      host->schedule(at, [world, shot, second]() {
        std::lock_guard<std::mutex> lock(*world);
        SimCamera::State& st = *shot.body->state_;
        if (!(st.powered && st.powerCycle == shot.powerCycle) || shot.loseAll) return;
        shot.body->host_->postStateEvent(shot.body, kEdsStateEvent_BulbExposureTime, second,
                                         st.eventDelayMs);
      });
    }
  }

  host->schedule(handedOn - now, [world, shot]() {
    std::lock_guard<std::mutex> lock(*world);
    SimCamera::State& st = *shot.body->state_;
    // Switched off since: the buffer was emptied when the power went.
    if (!(st.powered && st.powerCycle == shot.powerCycle)) return;
    if (st.inBuffer > 0) st.inBuffer -= 1;
    st.inBufferBytes = st.inBufferBytes > shot.bytes ? st.inBufferBytes - shot.bytes : 0;
    if (!shot.ptp || shot.loseAll) return;
    shot.body->host_->postStateEvent(shot.body, kEdsStateEvent_JobStatusChanged, 1,
                                     st.eventDelayMs);
  });

  host->schedule(stored - now, [world, shot]() {
    std::lock_guard<std::mutex> lock(*world);
    SimCamera* camera = shot.body;
    SimCamera::State& st = *camera->state_;
    // Switched off since: the image was lost with the power, never written.
    if (!(st.powered && st.powerCycle == shot.powerCycle)) return;
    SimHost* events = camera->host_;
    const uint64_t delay = st.eventDelayMs + static_cast<uint64_t>(shot.lateMs);
    SimVolume* card = cardWithRoom(&st.config.volumes, shot.bytes);
    if (card == nullptr) st.cardFull = true;
    if (shot.fail || card == nullptr) {
      EdsUInt32 error = shot.fail ? shot.failError : kCardFullError;
      events->postStateEvent(camera, kEdsStateEvent_CaptureError, error, delay);
    } else {
      card->freeSpace -= shot.bytes;
      st.stored += 1;
      if (!shot.loseCompletion) {
        if (shot.ptp) {
          events->postStateEvent(camera, kEdsStateEvent_JobStatusChanged, 0, delay);
        } else {
          events->postObjectEvent(camera, kEdsObjectEvent_DirItemCreated, delay);
        }
      }
      if (!shot.loseAll) {
        events->postPropertyEvent(camera, kEdsPropertyEvent_PropertyChanged,
                                  kEdsPropID_AvailableShots, 0, delay);
      }
    }
    if (st.shutdownAfter > 0) {
      st.shutdownAfter -= 1;
      if (st.shutdownAfter == 0) camera->shutDownLocked();
    }
  });
  return EDS_ERR_OK;
}
