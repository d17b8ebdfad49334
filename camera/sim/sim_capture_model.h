// The capture model of a simulated body: what happens between the take-picture command and the
// image on the card, and the events the body sends on the way.
//
// Take picture (command 0), with the session open:
//  1. Refused with the refuseTakePicture() code if one is set; refused with EDS_ERR_DEVICE_BUSY
//     (0x81) when the body's buffer already holds bufferLimit shots. Otherwise accepted (0) and the
//     shot takes a place in the buffer.
//  2. Exposure: the current Tv's length (1/8000 s .. 30 s as the code says). Bulb (0x0C) exposes
//     for 1 s, as a single release in bulb does, and sends state event 0x310 with data 1 (seconds)
//     at its end. A Tv code the body does not know exposes for 1 s.
//  3. Processing (processingMs), then the image leaves the buffer (its place is free again).
//     PTP: state event 0x302 (job status changed) with data 1 is sent now.
//  4. Storage (storeMs), then the image is stored on the first writable volume with room: its
//     free space drops by the image size (JPEG and/or RAW part by the image quality), and
//     available shots (0x40A) drop with it. Events, in this order:
//       PTP:    0x302 with data 0 (the shot is complete), then 0x101 for 0x40A;
//       legacy: object event 0x204 (a new directory item, a fresh reference the handler owns and
//               releases), then 0x101 for 0x40A.
//     A full card (no writable volume with room) or a failNextShot() error stores nothing and
//     sends state event 0x305 with the error (7 for a full card) instead of the completion events;
//     on PTP the 0x302 data 1 of step 3 has been sent already.
//  5. A pending shutDownAfterShots() count reaching 0 then shuts the body down (0x301).
// Shots overlap: a burst exposes one after another (each exposure starts when the previous one
// ends) and processes in order. The times are model ms, scaled by the backend's time scale.
//
// Thread safety: every function runs with the backend's world mutex held (REQUIRES).
#ifndef QUORVALE_CAMERA_SIM_SIM_CAPTURE_MODEL_H_
#define QUORVALE_CAMERA_SIM_SIM_CAPTURE_MODEL_H_

#include <cstdint>

#include "camera/eds.h"

class SimCamera;

class SimCaptureModel final {
 public:
  SimCaptureModel() = delete;

  // Exposure in model ms of a Tv code as the body shoots it (bulb and unknown codes: 1000).
  static uint32_t exposureMs(EdsUInt32 tv);

  // Bytes one image of |quality| takes on the card.
  static EdsUInt64 imageBytes(EdsUInt32 quality, EdsUInt64 jpegBytes, EdsUInt64 rawBytes);

  // The take-picture command: returns the body's answer and schedules the shot's steps.
  static EdsError takePicture(SimCamera* body);
};

#endif  // QUORVALE_CAMERA_SIM_SIM_CAPTURE_MODEL_H_
