// The timing model of a simulated body: how long one shot keeps the shutter open, how long the
// body processes and writes it, how large the image is and how many such images the in-camera
// buffer holds. The bodies' capture model (sim_capture_model.h) runs on it; the script check's
// plan may use it to foresee a body's answers. Times are model ms.
//
// Thread safety: pure functions.
#ifndef QUORVALE_CAMERA_SIM_SIM_BODY_TIMING_H_
#define QUORVALE_CAMERA_SIM_SIM_BODY_TIMING_H_

#include <cstdint>

#include "camera/eds.h"
#include "camera/sim/sim_body_config.h"

struct SimShotTiming {
  uint32_t exposureMs = 0;    // the shutter open (bulb: 1 s unless the release says otherwise)
  uint32_t processingMs = 0;  // from the end of the exposure to the image ready for the card
  uint32_t writeMs = 0;       // writing the image to the card; one image at a time
  EdsUInt64 bytes = 0;        // the image on the card (JPEG and/or RAW part)
  uint32_t bufferFrames = 0;  // images of this quality the buffer holds at once
};

// The timing of one shot of |body| at image quality |quality| and Tv code |tv|. Without a write
// speed the write takes the body's fixed storeMs and the image leaves the buffer when processed;
// with one it takes bytes / speed and the image stays in the buffer until written.
SimShotTiming simShotTiming(const SimBodyConfig& body, EdsUInt32 quality, EdsUInt32 tv);

// Exposure of a Tv code as the body shoots it (bulb and unknown codes: 1000).
uint32_t simExposureMs(EdsUInt32 tv);

// Bytes one image of |quality| takes on the card: the RAW size for a RAW part (mRAW and sRAW
// smaller), the JPEG size for a JPEG part, scaled by its pixel size (L 1, M 0.55, S 0.3).
EdsUInt64 simImageBytes(const SimBodyConfig& body, EdsUInt32 quality);

#endif  // QUORVALE_CAMERA_SIM_SIM_BODY_TIMING_H_
