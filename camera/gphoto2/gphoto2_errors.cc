#include "camera/gphoto2/gphoto2_errors.h"

#include <gphoto2/gphoto2-port-result.h>
#include <gphoto2/gphoto2-result.h>

EdsError edsErrorFromGphoto2(int result) {
  if (result >= GP_OK) return EDS_ERR_OK;
  switch (result) {
    case GP_ERROR_CAMERA_BUSY:
      return EDS_ERR_DEVICE_BUSY;
    case GP_ERROR_MODEL_NOT_FOUND:
    case GP_ERROR_UNKNOWN_PORT:
    case GP_ERROR_IO_USB_FIND:
      return EDS_ERR_DEVICE_NOT_FOUND;
    case GP_ERROR_IO_USB_CLAIM:
    case GP_ERROR_IO_LOCK:
      return 0xC0;  // "Port in use": another program holds the body
    case GP_ERROR_IO_READ:
    case GP_ERROR_IO_WRITE:
    case GP_ERROR_IO_USB_CLEAR_HALT:
      return EDS_ERR_COMM_DISCONNECTED;
    case GP_ERROR_IO:
    case GP_ERROR_IO_INIT:
    case GP_ERROR_IO_UPDATE:
    case GP_ERROR_IO_SERIAL_SPEED:
    case GP_ERROR_IO_SUPPORTED_SERIAL:
    case GP_ERROR_IO_SUPPORTED_USB:
      return EDS_ERR_IO_ERROR;
    case GP_ERROR_NOT_SUPPORTED:
      return EDS_ERR_NOT_SUPPORTED;
    case GP_ERROR_BAD_PARAMETERS:
      return EDS_ERR_INVALID_PARAMETER;
    case GP_ERROR_NO_MEMORY:
      return EDS_ERR_MEM_ALLOC_FAILED;
    case GP_ERROR_TIMEOUT:
      return 0xF4;  // "Timeout"
    case GP_ERROR_CANCEL:
      return 0x05;  // "Operation canceled"
    case GP_ERROR_NO_SPACE:
      return 0x84;  // "Device memory full"
    case GP_ERROR_FILE_NOT_FOUND:
    case GP_ERROR_DIRECTORY_NOT_FOUND:
      return 0x22;  // "File does not exist"
    case GP_ERROR_CORRUPTED_DATA:
      return 0x2D;  // "Invalid data"
    case GP_ERROR:
    case GP_ERROR_CAMERA_ERROR:
      return 0x82;  // "Device error": the body refused
    default:
      return EDS_ERR_INTERNAL_ERROR;
  }
}

bool isGphoto2Disconnect(int result) {
  switch (result) {
    case GP_ERROR_IO:
    case GP_ERROR_IO_READ:
    case GP_ERROR_IO_WRITE:
    case GP_ERROR_IO_USB_FIND:
    case GP_ERROR_IO_USB_CLEAR_HALT:
    case GP_ERROR_IO_INIT:
      return true;
    default:
      return false;
  }
}
