// The capture model of a simulated body: what happens between the take-picture command and the
// image on the card, and the events the body sends on the way.
//
// The times come from the body's timing model (sim_body_timing.h).
//
// Take picture (command 0), with the session open:
//  1. Refused with the refuseTakePicture() code if one is set; refused with EDS_ERR_DEVICE_BUSY
//     (0x81) while the previous exposure is still open, when the body's buffer already holds
//     bufferLimit shots, or when the image would not fit in the buffer's bytes next to the images
//     it holds; refused with 0x8D07 after a shot found the card full, while no card has room. A
//     shot uses the battery's per-shot share; an empty battery shuts the body down instead.
//     Otherwise accepted (0) and the shot takes a place in the buffer.
//  2. Exposure: the current Tv's length (1/8000 s .. 30 s as the code says). Bulb (0x0C) exposes
//     for the command's parameter in ms, 1 s when it is 0, and sends state event 0x310 with the
//     seconds so far after each second and at its end. A Tv code the body does not know: 1 s.
//  3. Processing (processingMs). Without a write speed the image then leaves the buffer (its
//     place is free again); with one it leaves when written (step 4).
//     PTP: state event 0x302 (job status changed) with data 1 is sent when it leaves.
//  4. Writing (storeMs, or size / write speed, one image after the other), then the image is
//     stored on the first writable volume with room: its
//     free space drops by the image size (JPEG and/or RAW part by the image quality), and
//     available shots (0x40A) drop with it. Events, in this order:
//       PTP:    0x302 with data 0 (the shot is complete), then 0x101 for 0x40A;
//       legacy: object event 0x204 (a new directory item, a fresh reference the handler owns and
//               releases), then 0x101 for 0x40A.
//     A full card (no writable volume with room) or a failNextShot() error stores nothing and
//     sends state event 0x305 with the error (7 for a full card) instead of the completion events;
//     on PTP the 0x302 data 1 of step 3 has been sent already.
//  5. A pending shutDownAfterShots() count reaching 0 then shuts the body down (0x301).
// A body that switches off loses the exposure in progress and every image not yet written: none
// of their later steps happen, its buffer is empty, and it releases at once when it is back.
// Shots overlap: while one is processed or written the next may be exposed; processing and
// writing take the images in order. The times are model ms, scaled by the backend's time scale.
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

  // Exposure in model ms of a Tv code as the body shoots it (simExposureMs, sim_body_timing.h).
  static uint32_t exposureMs(EdsUInt32 tv);

  // The take-picture command with its parameter (a bulb exposure's ms; 0: 1 s): returns the
  // body's answer and schedules the shot's steps.
  static EdsError takePicture(SimCamera* body, EdsInt32 param);
};

#endif  // QUORVALE_CAMERA_SIM_SIM_CAPTURE_MODEL_H_
