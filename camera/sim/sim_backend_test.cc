#include "camera/sim/sim_backend.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "camera/sim/sim_test_support.h"
#include "mt/mt_event.h"
#include "platform/event.h"

namespace {

using SimReferenceTest = SimTest;

TEST_F(SimReferenceTest, EveryReferenceIsCountedAndFreedOnce) {
  sim_->addCamera(defaultPtpBodyConfig());
  EdsCameraListRef list = nullptr;
  ASSERT_EQ(EDS_ERR_OK, EdsGetCameraList(&list));
  EdsCameraRef first = nullptr;
  EdsCameraRef second = nullptr;
  ASSERT_EQ(EDS_ERR_OK, EdsGetChildAtIndex(list, 0, &first));
  ASSERT_EQ(EDS_ERR_OK, EdsGetChildAtIndex(list, 0, &second));
  EXPECT_EQ(first, second);  // one camera object, counted twice
  EXPECT_EQ(2u, sim_->liveObjectCount());
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
}

TEST_F(SimReferenceTest, TheCommandLogKeepsOnlyTheLatestCalls) {
  EdsCameraRef camera = openNew(defaultPtpBodyConfig());
  for (EdsUInt32 i = 0; i < kSimCommandLogLines; ++i) {
    EXPECT_EQ(EDS_ERR_OK, EdsSetPropertyData(camera, kEdsPropID_Capacity, 0, 4, &i));
  }
  EdsUInt32 last = 0xFFFFFFFF;
  EXPECT_EQ(EDS_ERR_OK, EdsSetPropertyData(camera, kEdsPropID_Capacity, 0, 4, &last));
  const std::vector<std::string> log = body_->commandLog();
  ASSERT_EQ(kSimCommandLogLines, log.size());
  EXPECT_EQ("SetPropertyData 0x40b 0x1 -> 0x0", log.front());
  EXPECT_EQ("SetPropertyData 0x40b 0xffffffff -> 0x0", log.back());
}

using SimEventDeliveryTest = SimTest;

TEST_F(SimEventDeliveryTest, EventsOfAReleasedCameraAreDropped) {
  sim_->useManualTime();
  EdsCameraRef camera = openNew(defaultLegacyBodyConfig());
  body_->delayEvents(5000);
  ASSERT_EQ(EDS_ERR_OK, shoot(camera));
  after(17 + 300 + 584);  // stored (3.5 MB at 6 MB/s); its events wait for their delay
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

// A thousandfold hurry passes a model second in a real millisecond, less than a busy machine may
// take to wake the event thread. When the wait ends, the steps due by then must have run: here the
// thread is held up by an earlier step for far longer than the whole hurry lasts.
TEST_F(SimEventDeliveryTest, AHurriedWaitEndsWithTheStepsDueByThenDone) {
  sim_->setTimeScale(1.0);
  std::atomic<bool> done{false};
  const double start = sim_->modelTimeMs();
  sim_->runAfter(100, [] { std::this_thread::sleep_for(std::chrono::milliseconds(200)); });
  sim_->runAfter(500, [&done] { done = true; });
  const double end = start + 1000.0;
  sim_->hurry(1000.0, end);
  std::this_thread::sleep_for(
      std::chrono::duration<double, std::milli>(sim_->realMsUntil(end) + 1.0));
  sim_->endHurry();
  EXPECT_TRUE(done.load());
  EXPECT_GE(sim_->modelTimeMs(), end);
}

}  // namespace
