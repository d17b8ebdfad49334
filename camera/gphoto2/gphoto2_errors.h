// libgphoto2 result codes as the SDK codes the program prints, and the SDK codes the backend sets
// itself beyond those named in camera/eds.h.
//
// Thread safety: pure functions.
#ifndef QUORVALE_CAMERA_GPHOTO2_GPHOTO2_ERRORS_H_
#define QUORVALE_CAMERA_GPHOTO2_GPHOTO2_ERRORS_H_

#include "camera/eds.h"

// The body has no widget for the property ("Property (and additional property information)
// unavailable").
constexpr EdsError kEdsErrPropertyUnavailable = 0x50;
// A null output or a record smaller than the property ("Pointer error", "Length error").
constexpr EdsError kEdsErrInvalidPointer = 0x62;
constexpr EdsError kEdsErrInvalidLength = 0x64;
// The code has no meaning for the property, or the body does not offer that value ("Invalid
// property value").
constexpr EdsError kEdsErrInvalidPropertyValue = 0x201C;

// The SDK code for a libgphoto2 result: GP_OK is 0; a busy body 0x81 ("Device busy! Camera
// unstable!"); a body that is not there 0x80; a port another program holds 0xC0; a lost USB link
// 0xC1; an unsupported operation 7; other I/O failures 0x20.
EdsError edsErrorFromGphoto2(int result);

// True for results that mean the body is gone (unplugged or switched off) while a session was open.
bool isGphoto2Disconnect(int result);

#endif  // QUORVALE_CAMERA_GPHOTO2_GPHOTO2_ERRORS_H_
