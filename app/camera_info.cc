#include "app/camera_info.h"

#include "output/output.h"

// Interim: the camera information arrives with the camera code.
int printCameraInfo(int32_t) {
  printErr("Camera information is not available in this build\n");
  return 1;
}
