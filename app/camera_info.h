// The info mode: prints one camera's identity, storage, battery, exposure and capture defaults.
#ifndef QUORVALE_APP_CAMERA_INFO_H_
#define QUORVALE_APP_CAMERA_INFO_H_

#include <cstdint>

// Returns the exit code: 0 printed, 1 the SDK interface is not ready, 2 no camera at the index.
// Runs on the main thread.
int printCameraInfo(int32_t cameraIndex);

#endif  // QUORVALE_APP_CAMERA_INFO_H_
