#include "camera/sim/sim_backend.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "camera/sim/sim_test_support.h"
#include "mt/mt_event.h"
#include "platform/event.h"

namespace {

TEST(SimWorldTest, DefaultWorldListsAPtpAndALegacyBody) {
  EdsSetBackend(createSimBackend());
  ASSERT_EQ(EDS_ERR_OK, EdsInitializeSDK());
  EdsCameraListRef list = nullptr;
  ASSERT_EQ(EDS_ERR_OK, EdsGetCameraList(&list));
  EdsUInt32 count = 0;
  ASSERT_EQ(EDS_ERR_OK, EdsGetChildCount(list, &count));
  std::string seen;
  for (EdsInt32 i = 0; i < static_cast<EdsInt32>(count); ++i) {
    EdsCameraRef camera = nullptr;
    EdsDeviceInfo info;
    ASSERT_EQ(EDS_ERR_OK, EdsGetChildAtIndex(list, i, &camera));
    ASSERT_EQ(EDS_ERR_OK, EdsGetDeviceInfo(camera, &info));
    seen += std::string(info.szPortName) + "|" + info.szDeviceDescription + "|" +
            std::to_string(info.deviceSubType) + "\n";
    EXPECT_EQ(0u, EdsRelease(camera));
  }
  EXPECT_EQ("sim:0|Canon EOS 5D Mark IV (simulated)|1\nsim:1|Canon EOS 350D (simulated)|0\n", seen);
  EdsCameraRef none = nullptr;
  EXPECT_EQ(EDS_ERR_INVALID_PARAMETER, EdsGetChildAtIndex(list, 2, &none));
  EXPECT_EQ(EDS_ERR_INVALID_PARAMETER, EdsGetChildAtIndex(list, -1, &none));
  EdsRelease(list);
  EdsSetBackend(nullptr);
}

TEST(SimWorldTest, InitialisationGatesTheSdk) {
  auto owned = std::make_unique<SimBackend>();
  SimBackend* sim = owned.get();
  sim->addCamera(defaultPtpBodyConfig());
  EdsSetBackend(std::move(owned));

  EdsCameraListRef list = nullptr;
  EXPECT_EQ(EDS_ERR_NOT_INITIALIZED, EdsGetCameraList(&list));
  sim->failInitialize(EDS_ERR_DEVICE_NOT_FOUND);
  EXPECT_EQ(EDS_ERR_DEVICE_NOT_FOUND, EdsInitializeSDK());
  EXPECT_EQ(EDS_ERR_NOT_INITIALIZED, EdsGetCameraList(&list));
  EXPECT_EQ(EDS_ERR_OK, EdsInitializeSDK());  // the fault was for one attempt
  ASSERT_EQ(EDS_ERR_OK, EdsGetCameraList(&list));
  EXPECT_EQ(EDS_ERR_OK, EdsTerminateSDK());
  EdsUInt32 count = 0;
  EXPECT_EQ(EDS_ERR_NOT_INITIALIZED, EdsGetChildCount(list, &count));
  EXPECT_EQ(0u, EdsRelease(list));  // references stay releasable after terminate
  EXPECT_EQ(0u, sim->liveObjectCount());
  EdsSetBackend(nullptr);
}

using SimReferenceTest = SimTest;

TEST_F(SimReferenceTest, EveryReferenceIsCountedFreedOnceAndOfItsKind) {
  sim_->addCamera(defaultPtpBodyConfig());
  EdsCameraListRef list = nullptr;
  ASSERT_EQ(EDS_ERR_OK, EdsGetCameraList(&list));
  EdsCameraRef first = nullptr;
  EdsCameraRef second = nullptr;
  ASSERT_EQ(EDS_ERR_OK, EdsGetChildAtIndex(list, 0, &first));
  ASSERT_EQ(EDS_ERR_OK, EdsGetChildAtIndex(list, 0, &second));
  EXPECT_EQ(first, second);  // one camera object, counted twice
  EXPECT_EQ(2u, sim_->liveObjectCount());
  EdsUInt32 value = 0;  // a list is no camera and no volume
  EXPECT_EQ(EDS_ERR_INVALID_HANDLE, EdsGetPropertyData(list, kEdsPropID_Tv, 0, 4, &value));
  EXPECT_EQ(EDS_ERR_INVALID_HANDLE, EdsSendCommand(list, kEdsCameraCommand_TakePicture, 0));
  EdsVolumeInfo volumeInfo;
  EXPECT_EQ(EDS_ERR_INVALID_HANDLE, EdsGetVolumeInfo(list, &volumeInfo));
  EXPECT_EQ(0u, EdsRelease(list));

  ASSERT_EQ(EDS_ERR_OK, EdsOpenSession(first));
  EdsVolumeRef volume = nullptr;
  ASSERT_EQ(EDS_ERR_OK, EdsGetChildAtIndex(first, 1, &volume));
  EXPECT_EQ(2u, sim_->liveObjectCount());
  EXPECT_EQ(0u, EdsRelease(volume));
  EXPECT_EQ(0xFFFFFFFFu, EdsRelease(volume));  // a second release is refused, not a crash

  EXPECT_EQ(1u, EdsRelease(second));
  EXPECT_TRUE(sim_->camera(0)->sessionOpen());
  EXPECT_EQ(0u, EdsRelease(first));
  EXPECT_FALSE(sim_->camera(0)->sessionOpen());  // the last reference closes the session
  EXPECT_EQ(0u, sim_->liveObjectCount());

  EdsDeviceInfo info;
  EXPECT_EQ(EDS_ERR_INVALID_HANDLE, EdsGetDeviceInfo(first, &info));
  EXPECT_EQ(EDS_ERR_INVALID_HANDLE, EdsOpenSession(nullptr));
}

using SimEventDeliveryTest = SimTest;

TEST_F(SimEventDeliveryTest, SpecificHandlerWinsAndHandlersRunOnTheBackendsThread) {
  EdsCameraRef camera = openNew(defaultPtpBodyConfig());
  SimEventRecorder specific;
  ASSERT_EQ(EDS_ERR_OK, EdsSetCameraStateEventHandler(camera, kEdsStateEvent_WillSoonShutDown,
                                                      &SimEventRecorder::onState, &specific));
  body_->fireStateEvent(kEdsStateEvent_WillSoonShutDown, 30);
  body_->fireStateEvent(kEdsStateEvent_InternalError, 5);
  EXPECT_EQ(Lines({"state 0x306 5"}), events());
  EXPECT_EQ(Lines({"state 0x303 30"}), specific.take());
  EXPECT_FALSE(recorder_.ranOn(std::this_thread::get_id()));  // on the backend's thread
}

TEST_F(SimEventDeliveryTest, CameraAddedAtRunTimeCallsTheHandler) {
  static std::atomic<int> calls{0};
  calls = 0;
  auto handler = [](void* context) -> EdsError {
    calls += 1;
    return EDS_ERR_OK;
  };
  sim_->addCamera(defaultPtpBodyConfig());  // before registration: no call
  ASSERT_EQ(EDS_ERR_OK, EdsSetCameraAddedHandler(handler, nullptr));
  sim_->waitIdle();
  EXPECT_EQ(0, calls.load());
  sim_->addCamera(defaultLegacyBodyConfig());
  sim_->waitIdle();
  EXPECT_EQ(1, calls.load());
  EXPECT_EQ(2u, listedCameras());
}

TEST_F(SimEventDeliveryTest, EventsOfAReleasedCameraAreDropped) {
  sim_->useManualTime();
  EdsCameraRef camera = openNew(defaultLegacyBodyConfig());
  body_->delayEvents(5000);
  ASSERT_EQ(EDS_ERR_OK, shoot(camera));
  after(17 + 300 + 200);  // stored; its events wait for their delay
  EXPECT_EQ(1u, body_->picturesStored());
  EXPECT_EQ(0u, EdsRelease(camera));
  // A new reference of the same body must not receive the old reference's events either.
  openCamera(0);
  EXPECT_EQ(Lines(), after(5000));
  EXPECT_EQ(1u, sim_->liveObjectCount());  // no directory item was made for nobody
}

TEST_F(SimEventDeliveryTest, HandlerMayReleaseItsOwnCamera) {
  EdsCameraRef camera = openNew(defaultPtpBodyConfig());
  auto onShutdown = [](EdsStateEvent, EdsUInt32, void* context) -> EdsError {
    EdsCloseSession(static_cast<EdsCameraRef>(context));
    EdsRelease(static_cast<EdsCameraRef>(context));
    return EDS_ERR_OK;
  };
  ASSERT_EQ(EDS_ERR_OK,
            EdsSetCameraStateEventHandler(camera, kEdsStateEvent_All, onShutdown, camera));
  body_->shutDownNow();
  sim_->waitIdle();
  EXPECT_EQ(0u, sim_->liveObjectCount());  // released by the handler
}

// A handler blocked on the event thread: a release from another thread must wait for it.
struct BlockingContext {
  CMtEvent entered;
  CMtEvent proceed;
  std::atomic<bool> exited{false};
};

TEST_F(SimEventDeliveryTest, ReleaseWaitsForARunningHandler) {
  EdsCameraRef camera = openNew(defaultPtpBodyConfig());
  BlockingContext context;
  auto blocking = [](EdsStateEvent, EdsUInt32, void* ctx) -> EdsError {
    auto* c = static_cast<BlockingContext*>(ctx);
    c->entered.set();
    c->proceed.waitFor(platform::kInfinite);
    c->exited = true;
    return EDS_ERR_OK;
  };
  ASSERT_EQ(EDS_ERR_OK,
            EdsSetCameraStateEventHandler(camera, kEdsStateEvent_All, blocking, &context));
  body_->fireStateEvent(kEdsStateEvent_InternalError, 1);
  ASSERT_EQ(platform::kWaitObject0, context.entered.waitFor(5000));
  bool exitedWhenReleased = false;
  std::thread releaser([&] {
    EdsRelease(camera);
    exitedWhenReleased = context.exited.load();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // let the release start waiting
  context.proceed.set();
  releaser.join();
  EXPECT_TRUE(exitedWhenReleased);
}

}  // namespace
