#include "camera/gphoto2/gphoto2_backend.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "camera/gphoto2/fake_gphoto2_api.h"
#include "camera/gphoto2/gphoto2_session.h"

namespace {

constexpr char kModel[] = "Canon EOS 5D Mark III";
constexpr char kPort[] = "usb:001,007";

class Gphoto2BackendTest : public testing::Test {
 protected:
  void SetUp() override {
    auto api = std::make_unique<FakeGphoto2Api>();
    api_ = api.get();
    api->plug({kModel, kPort}, body_);
    PollSettings fast;
    fast.pollTimeoutMs = fast.idleGapMs = 1;
    backend_ = createGphoto2Backend(std::move(api), fast);
    ASSERT_EQ(EDS_ERR_OK, backend_->InitializeSDK());
  }

  void TearDown() override { backend_.reset(); }

  EdsCameraRef cameraAt() {
    EdsCameraListRef list = nullptr;
    EXPECT_EQ(EDS_ERR_OK, backend_->GetCameraList(&list));
    EdsCameraRef camera = nullptr;
    EXPECT_EQ(EDS_ERR_OK, backend_->GetChildAtIndex(list, 0, &camera));
    EXPECT_EQ(0u, backend_->Release(list));
    return camera;
  }

  // A camera with its session open and the three handlers registered, as the camera code does.
  EdsCameraRef openCamera() {
    EdsCameraRef camera = cameraAt();
    EXPECT_EQ(EDS_ERR_OK, backend_->OpenSession(camera));
    EXPECT_EQ(EDS_ERR_OK,
              backend_->SetObjectEventHandler(camera, kEdsObjectEvent_All, onObject, this));
    EXPECT_EQ(EDS_ERR_OK,
              backend_->SetCameraStateEventHandler(camera, kEdsStateEvent_All, onState, this));
    EXPECT_EQ(EDS_ERR_OK,
              backend_->SetPropertyEventHandler(camera, kEdsPropertyEvent_All, onProperty, this));
    camera_ = camera;
    return camera;
  }

  EdsUInt32 get(EdsPropertyID property, EdsError expected = EDS_ERR_OK) {
    EdsUInt32 value = 0xDEADBEEF;
    EXPECT_EQ(expected, backend_->GetPropertyData(camera_, property, 0, sizeof value, &value));
    return value;
  }

  EdsError set(EdsPropertyID property, EdsUInt32 value) {
    return backend_->SetPropertyData(camera_, property, 0, sizeof value, &value);
  }

  // Waits (bounded) until the handlers have seen |count| events; returns them, one per line.
  std::string waitForEvents(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(5), [&] { return lines_ >= count; });
    return events_;
  }

  void record(const char* format, unsigned a, unsigned b) {
    char line[96];
    std::snprintf(line, sizeof line, format, a, b);
    std::lock_guard<std::mutex> lock(mutex_);
    events_ += line;
    ++lines_;
    changed_.notify_all();
  }

  static EdsError onObject(EdsObjectEvent event, EdsBaseRef ref, void* context) {
    auto* test = static_cast<Gphoto2BackendTest*>(context);
    // The handler owns the reference: releasing it must drop the last count.
    test->record("object 0x%x released=%u\n", event, test->backend_->Release(ref) == 0);
    return EDS_ERR_OK;
  }

  static EdsError onState(EdsStateEvent event, EdsUInt32 data, void* context) {
    static_cast<Gphoto2BackendTest*>(context)->record("state 0x%x %u\n", event, data);
    return EDS_ERR_OK;
  }

  static EdsError onProperty(EdsPropertyEvent event, EdsPropertyID property, EdsUInt32 param,
                             void* context) {
    static_cast<Gphoto2BackendTest*>(context)->record("property 0x%x 0x%x\n", event, property);
    return EDS_ERR_OK;
  }

  std::shared_ptr<FakeBody> body_ = std::make_shared<FakeBody>();
  FakeGphoto2Api* api_ = nullptr;
  std::unique_ptr<EdsBackend> backend_;
  EdsCameraRef camera_ = nullptr;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::string events_;  // guarded by mutex_
  size_t lines_ = 0;    // guarded by mutex_
};

TEST_F(Gphoto2BackendTest, ListsUsbBodiesAndASessionOpensThemOnceWithCapturesToTheCard) {
  api_->plug({"Mass Storage Camera", "disk:/media/card"}, std::make_shared<FakeBody>());
  EdsCameraListRef list = nullptr;
  ASSERT_EQ(EDS_ERR_OK, backend_->GetCameraList(&list));
  EdsUInt32 count = 0;
  ASSERT_EQ(EDS_ERR_OK, backend_->GetChildCount(list, &count));
  EXPECT_EQ(1u, count);
  EXPECT_EQ(0x63u, backend_->GetChildAtIndex(list, 1, &camera_));
  ASSERT_EQ(EDS_ERR_OK, backend_->GetChildAtIndex(list, 0, &camera_));
  EXPECT_EQ(0u, backend_->Release(list));

  EXPECT_FALSE(body_->isOpen());  // listing and describing never open the body
  get(kEdsPropID_Tv, EDS_ERR_SESSION_NOT_OPEN);
  ASSERT_EQ(EDS_ERR_OK, backend_->OpenSession(camera_));
  EXPECT_EQ(0x201Eu, backend_->OpenSession(camera_));
  EXPECT_EQ(1u, get(kEdsPropID_SaveTo));
  EXPECT_EQ(EDS_ERR_OK, backend_->CloseSession(camera_));
  EXPECT_EQ((std::vector<std::string>{"init", "set capturetarget=Memory card", "exit"}),
            body_->log());
  EXPECT_EQ(0u, backend_->Release(camera_));
}

TEST_F(Gphoto2BackendTest, RefusesBeforeInitialisationAndReportsLibraryFailures) {
  EdsCameraRef camera = cameraAt();
  ASSERT_EQ(EDS_ERR_OK, backend_->TerminateSDK());
  EdsCameraListRef list = nullptr;
  EXPECT_EQ(EDS_ERR_NOT_INITIALIZED, backend_->GetCameraList(&list));
  EXPECT_EQ(EDS_ERR_NOT_INITIALIZED, backend_->OpenSession(camera));
  EXPECT_EQ(EDS_ERR_NOT_INITIALIZED, backend_->TerminateSDK());
  ASSERT_EQ(EDS_ERR_OK, backend_->InitializeSDK());
  api_->setAutodetectResult(GP_ERROR_IO_USB_CLAIM);
  EXPECT_EQ(0xC0u, backend_->GetCameraList(&list));

  // A body another program holds does not open, and nothing runs without a session.
  body_->setInitResult(GP_ERROR_IO_USB_CLAIM);
  EXPECT_EQ(0xC0u, backend_->OpenSession(camera));
  EXPECT_EQ(EDS_ERR_SESSION_NOT_OPEN, backend_->SendCommand(camera, 0, 0));
  EXPECT_EQ(0u, backend_->Release(camera));
}

// What the camera code's tests on this backend do not reach. Volumes are read through the real
// library by the virtual-camera tests.
TEST_F(Gphoto2BackendTest, PropertiesAndDescriptionsByMeaningAndTheirRefusals) {
  openCamera();
  EXPECT_EQ(512u, get(kEdsPropID_AvailableShots));
  EdsUInt32 value = 0;
  EXPECT_EQ(0x64u, backend_->GetPropertyData(camera_, kEdsPropID_Tv, 0, 2, &value));
  EXPECT_EQ(0x62u, backend_->GetPropertyData(camera_, kEdsPropID_Tv, 0, 4, nullptr));

  struct Write {
    EdsPropertyID property;
    EdsUInt32 code;
    EdsError result;
    const char* widget;
    const char* value;  // the widget's value after the write
  } writes[] = {
      // A value the body lacks is refused in the virtual-camera tests.
      {kEdsPropID_ISOSpeed, 0x49, 0x201C, "iso", "100"},
      {kEdsPropID_BatteryLevel, 50, EDS_ERR_NOT_SUPPORTED, "batterylevel", "75%"},
      {kEdsPropID_SaveTo, 2, EDS_ERR_OK, "capturetarget", "Internal RAM"},
      {kEdsPropID_SaveTo, 1, EDS_ERR_OK, "capturetarget", "Memory card"},
      {kEdsPropID_SaveTo, 3, EDS_ERR_NOT_SUPPORTED, "capturetarget", "Memory card"},
  };
  for (const Write& w : writes) {
    EXPECT_EQ(w.result, set(w.property, w.code)) << w.widget << " " << w.code;
    EXPECT_EQ(w.value, body_->widgetValue(w.widget)) << w.widget << " " << w.code;
  }
  EXPECT_EQ(EDS_ERR_OK, set(kEdsPropID_Capacity, 0xFFFFFFFF));  // kept as written
  EXPECT_EQ(0xFFFFFFFFu, get(kEdsPropID_Capacity));

  body_->setWidgetValue("shutterspeed", "Unknown value df00");
  EXPECT_EQ(0xFFFFFFFFu, get(kEdsPropID_Tv));
  body_->removeWidget("meteringmode");
  get(kEdsPropID_MeteringMode, 0x50);
  get(0x0405'0000, 0x50);

  EdsPropertyDesc desc;
  ASSERT_EQ(EDS_ERR_OK, backend_->GetPropertyDesc(camera_, kEdsPropID_DriveMode, &desc));
  EXPECT_EQ(4, desc.numElements);  // timers and silent single have no code
  EXPECT_EQ(0x50u, backend_->GetPropertyDesc(camera_, kEdsPropID_BatteryLevel, &desc));
}

// The UI lock itself is seen through the camera code's tests on this backend.
TEST_F(Gphoto2BackendTest, BusyBodyShootsNothingThenAShotCompletesByEventsAndLackedCommands) {
  EdsCameraRef camera = openCamera();
  body_->setBusyAnswers(2);
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, backend_->SendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY, set(kEdsPropID_Tv, 0x78));
  EXPECT_EQ("1/125", body_->widgetValue("shutterspeed"));
  // The refused trigger left nothing behind: the next shot's events are the only ones.
  ASSERT_EQ(EDS_ERR_OK, backend_->SendCommand(camera, kEdsCameraCommand_TakePicture, 0));
  EXPECT_EQ(  // shot count changed, two files (each reference released), stored, complete
      "property 0x101 0x40a\nobject 0x204 released=1\nstate 0x302 1\n"
      "object 0x204 released=1\nstate 0x302 0\n",
      waitForEvents(5));
  EXPECT_EQ("trigger", body_->log().back());  // no download

  EXPECT_EQ(EDS_ERR_OK, backend_->SendCommand(camera, kEdsCameraCommand_ExtendShutDownTimer, 0));
  EXPECT_EQ(EDS_ERR_NOT_SUPPORTED, backend_->SendCommand(camera, 4, 0));
  EXPECT_EQ(EDS_ERR_NOT_SUPPORTED, backend_->SendStatusCommand(camera, 2, 0));
  body_->setBusyAnswers(1);
  EXPECT_EQ(EDS_ERR_DEVICE_BUSY,
            backend_->SendCommand(camera, kEdsCameraCommand_ExtendShutDownTimer, 0));
  body_->removeWidget("uilock");
  EXPECT_EQ(EDS_ERR_NOT_SUPPORTED,
            backend_->SendStatusCommand(camera, kEdsCameraStatusCommand_UILock, 0));
}

TEST_F(Gphoto2BackendTest, UnpluggedBodyShutsDownOnceAndAnswersDisconnectedUntilClosed) {
  EdsCameraRef camera = openCamera();
  body_->unplug();
  EXPECT_EQ("state 0x301 0\n", waitForEvents(1));
  EXPECT_EQ(EDS_ERR_COMM_DISCONNECTED, set(kEdsPropID_Tv, 0x78));
  EXPECT_EQ(EDS_ERR_COMM_DISCONNECTED, backend_->SendCommand(camera, 0, 0));
  EXPECT_EQ(EDS_ERR_OK, backend_->CloseSession(camera));
  EXPECT_EQ(0u, backend_->Release(camera));
}

TEST_F(Gphoto2BackendTest, PropertyChangesReachTheHandlerUntilTheSessionIsClosed) {
  EdsCameraRef camera = openCamera();
  body_->queue(Gp2Event::Kind::kUnknown, "PTP Property d102 changed");
  body_->queue(Gp2Event::Kind::kUnknown, "PTP Property d111 changed");
  EXPECT_EQ("property 0x101 0x406\nproperty 0x101 0x8\n", waitForEvents(2));
  ASSERT_EQ(EDS_ERR_OK, backend_->CloseSession(camera));
  int polls = body_->polls();
  body_->queue(Gp2Event::Kind::kUnknown, "PTP Property d102 changed");
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(polls, body_->polls());
  EXPECT_EQ("property 0x101 0x406\nproperty 0x101 0x8\n", waitForEvents(0));
  EXPECT_EQ(0u, backend_->Release(camera));
}

}  // namespace
