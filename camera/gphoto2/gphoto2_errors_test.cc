#include "camera/gphoto2/gphoto2_errors.h"

#include <gphoto2/gphoto2-port-result.h>
#include <gphoto2/gphoto2-result.h>
#include <gtest/gtest.h>

namespace {

// The rules, not the table: counts are successes, a result the table lacks is an internal error,
// and only a failed link means the body is gone (a port another program holds does not). Busy and
// port-in-use are seen through the backend's tests.
TEST(Gphoto2ErrorsTest, CountsSucceedUnknownResultsFailAndOnlyLinkFailuresMeanGone) {
  struct Case {
    int result;
    EdsError code;
    bool disconnect;
  } cases[] = {
      {3, EDS_ERR_OK, false},
      {GP_ERROR_MODEL_NOT_FOUND, EDS_ERR_DEVICE_NOT_FOUND, false},
      {GP_ERROR_IO_USB_FIND, EDS_ERR_DEVICE_NOT_FOUND, true},
      {GP_ERROR_IO_USB_CLAIM, 0xC0, false},
      {GP_ERROR_IO_READ, EDS_ERR_COMM_DISCONNECTED, true},
      {-1000, EDS_ERR_INTERNAL_ERROR, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.code, edsErrorFromGphoto2(c.result)) << c.result;
    EXPECT_EQ(c.disconnect, isGphoto2Disconnect(c.result)) << c.result;
  }
}

}  // namespace
