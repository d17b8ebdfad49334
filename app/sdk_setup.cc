#include "app/sdk_setup.h"

// Interim: the camera SDK arrives with the camera code.
void startCameraSdk(bool) {}
void stopCameraSdk() {}
