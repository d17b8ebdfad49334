#include "camera/sim/sim_capture_model.h"

#include <algorithm>
#include <mutex>

#include "camera/sim/sim_camera.h"
#include "camera/sim/sim_camera_state.h"
#include "camera/sim/sim_host.h"

namespace {

constexpr EdsUInt32 kBulb = 0x0C;
constexpr uint32_t kBulbMs = 1000;
constexpr uint32_t kUnknownTvMs = 1000;
constexpr EdsUInt32 kCardFullError = 7;

struct TvLength {
  EdsUInt32 code;
  uint32_t ms;
};

// How long the shutter stays open for each Tv code, rounded to whole model ms.
constexpr TvLength kTvLengths[] = {
    {0x10, 30000}, {0x13, 25000}, {0x14, 20000}, {0x15, 20000}, {0x18, 15000}, {0x1B, 13000},
    {0x1C, 10000}, {0x1D, 10000}, {0x20, 8000},  {0x23, 6000},  {0x24, 6000},  {0x25, 5000},
    {0x28, 4000},  {0x2B, 3200},  {0x2C, 3000},  {0x2D, 2500},  {0x30, 2000},  {0x33, 1600},
    {0x34, 1500},  {0x35, 1300},  {0x38, 1000},  {0x3B, 800},   {0x3C, 700},   {0x3D, 600},
    {0x40, 500},   {0x43, 400},   {0x44, 300},   {0x45, 300},   {0x48, 250},   {0x4B, 200},
    {0x4C, 167},   {0x4D, 167},   {0x50, 125},   {0x53, 100},   {0x54, 100},   {0x55, 77},
    {0x58, 67},    {0x5B, 50},    {0x5C, 50},    {0x5D, 40},    {0x60, 33},    {0x63, 25},
    {0x64, 22},    {0x65, 20},    {0x68, 17},    {0x6B, 13},    {0x6C, 11},    {0x6D, 10},
    {0x70, 8},     {0x73, 6},     {0x74, 6},     {0x75, 5},     {0x78, 4},     {0x7B, 3},
    {0x7C, 3},     {0x7D, 3},     {0x80, 2},     {0x83, 2},     {0x84, 1},     {0x85, 1},
    {0x88, 1},     {0x8B, 1},     {0x8C, 1},     {0x8D, 1},     {0x90, 1},     {0x93, 0},
    {0x94, 0},     {0x95, 0},     {0x98, 0},     {0x9B, 0},     {0x9C, 0},     {0x9D, 0},
    {0xA0, 0},
};

// The image format nibble that stands for JPEG; any other primary format is a RAW kind.
constexpr EdsUInt32 kJpegFormat = 1;

// What a shot carries from the moment it was accepted.
struct Shot {
  SimCamera* body;
  bool ptp;
  EdsUInt64 bytes;
  bool fail;
  EdsUInt32 failError;
  bool loseCompletion;
  bool loseAll;
  uint32_t lateMs;  // extra lateness of the completion (or capture error) events
};

}  // namespace

uint32_t SimCaptureModel::exposureMs(EdsUInt32 tv) {
  if (tv == kBulb) return kBulbMs;
  for (const TvLength& row : kTvLengths) {
    if (row.code == tv) return row.ms;
  }
  return kUnknownTvMs;
}

EdsUInt64 SimCaptureModel::imageBytes(EdsUInt32 quality, EdsUInt64 jpegBytes, EdsUInt64 rawBytes) {
  EdsUInt32 primaryFormat = (quality >> 20) & 0xF;
  EdsUInt32 secondaryFormat = (quality >> 4) & 0xF;
  EdsUInt64 bytes = primaryFormat == kJpegFormat ? jpegBytes : rawBytes;
  if (secondaryFormat == kJpegFormat) bytes += jpegBytes;
  return bytes;
}

EdsError SimCaptureModel::takePicture(SimCamera* body) {
  SimCamera::State& s = *body->state_;
  if (s.takeRefusal != EDS_ERR_OK) return s.takeRefusal;
  if (s.inBuffer >= s.config.bufferLimit) return EDS_ERR_DEVICE_BUSY;
  s.inBuffer += 1;

  Shot shot;
  shot.body = body;
  shot.ptp = s.config.deviceSubType != 0;
  shot.bytes = imageBytes(body->propertyValueLocked(kEdsPropID_ImageQuality), s.config.jpegBytes,
                          s.config.rawBytes);
  shot.fail = s.failNext;
  shot.failError = s.failError;
  s.failNext = false;
  shot.loseCompletion = s.loseShots > 0;
  shot.loseAll = s.loseShots > 0 && s.loseWhat == SimLostEvents::kAll;
  if (s.loseShots > 0) s.loseShots -= 1;
  shot.lateMs = s.nextShotDelayMs;

  // Exposures follow one another; processing takes the images in order.
  SimHost* host = body->host_;
  EdsUInt32 tv = body->propertyValueLocked(kEdsPropID_Tv);
  uint64_t now = host->modelNowMs();
  uint64_t exposureEnd = std::max(now, s.sensorFreeAtMs) + exposureMs(tv);
  s.sensorFreeAtMs = exposureEnd;
  uint64_t handedOn = std::max(exposureEnd, s.processorFreeAtMs) + s.config.processingMs;
  s.processorFreeAtMs = handedOn;
  uint64_t stored = handedOn + s.config.storeMs;
  std::mutex* world = body->mutex_;

  if (tv == kBulb) {
    host->schedule(exposureEnd - now, [world, shot]() {
      std::lock_guard<std::mutex> lock(*world);
      SimCamera::State& st = *shot.body->state_;
      if (!st.powered || shot.loseAll) return;
      shot.body->host_->postStateEvent(shot.body, kEdsStateEvent_BulbExposureTime, kBulbMs / 1000,
                                       st.eventDelayMs);
    });
  }

  host->schedule(handedOn - now, [world, shot]() {
    std::lock_guard<std::mutex> lock(*world);
    SimCamera::State& st = *shot.body->state_;
    if (st.inBuffer > 0) st.inBuffer -= 1;
    if (!st.powered || !shot.ptp || shot.loseAll) return;
    shot.body->host_->postStateEvent(shot.body, kEdsStateEvent_JobStatusChanged, 1,
                                     st.eventDelayMs);
  });

  host->schedule(stored - now, [world, shot]() {
    std::lock_guard<std::mutex> lock(*world);
    SimCamera* camera = shot.body;
    SimCamera::State& st = *camera->state_;
    if (!st.powered) return;
    SimHost* events = camera->host_;
    const uint64_t delay = st.eventDelayMs + static_cast<uint64_t>(shot.lateMs);
    SimVolume* card = nullptr;
    for (SimVolume& volume : st.config.volumes) {
      if ((volume.access == 1 || volume.access == 2) && volume.freeSpace >= shot.bytes) {
        card = &volume;
        break;
      }
    }
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
