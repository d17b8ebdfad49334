#include "app/camera_list.h"

#include "output/output.h"

// Interim: the camera list arrives with the camera code.
int listCameras() {
  printErr("Camera list is not available in this build\n");
  return 1;
}
