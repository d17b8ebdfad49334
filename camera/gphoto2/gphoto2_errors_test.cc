#include "camera/gphoto2/gphoto2_errors.h"

#include <gphoto2/gphoto2-port-result.h>
#include <gphoto2/gphoto2-result.h>
#include <gtest/gtest.h>

namespace {

// The codes users see for what goes wrong with a body on USB.
TEST(Gphoto2ErrorsTest, LibraryResultsBecomeTheSdkCodesUsersKnow) {
  EXPECT_EQ(EDS_ERR_OK, edsErrorFromGphoto2(GP_OK));
  EXPECT_EQ(EDS_ERR_OK, edsErrorFromGphoto2(3));  // counts returned as results
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, edsErrorFromGphoto2(GP_ERROR_CAMERA_BUSY));
  EXPECT_EQ(EDS_ERR_DEVICE_NOT_FOUND, edsErrorFromGphoto2(GP_ERROR_MODEL_NOT_FOUND));
  EXPECT_EQ(EDS_ERR_DEVICE_NOT_FOUND, edsErrorFromGphoto2(GP_ERROR_IO_USB_FIND));
  EXPECT_EQ(0xC0u, edsErrorFromGphoto2(GP_ERROR_IO_USB_CLAIM));
  EXPECT_EQ(EDS_ERR_COMM_DISCONNECTED, edsErrorFromGphoto2(GP_ERROR_IO_READ));
  EXPECT_EQ(EDS_ERR_COMM_DISCONNECTED, edsErrorFromGphoto2(GP_ERROR_IO_WRITE));
  EXPECT_EQ(EDS_ERR_IO_ERROR, edsErrorFromGphoto2(GP_ERROR_IO));
  EXPECT_EQ(EDS_ERR_NOT_SUPPORTED, edsErrorFromGphoto2(GP_ERROR_NOT_SUPPORTED));
  EXPECT_EQ(0x82u, edsErrorFromGphoto2(GP_ERROR));
  EXPECT_EQ(0xF4u, edsErrorFromGphoto2(GP_ERROR_TIMEOUT));
  EXPECT_EQ(EDS_ERR_INTERNAL_ERROR, edsErrorFromGphoto2(-1000));
}

TEST(Gphoto2ErrorsTest, OnlyLinkFailuresMeanTheBodyIsGone) {
  EXPECT_TRUE(isGphoto2Disconnect(GP_ERROR_IO));
  EXPECT_TRUE(isGphoto2Disconnect(GP_ERROR_IO_USB_FIND));
  EXPECT_TRUE(isGphoto2Disconnect(GP_ERROR_IO_READ));
  EXPECT_FALSE(isGphoto2Disconnect(GP_ERROR_CAMERA_BUSY));
  EXPECT_FALSE(isGphoto2Disconnect(GP_ERROR_TIMEOUT));
  EXPECT_FALSE(isGphoto2Disconnect(GP_ERROR));
  EXPECT_FALSE(isGphoto2Disconnect(GP_OK));
}

}  // namespace
