// Image quality codes: the form a body of each protocol expects, and the reading of codes that the
// image quality table does not list.
//
// Thread safety: pure functions.
#ifndef QUORVALE_CAMERA_IMAGE_QUALITY_H_
#define QUORVALE_CAMERA_IMAGE_QUALITY_H_

#include <cstddef>
#include <cstdint>

// The code to send for table code |value| to a body speaking |protocol| (0 = legacy, else PTP).
// Legacy: empty low 16 bits become 0x000F, then bit 22 is cleared. PTP: empty low 16 bits become
// 0x0F0F, anything else is sent unchanged.
uint32_t adjustImageQuality(uint32_t value, uint32_t protocol);

// Writes the readable form of image quality |value| ("L", "RAW", "RAW+Mn", "sRAW+S", or "???")
// into |buffer|, at most size - 1 bytes and a NUL. REQUIRES: size > 0.
void decodeImageQuality(uint32_t value, char* buffer, size_t size);

#endif  // QUORVALE_CAMERA_IMAGE_QUALITY_H_
