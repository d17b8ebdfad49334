// The planning layer of the camera SDK: a backend that wraps the real or simulated one and lets a
// script check run every camera operation of a script without the body acting on any of it.
//
// What passes through to the wrapped backend: initialisation, the camera list, device records,
// sessions, property reads and descriptions, volumes, handler registrations. What stops here:
//  - property writes: a value the body's property description does not list is refused with
//    0x86 ("Device parameter invalid"), as a body refuses it; others are kept as planned values
//    (later reads of that property answer them) and reported to the listener; the body keeps its
//    own values;
//  - status commands (UI lock and unlock): answered 0;
//  - the take-picture command: reported to the listener with the planned Tv and image quality,
//    answered 0, and completed at once by the events a PTP body sends (job status 1: the image
//    left the buffer; job status 0: the shot is complete), delivered on this layer's own thread;
//  - other commands: answered 0.
// Device records always name the PTP protocol, so that the camera code never sits in the legacy
// protocol's real-time waits; the listener is told the body's true protocol with each shot. An
// image quality written to a legacy body is turned into the legacy form the camera code would
// have sent it (0x000F second half, bit 22 clear) before it is judged and kept.
//
// Ownership: owns the wrapped backend. The listener must outlive the layer.
// Thread safety: every operation may be called from any thread; the listener is called on the
// thread of the Eds* call (writes, shots), never on the event thread.
#ifndef QUORVALE_CAMERA_PLAN_BACKEND_H_
#define QUORVALE_CAMERA_PLAN_BACKEND_H_

#include <memory>

#include "camera/eds.h"
#include "camera/eds_backend.h"

class PlanBackendListener {
 public:
  virtual ~PlanBackendListener() = default;
  // A property write the body never sees.
  virtual void onPlannedWrite(EdsPropertyID property, EdsUInt32 value) = 0;
  // A take-picture command the body never sees: the Tv and image quality codes in force (planned
  // or the body's own), and whether the body speaks the legacy protocol.
  virtual void onPlannedShot(EdsUInt32 tv, EdsUInt32 quality, bool legacyBody) = 0;
};

std::unique_ptr<EdsBackend> createPlanBackend(std::unique_ptr<EdsBackend> wrapped,
                                              PlanBackendListener* listener);

#endif  // QUORVALE_CAMERA_PLAN_BACKEND_H_
