// Image quality codes and the image format texts of libgphoto2's drivers ("Large Fine JPEG",
// "RAW + Medium Normal JPEG", "sRAW"), matched by their parts.
//
// A code holds the primary image's size, format and compression in bits 24-27, 20-23 and 16-19,
// and a secondary image (RAW + JPEG) in bits 8-11, 4-7 and 0-3. Format 1 is JPEG, 6 RAW
// (compression 4); JPEG compression 3 is fine, 2 normal; sizes 0 L, 1 M, 2 S, 5 M1, 6 M2.
//
// Thread safety: pure functions.
#ifndef QUORVALE_CAMERA_GPHOTO2_IMAGE_FORMAT_TEXT_H_
#define QUORVALE_CAMERA_GPHOTO2_IMAGE_FORMAT_TEXT_H_

#include <string>

#include "camera/eds.h"

// "RAW + Large Fine JPEG" -> 0x00640013, "Small Normal JPEG" -> 0x02120000, "sRAW" -> 0x02640000
// ("mRAW" and the older "sRAW1" are the M size, "sRAW2" the S size). False for texts without a
// code: cRAW, "Smaller JPEG", "Tiny JPEG", two images of one kind.
bool imageQualityFromText(const std::string& text, EdsUInt32* code);

// The camera code marks "no secondary image" with 0x0F0F (0x000F on legacy bodies); this form has
// zeros there, as the text parser gives.
EdsUInt32 canonicalImageQuality(EdsUInt32 code);

#endif  // QUORVALE_CAMERA_GPHOTO2_IMAGE_FORMAT_TEXT_H_
