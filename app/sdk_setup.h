// The camera SDK's lifetime within a run of the program.
#ifndef QUORVALE_APP_SDK_SETUP_H_
#define QUORVALE_APP_SDK_SETUP_H_

#include <memory>

#include "camera/eds_backend.h"

// Installs the camera backend (the simulated cameras when |simulated|, else the real ones) and
// creates the SDK interface object, which initialises the SDK and enumerates the cameras. Called
// by main on its own thread right after the command line is read, before any mode runs.
void startCameraSdk(bool simulated);

// The backend startCameraSdk would install, for a caller that wraps it (the script check).
std::unique_ptr<EdsBackend> createCameraBackend(bool simulated);
// As startCameraSdk, with |backend| installed.
void startCameraSdkWith(std::unique_ptr<EdsBackend> backend);

// Destroys the SDK interface object (terminating the SDK) and the backend. Called by main after
// its work, before the log closes; no other thread may use a camera by then.
void stopCameraSdk();

#endif  // QUORVALE_APP_SDK_SETUP_H_
