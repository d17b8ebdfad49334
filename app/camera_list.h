// The list mode: prints the cameras the SDK found.
#ifndef QUORVALE_APP_CAMERA_LIST_H_
#define QUORVALE_APP_CAMERA_LIST_H_

// Prints the camera list through the output layer. Returns the exit code: 0 listed (also with no
// camera), 1 the SDK interface is not ready. Runs on the main thread.
int listCameras();

#endif  // QUORVALE_APP_CAMERA_LIST_H_
