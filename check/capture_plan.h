// CapturePlan: the shots of a checked script as the body and the camera code take them, over
// planned time. It models the camera code's count of the body's buffer (a release waits for a
// place, up to the buffer allocation limit), a legacy body's property events (the release waits
// for the next one), the body's capture pipeline as the simulated body's capture model has it
// (sim_body_timing.h: the sensor, processing and card writing take the images in order; the body
// refuses a release while its shutter is open or its buffer is full), and how long each shot
// holds the script.
//
// Use, for each shot: release() gives its moment; bodyBusy() says whether the body refuses it;
// if not, capture() runs it through the body. Property events the planner learns of elsewhere (a
// written setting, a new battery level, a new available-shots figure) go to onPropertyWrite() and
// addPropertyEvent().
//
// Thread safety: plain object, one thread (the check's scan).
#ifndef QUORVALE_CHECK_CAPTURE_PLAN_H_
#define QUORVALE_CHECK_CAPTURE_PLAN_H_

#include <cstdint>
#include <deque>
#include <utility>

#include "camera/eds.h"
#include "camera/sim/sim_body_config.h"
#include "camera/sim/sim_body_timing.h"
#include "check/property_event_plan.h"

class CapturePlan final {
 public:
  // Every event of |body| reaches the camera code |eventDelayMs| after the body raises it.
  CapturePlan(const SimBodyConfig& body, uint32_t eventDelayMs, uint64_t startUtc);

  // A property write at |nowUtc|: the camera code resets its property event first, and the body
  // answers with an event.
  void onPropertyWrite(uint64_t nowUtc);
  // The body raises a property event at |utc|.
  void addPropertyEvent(uint64_t utc);

  struct Release {
    uint64_t utc = 0;           // the moment the release goes to the body
    uint64_t bufferWaitMs = 0;  // how long the camera code waited for room in its buffer count
  };
  // A shot asked for at |nowUtc|: the camera code first waits for a place in its own count of
  // the body's buffer (|hostBuffer| places, 0: no count; at most |allocTimeoutMs|); a legacy body's
  // release then waits up to 2 s for the body's next property event.
  Release release(uint64_t nowUtc, uint32_t hostBuffer, uint32_t allocTimeoutMs, bool legacyBody);

  // Whether the body refuses a release at |releaseUtc| of an image of |bytes|: its shutter is still
  // open, or the image does not fit in its buffer next to the images it holds. *imagesHeld is the
  // number of images in its buffer then.
  bool bodyBusy(uint64_t releaseUtc, EdsUInt64 bytes, size_t* imagesHeld);

  struct Capture {
    uint64_t storedUtc = 0;  // the image is on the card
    uint32_t queuedMs = 0;   // how long the body was still busy with the shots before
    uint64_t holdMs = 0;     // how long the shot holds the script, from the request at nowUtc
  };
  // Runs a shot asked for at |nowUtc| and released at |release| through the body with |timing|.
  // The camera code holds the script for the exposure wait (Tv |tv| x |multiplier|) and then
  // waits up to |shotTimeoutMs| for the shot's completion (a legacy body's: its image stored).
  // REQUIRES: bodyBusy() was false for this release.
  Capture capture(uint64_t nowUtc, const Release& release, const SimShotTiming& timing,
                  EdsUInt32 tv, bool legacyBody, uint32_t shotTimeoutMs, double multiplier);

  // The body has stored every shot so far.
  uint64_t bodyFreeUtc() const { return bodyFreeUtc_; }

 private:
  const SimBodyConfig body_;
  const uint64_t delayUnits_;         // the event delay in file time units
  PropertyEventPlan propertyEvents_;  // a legacy body's, as its release waits see them
  uint64_t bodyFreeUtc_;              // the body has stored every shot so far
  uint64_t sensorFreeUtc_ = 0;        // the latest exposure has ended
  uint64_t processorFreeUtc_ = 0;     // the latest image is processed
  uint64_t writerFreeUtc_ = 0;        // the latest image is written
  std::deque<uint64_t> hostFreeUtc_;  // when the camera code's buffer places are free, in order
  std::deque<std::pair<uint64_t, EdsUInt64>> bodyImages_;  // the body's buffer: leaving, bytes
};

#endif  // QUORVALE_CHECK_CAPTURE_PLAN_H_
