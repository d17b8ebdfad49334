#include "camera/gphoto2/gphoto2_errors.h"

#include <gphoto2/gphoto2-port-result.h>
#include <gphoto2/gphoto2-result.h>
#include <gtest/gtest.h>

namespace {

TEST(Gphoto2ErrorsTest, LibraryResultsBecomeSdkCodesAndOnlyLinkFailuresMeanGone) {
  struct Case {
    int result;
    EdsError code;
    bool disconnect;
  } cases[] = {
      {GP_OK, EDS_ERR_OK, false},
      {3, EDS_ERR_OK, false},  // counts returned as results
      {GP_ERROR_CAMERA_BUSY, EDS_ERR_DEVICE_BUSY, false},
      {GP_ERROR_MODEL_NOT_FOUND, EDS_ERR_DEVICE_NOT_FOUND, false},
      {GP_ERROR_IO_USB_FIND, EDS_ERR_DEVICE_NOT_FOUND, true},
      {GP_ERROR_IO_USB_CLAIM, 0xC0, false},
      {GP_ERROR_IO_READ, EDS_ERR_COMM_DISCONNECTED, true},
      {GP_ERROR_IO, EDS_ERR_IO_ERROR, true},
      {GP_ERROR_NOT_SUPPORTED, EDS_ERR_NOT_SUPPORTED, false},
      {GP_ERROR, 0x82, false},
      {GP_ERROR_TIMEOUT, 0xF4, false},
      {-1000, EDS_ERR_INTERNAL_ERROR, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.code, edsErrorFromGphoto2(c.result)) << c.result;
    EXPECT_EQ(c.disconnect, isGphoto2Disconnect(c.result)) << c.result;
  }
}

}  // namespace
