#include "check/plan_backend.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "camera/canon_camera.h"
#include "camera/canon_interface.h"
#include "camera/sim/sim_backend.h"
#include "camera/sim/sim_world.h"

namespace {

class Recorder final : public PlanBackendListener {
 public:
  void onPlannedWrite(EdsPropertyID property, EdsUInt32 value) override {
    lines.push_back("write " + std::to_string(property) + "=" + std::to_string(value));
  }
  void onPlannedShot(EdsUInt32 tv, EdsUInt32 quality, bool legacyBody) override {
    lines.push_back("shot tv=" + std::to_string(tv) + " quality=" + std::to_string(quality) +
                    (legacyBody ? " legacy" : " ptp"));
  }
  std::vector<std::string> lines;
};

// A legacy body behind the planning layer, reached through the camera code as a check does: the
// body is never written to. (Its qualities and timing are tested end to end against a run.)
TEST(PlanBackendTest, TheBodyActsOnNothingAndShotsCompleteAtOnce) {
  Recorder recorder;
  auto sim = std::make_unique<SimBackend>();
  sim->setTimeScale(0.0);
  SimCamera* body = sim->addCamera(defaultLegacyBodyConfig());
  const EdsUInt32 bodyTv = body->propertyValue(kEdsPropID_Tv);
  const EdsUInt32 bodyShots = body->propertyValue(kEdsPropID_AvailableShots);
  EdsSetBackend(createPlanBackend(std::move(sim), &recorder));
  {
    CCanonInterface sdk;
    std::unique_ptr<CCanonCamera> camera = sdk.NewCamera(0);
    ASSERT_NE(nullptr, camera);
    ASSERT_EQ(0u, camera->sessionStatus());
    // Seen as PTP, so the camera code never sits in the legacy protocol's real-time waits.
    EXPECT_NE(0u, camera->protocol());
    recorder.lines.clear();  // the session's own initial writes

    // A value the body's description does not list is refused as the body refuses it.
    EXPECT_EQ(0x86u, camera->setISO("6"));
    EXPECT_EQ(0u, camera->setTv("1/250"));
    camera->Lock();
    EXPECT_EQ(0u, camera->takePicture());
    EXPECT_EQ(0u, camera->takePicture());
    camera->Unlock();
    EXPECT_EQ(0u, camera->buffersInUse());  // both shots completed and freed their buffer

    EXPECT_EQ(bodyTv, body->propertyValue(kEdsPropID_Tv));
    EXPECT_EQ(bodyShots, body->propertyValue(kEdsPropID_AvailableShots));
    EXPECT_EQ(0u, body->picturesStored());
    EXPECT_FALSE(body->uiLocked());
    const EdsUInt32 quality = body->propertyValue(kEdsPropID_ImageQuality);
    const std::string shot = "shot tv=120 quality=" + std::to_string(quality) + " legacy";
    EXPECT_EQ((std::vector<std::string>{"write 1030=120", shot, shot}), recorder.lines);
  }
  EdsSetBackend(nullptr);
}

}  // namespace
