// What a simulated body needs from the backend that owns it: event delivery to the program's
// handlers and model-time scheduling of its own steps.
//
// Thread safety: REQUIRES the backend's world mutex held for the post operations (they read the
// body's current camera reference); schedule() and modelNowMs() need no lock.
#ifndef QUORVALE_CAMERA_SIM_SIM_HOST_H_
#define QUORVALE_CAMERA_SIM_SIM_HOST_H_

#include <cstdint>
#include <functional>

#include "camera/eds.h"

class SimCamera;

class SimHost {
 public:
  virtual ~SimHost() = default;

  // Delivers an event of |body| on the event thread after |delayMs| model ms, to the handler
  // registered for the camera reference the program holds now; dropped when that reference is
  // gone by then or no handler is registered. An object event hands the handler a fresh reference.
  virtual void postStateEvent(SimCamera* body, EdsStateEvent event, EdsUInt32 data,
                              uint64_t delayMs) = 0;
  virtual void postPropertyEvent(SimCamera* body, EdsPropertyEvent event, EdsPropertyID property,
                                 EdsUInt32 param, uint64_t delayMs) = 0;
  virtual void postObjectEvent(SimCamera* body, EdsObjectEvent event, uint64_t delayMs) = 0;
  // Calls the program's camera-added handler on the event thread, if one is registered.
  virtual void postCameraAdded() = 0;

  // Runs |step| on the event thread after |delayMs| model ms, with no lock held.
  virtual void schedule(uint64_t delayMs, std::function<void()> step) = 0;
  virtual uint64_t modelNowMs() const = 0;
  // True when model time jumps from step to step (time scale 0): idle time would pass at once.
  virtual bool timeJumps() const = 0;
};

#endif  // QUORVALE_CAMERA_SIM_SIM_HOST_H_
