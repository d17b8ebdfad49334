// Puts a SimWorld into a fresh backend: bodies, their faults and what happens later on time.
#include <utility>

#include "camera/sim/sim_backend.h"
#include "camera/sim/sim_world.h"

namespace {

void applyPlan(SimCamera* body, const SimBodyPlan& plan) {
  body->failOpenSession(plan.sessionError);
  for (const auto& fault : plan.readErrors) body->failPropertyRead(fault.first, fault.second);
  for (const auto& fault : plan.writeErrors) body->failPropertyWrite(fault.first, fault.second);
  for (const auto& fault : plan.descErrors) body->failPropertyDesc(fault.first, fault.second);
  body->setUiLockResult(plan.uiLockResult);
  body->refuseTakePicture(plan.takeRefusal);
  body->refuseExtendShutdown(plan.extendRefusal);
  body->delayEvents(plan.eventDelayMs);
  for (const auto& fault : plan.shotFaults) body->planShotFault(fault.first, fault.second);
  if (plan.shutdownAfterShots > 0) body->shutDownAfterShots(plan.shutdownAfterShots);
  if (plan.backAfterMs) body->comeBackAfter(*plan.backAfterMs);
}

}  // namespace

std::unique_ptr<SimBackend> createSimBackend(const SimWorld& world, double timeScale,
                                             uint64_t scriptNowUtc) {
  auto backend = std::make_unique<SimBackend>();
  backend->setTimeScale(timeScale);
  backend->failInitialize(world.initializeError);
  SimBackend* sim = backend.get();
  for (const SimBodyPlan& plan : world.bodies) {
    // Model ms from now to the shutdown moment, counted from when the body joins.
    uint64_t shutdownMs = 0;
    if (plan.shutdownAtUtc && *plan.shutdownAtUtc > scriptNowUtc) {
      shutdownMs = (*plan.shutdownAtUtc - scriptNowUtc) / 10000;
    }
    shutdownMs = shutdownMs > plan.addedAfterMs ? shutdownMs - plan.addedAfterMs : 0;
    auto shutdownAt = [sim, plan, shutdownMs](SimCamera* body) {
      if (plan.shutdownAtUtc) sim->runAfter(shutdownMs, [body] { body->shutDownNow(); });
    };
    if (plan.addedAfterMs == 0) {
      SimCamera* body = sim->addCamera(plan.config);
      applyPlan(body, plan);
      shutdownAt(body);
    } else {
      sim->runAfter(plan.addedAfterMs, [sim, plan, shutdownAt] {
        SimCamera* body = sim->addCamera(plan.config);
        applyPlan(body, plan);
        shutdownAt(body);
      });
    }
  }
  return backend;
}
