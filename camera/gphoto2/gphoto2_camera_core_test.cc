// The program's camera code (interface, session, properties, capture, events) running on an EOS
// body through the libgphoto2 backend and the fake driver, as a script would use it.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "camera/camera_test_support.h"
#include "camera/canon_camera.h"
#include "camera/canon_interface.h"
#include "camera/eds_backend.h"
#include "camera/error_text.h"
#include "camera/gphoto2/fake_gphoto2_api.h"
#include "camera/gphoto2/gphoto2_backend.h"
#include "camera/gphoto2/gphoto2_session.h"
#include "output/output.h"

namespace {

class Gphoto2CameraCoreTest : public testing::Test {
 protected:
  void SetUp() override {
    setSdkErrorTextSource(&edsErrorText);
    auto api = std::make_unique<FakeGphoto2Api>();
    api_ = api.get();
    api->plug({"Canon EOS 5D Mark III", "usb:001,007"}, body_);
    PollSettings fast;
    fast.pollTimeoutMs = fast.idleGapMs = 1;
    // USB arrivals are injected where udev would report them.
    auto monitors = [this](platform::UsbDeviceHandler handler) {
      usbChanged_ = std::move(handler);
      return std::make_unique<platform::DeviceMonitor>();
    };
    EdsSetBackend(createGphoto2Backend(std::move(api), fast, monitors));
    interface_ = std::make_unique<CCanonInterface>();
  }

  void TearDown() override {
    interface_.reset();
    EdsSetBackend(nullptr);
  }

  // Waits, bounded, until |done| holds.
  static bool waitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 5000 && !done(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
  }

  camera_test::LogCapture log_;
  FakeGphoto2Api* api_ = nullptr;
  platform::UsbDeviceHandler usbChanged_;
  std::shared_ptr<FakeBody> body_ = std::make_shared<FakeBody>();
  std::unique_ptr<CCanonInterface> interface_;
};

TEST_F(Gphoto2CameraCoreTest, SessionSettingsAndShotOnAnEosBody) {
  ASSERT_EQ(EDS_ERR_OK, interface_->initStatus());
  ASSERT_EQ(1u, interface_->getCameraCount());
  std::unique_ptr<CCanonCamera> camera = interface_->NewCamera(0);
  ASSERT_NE(nullptr, camera);
  EXPECT_EQ(EDS_ERR_OK, camera->sessionStatus());
  EXPECT_EQ("Continuous", body_->widgetValue("drivemode"));  // the session's initial setting
  EXPECT_EQ(75, camera->getBatteryLevel());
  EXPECT_DOUBLE_EQ(50.0, camera->getFreePercent());

  // Values read back are checked on the real library by the virtual-camera tests.
  EXPECT_EQ(EDS_ERR_OK, camera->setTv("6s"));
  EXPECT_EQ("6", body_->widgetValue("shutterspeed"));
  EXPECT_EQ(EDS_ERR_OK, camera->setAv("13"));
  EXPECT_EQ("13", body_->widgetValue("aperture"));
  EXPECT_EQ(EDS_ERR_OK, camera->setImageQuality("RAW+L"));
  EXPECT_EQ("RAW + Large Fine JPEG", body_->widgetValue("imageformat"));
  EXPECT_EQ(EDS_ERR_NOT_SUPPORTED, camera->setAEMode("Av"));  // set by the mode dial on EOS

  // The shot's buffer comes back (its events are seen on the real library).
  EXPECT_EQ(EDS_ERR_OK, camera->takePicture());
  EXPECT_EQ(0u, camera->buffersInUse());

  camera.reset();
  EXPECT_FALSE(body_->isOpen());
  EXPECT_EQ("0", body_->widgetValue("uilock"));
}

// Unplugged while the UI lock is held, the body comes back on another port with the lock.
TEST_F(Gphoto2CameraCoreTest, AnUnpluggedBodyComesBackOnItsUsbArrivalWithTheUiLock) {
  std::unique_ptr<CCanonCamera> camera = interface_->NewCamera(0);
  ASSERT_NE(nullptr, camera);
  camera->Lock();
  EXPECT_EQ("1", body_->widgetValue("uilock"));
  camera_test::ConsoleCapture console;

  api_->remove("usb:001,007");
  body_->unplug();
  // Lost, and the loss handled: the list read again without the body, so the arrival below is
  // what brings it back.
  ASSERT_TRUE(waitUntil([&] { return camera->isLost() && interface_->getCameraCount() == 0; }));
  EXPECT_EQ(kSessionNotOpen, camera->setTv("1/250"));

  auto back = std::make_shared<FakeBody>();
  api_->plug({"Canon EOS 5D Mark III", "usb:001,009"}, back);
  usbChanged_(true);
  ASSERT_TRUE(waitUntil([&] { return !camera->isLost(); }));
  EXPECT_EQ("1", back->widgetValue("uilock"));
  EXPECT_EQ(EDS_ERR_OK, camera->setTv("1/250"));
  EXPECT_EQ("1/250", back->widgetValue("shutterspeed"));
  EXPECT_EQ("Camera lost: Canon EOS 5D Mark III\n", console.err());
  EXPECT_EQ("Camera back: Canon EOS 5D Mark III\n", console.out());
  EXPECT_NE(std::string::npos, log_.take().find("Camera added\n"));

  camera->Unlock();
  EXPECT_EQ("0", back->widgetValue("uilock"));
}

}  // namespace
