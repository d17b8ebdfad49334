// The fate of a frame (one release the body accepted) and why a frame stays unconfirmed.
#ifndef QUORVALE_CAMERA_FRAME_FATE_H_
#define QUORVALE_CAMERA_FRAME_FATE_H_

#include <cstdint>

enum class FrameFate : uint32_t {
  kOpen = 0,         // no word from the body yet
  kStored = 1,       // its completion came: the body stored the image
  kFailed = 2,       // the body ended it with an error (a capture error, or the body went away)
  kUnconfirmed = 3,  // no word from the body, and none is awaited any more
};

enum class FrameWhy : uint32_t {
  kNone = 0,
  kNoWord = 1,         // its completion did not come in time (lost, or later than any wait)
  kCameraLost = 2,     // the body switched off or went away before it completed the frame
  kStopped = 3,        // the script was stopped while the frame was awaited
  kSessionClosed = 4,  // the session closed before the frame completed
};

// "stored", "failed", "unconfirmed" ("open" for kOpen).
const char* frameFateName(FrameFate fate);
// The reason of an unconfirmed frame, e.g. "no completion came from the body"; "" for kNone.
const char* frameWhyText(FrameWhy why);

#endif  // QUORVALE_CAMERA_FRAME_FATE_H_
