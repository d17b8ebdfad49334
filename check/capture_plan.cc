#include "check/capture_plan.h"

#include <algorithm>

#include "camera/property_tables.h"
#include "platform/clock.h"

namespace {

constexpr uint32_t kLegacyPropertyWaitMs = 2000;
constexpr uint64_t kUnitsPerMs = platform::kFileTimeUnitsPerMs;

// The time the camera allows a shot before it gives up waiting: exposure x multiplier + 0.9 ms.
uint64_t exposureWaitMs(uint32_t exposureMs, double multiplier) {
  const double value = static_cast<double>(exposureMs) * multiplier + 0.9;
  return value > 0.0 ? static_cast<uint64_t>(value) : 0;
}

}  // namespace

CapturePlan::CapturePlan(const SimBodyConfig& body, uint32_t eventDelayMs, uint64_t startUtc)
    : body_(body), delayUnits_(uint64_t{eventDelayMs} * kUnitsPerMs), bodyFreeUtc_(startUtc) {}

void CapturePlan::onPropertyWrite(uint64_t nowUtc) {
  propertyEvents_.reset(nowUtc);
  propertyEvents_.add(nowUtc + delayUnits_);
}

void CapturePlan::addPropertyEvent(uint64_t utc) { propertyEvents_.add(utc + delayUnits_); }

CapturePlan::Release CapturePlan::release(uint64_t nowUtc, uint32_t hostBuffer,
                                          uint32_t allocTimeoutMs, bool legacyBody) {
  // An image leaves the camera code's count when the body reports it out of its buffer (PTP) or
  // stored (legacy).
  Release release;
  release.utc = nowUtc;
  while (!hostFreeUtc_.empty() && hostFreeUtc_.front() <= release.utc) hostFreeUtc_.pop_front();
  if (hostBuffer > 0 && hostFreeUtc_.size() >= hostBuffer) {
    const uint64_t room = hostFreeUtc_[hostFreeUtc_.size() - hostBuffer];
    release.utc = std::min(room, nowUtc + uint64_t{allocTimeoutMs} * kUnitsPerMs);
    release.bufferWaitMs = (release.utc - nowUtc) / kUnitsPerMs;
  }
  if (legacyBody) {
    release.utc = propertyEvents_.wait(release.utc, kLegacyPropertyWaitMs * kUnitsPerMs);
  }
  while (!hostFreeUtc_.empty() && hostFreeUtc_.front() <= release.utc) hostFreeUtc_.pop_front();
  return release;
}

bool CapturePlan::bodyBusy(uint64_t releaseUtc, EdsUInt64 bytes, size_t* imagesHeld) {
  EdsUInt64 bytesInBuffer = 0;
  while (!bodyImages_.empty() && bodyImages_.front().first <= releaseUtc) bodyImages_.pop_front();
  for (const auto& image : bodyImages_) bytesInBuffer += image.second;
  *imagesHeld = bodyImages_.size();
  return releaseUtc < sensorFreeUtc_ || bodyImages_.size() >= body_.bufferLimit ||
         (body_.bufferBytes > 0 && !bodyImages_.empty() &&
          bytesInBuffer + bytes > body_.bufferBytes);
}

CapturePlan::Capture CapturePlan::capture(uint64_t nowUtc, const Release& release,
                                          const SimShotTiming& timing, EdsUInt32 tv,
                                          bool legacyBody, uint32_t shotTimeoutMs,
                                          double multiplier) {
  // The body's steps as its capture model runs them: processing and writing take the images in
  // order; with a card write speed an image keeps its place in the buffer until written.
  const uint64_t exposureEnd = release.utc + uint64_t{timing.exposureMs} * kUnitsPerMs;
  sensorFreeUtc_ = exposureEnd;
  const uint64_t processed =
      std::max(exposureEnd, processorFreeUtc_) + uint64_t{timing.processingMs} * kUnitsPerMs;
  processorFreeUtc_ = processed;
  uint64_t stored = processed + uint64_t{timing.writeMs} * kUnitsPerMs;
  uint64_t leaves = processed;
  if (body_.writeBytesPerSecond > 0) {
    stored = std::max(processed, writerFreeUtc_) + uint64_t{timing.writeMs} * kUnitsPerMs;
    writerFreeUtc_ = stored;
    leaves = stored;
  }
  hostFreeUtc_.push_back((legacyBody ? stored : leaves) + delayUnits_);
  bodyImages_.emplace_back(leaves, timing.bytes);

  Capture capture;
  capture.storedUtc = stored;
  const uint32_t bodyMs = timing.exposureMs + timing.processingMs + timing.writeMs;
  const uint64_t completeMs = (stored + delayUnits_ - release.utc) / kUnitsPerMs;
  const uint64_t waitedMs = (release.utc - nowUtc) / kUnitsPerMs;
  capture.queuedMs =
      static_cast<uint32_t>((stored - release.utc) / kUnitsPerMs + release.bufferWaitMs - bodyMs);
  const uint64_t waitMs = exposureWaitMs(tvExposureMs(tv), multiplier);
  uint64_t holdMs;
  if (legacyBody) {
    // Sleeps through the exposure, then waits for completion.
    const uint64_t rest = completeMs > waitMs ? completeMs - waitMs : 0;
    holdMs = waitedMs + waitMs + std::min<uint64_t>(rest, shotTimeoutMs);
  } else {
    holdMs = waitedMs + std::min<uint64_t>(completeMs, shotTimeoutMs + waitMs);
  }
  capture.holdMs = holdMs;
  bodyFreeUtc_ = std::max(bodyFreeUtc_, stored);
  return capture;
}
