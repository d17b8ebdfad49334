#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <utility>

#include "camera/camera_test_support.h"
#include "camera/canon_camera.h"
#include "mt/mt_event.h"
#include "platform/clock.h"
#include "platform/event.h"

namespace {

using camera_test::SimCameraTest;

class CanonEventsTest : public SimCameraTest {
 protected:
  // A fresh reference owned by the caller: the first volume of the open camera.
  EdsBaseRef freshRef() {
    EdsBaseRef ref = nullptr;
    EXPECT_EQ(0u, EdsGetChildAtIndex(camera_->cameraRef(), 0, &ref));
    return ref;
  }
};

// Object callbacks give back their reference on every path; handlers without a camera do nothing;
// events without meaning are only traced. The shutdown timer's extension is checked end to end.
TEST_F(CanonEventsTest, CallbacksReleaseTheirReferencesAndEventsWithoutMeaningAreTraced) {
  open(0);
  const size_t live = sim_->liveObjectCount();

  EXPECT_EQ(0u, CCanonCamera::OnObject(kEdsObjectEvent_DirItemCreated, freshRef(), nullptr));
  EXPECT_EQ(0u, CCanonCamera::OnObject(0x20B, freshRef(), camera_.get()));
  EXPECT_EQ(0u, CCanonCamera::OnObject(kEdsObjectEvent_DirItemRequestTransferDT, freshRef(),
                                       camera_.get()));
  // Events the body raises itself carry references that the handlers give back.
  ptpBody_->fireObjectEvent(kEdsObjectEvent_DirItemRemoved);
  ptpBody_->fireObjectEvent(kEdsObjectEvent_FolderUpdateItems);
  sim_->waitIdle();  // they come on the body's thread; the calls below trace after them
  EXPECT_EQ(0u, CCanonCamera::OnState(kEdsStateEvent_Shutdown, 0, nullptr));
  EXPECT_EQ(0u, CCanonCamera::OnProperty(0x103, 0x406, 2, nullptr));
  EXPECT_EQ(0u, CCanonCamera::OnState(0x309, 7, camera_.get()));
  EXPECT_EQ(0u, CCanonCamera::OnState(kEdsStateEvent_ShutDownTimerUpdate, 5, camera_.get()));
  EXPECT_EQ(0u, CCanonCamera::OnProperty(0x103, 0x406, 2, camera_.get()));
  EXPECT_EQ(
      "OnObject: event=0x20b ref=$REF\n"
      "OnObjectDirItemRequestTransferDT: arrayRef=$REF\n"
      "OnObjectDirItemRemoved: ref=$REF\n"
      "OnObjectFolderUpdateItems: ref=$REF\n"
      "OnState: event=0x309 data=7\nOnProperty event=0x103 property=0x406 param=2\n",
      traces());
  EXPECT_EQ(live, sim_->liveObjectCount());
  EXPECT_EQ(0u, camera_->sessionStatus());
}

TEST_F(CanonEventsTest, PtpNewFileOnlyInvalidatesTheVolumes) {
  open(0);
  ASSERT_TRUE(camera_->AllocCameraBuffer());
  camera_->getVolumeCapacity();
  ASSERT_TRUE(camera_->volumesValid());
  traces();
  ptpBody_->fireObjectEvent(kEdsObjectEvent_DirItemCreated);
  EXPECT_EQ("OnObjectDirItemCreated: ref=$REF\n", traces());
  EXPECT_FALSE(camera_->volumesValid());
  EXPECT_EQ(1u, camera_->buffersInUse());

  // Job status events mean nothing on a legacy body.
  camera_.reset();
  open(1);
  ASSERT_TRUE(camera_->AllocCameraBuffer());
  traces();
  legacyBody_->fireStateEvent(kEdsStateEvent_JobStatusChanged, 1);
  legacyBody_->fireStateEvent(kEdsStateEvent_JobStatusChanged, 0);
  EXPECT_EQ("OnStateJobStatusChanged: need transfer=1\nOnStateJobStatusChanged: need transfer=0\n",
            traces());
  EXPECT_EQ(1u, camera_->buffersInUse());
}

TEST_F(CanonEventsTest, ShutdownClosesTheSessionAndRefreshesTheOwnersList) {
  open(1);
  ASSERT_EQ(2u, sdk_->getCameraCount());
  camera_test::ConsoleCapture console;  // told the camera is lost, as checked end to end
  legacyBody_->shutDownNow();
  // The body is gone already: the unlock and the close are refused.
  EXPECT_EQ(
      "OnStateShutdown / remove camera\n"
      "SendStatusCommand error: 000000c1 Port disconnected\n"
      "Close session error: 000000c1 Port disconnected\n"
      "Camera lost: Canon EOS 350D (simulated)\n",
      traces());
  EXPECT_EQ(kSessionNotOpen, camera_->sessionStatus());
  EXPECT_EQ(1u, sdk_->getCameraCount());
  EXPECT_EQ(kSessionNotOpen, camera_->updateVolumes());
  camera_.reset();
  EXPECT_EQ("Session not open\n", traces());
}

// An owner whose list refresh is slow: its shutdown handler still runs when the camera goes.
class SlowRemovalInterface final : public CCanonInterface {
 public:
  EdsError OnCameraRemoved() override {
    removing.set();
    platform::sleepMs(50);
    EdsError code = CCanonInterface::OnCameraRemoved();
    returned = true;
    return code;
  }
  CMtEvent removing;
  std::atomic<bool> returned{false};
};

TEST_F(CanonEventsTest, DeletingACameraWaitsForItsRunningShutdownHandler) {
  auto owner = std::make_unique<SlowRemovalInterface>();
  SlowRemovalInterface* slow = owner.get();
  sdk_ = std::move(owner);
  camera_ = sdk_->NewCamera(0);
  ptpBody_->shutDownNow();
  ASSERT_EQ(platform::kWaitObject0, slow->removing.waitFor(5000));
  // The session is closed already: only the handler can keep the camera waiting.
  camera_.reset();
  EXPECT_TRUE(slow->returned);
  EXPECT_EQ("OnStateShutdown / remove camera\n",
            camera_test::linesStartingWith(traces(), {"OnStateShutdown"}));
}

}  // namespace
