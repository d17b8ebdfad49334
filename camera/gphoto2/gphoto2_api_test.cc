#include "camera/gphoto2/gphoto2_api.h"

#include <gphoto2/gphoto2-result.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// The system's libgphoto2 itself: detection answers, a camera the drivers do not know is refused
// before any port is touched, and a known one on an empty address fails to open.
TEST(Gphoto2ApiTest, RealLibraryDetectsAndRefusesUnknownModels) {
  std::unique_ptr<Gphoto2Api> api = createLibGphoto2Api();
  std::vector<Gp2CameraEntry> cameras = {{"stale", "usb:000,000"}};
  EXPECT_EQ(GP_OK, api->autodetect(&cameras));
  for (const Gp2CameraEntry& camera : cameras) EXPECT_NE("stale", camera.model);

  std::unique_ptr<Gphoto2Camera> camera;
  EXPECT_EQ(GP_ERROR_MODEL_NOT_FOUND,
            api->newCamera({"Quorvale Test Body 9000", "usb:001,001"}, &camera));
  EXPECT_EQ(nullptr, camera);

  // A known model on a USB address with no device: the handle is made, opening it fails.
  ASSERT_EQ(GP_OK, api->newCamera({"Canon EOS 5D Mark III", "usb:999,999"}, &camera));
  ASSERT_NE(nullptr, camera);
  EXPECT_GT(0, camera->init());
}

}  // namespace
