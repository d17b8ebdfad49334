// The inside of SimBackend: the world (bodies and live objects) under one mutex, the event queue,
// and the delivery of events to the program's handlers. Internal to camera/sim/.
//
// Lock order: the world mutex, then the queue's own mutex (taken inside schedule()). No lock is
// held while a handler of the program runs.
#ifndef QUORVALE_CAMERA_SIM_SIM_BACKEND_IMPL_H_
#define QUORVALE_CAMERA_SIM_SIM_BACKEND_IMPL_H_

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "camera/sim/sim_backend.h"
#include "camera/sim/sim_camera.h"
#include "camera/sim/sim_camera_state.h"
#include "camera/sim/sim_event_queue.h"
#include "camera/sim/sim_host.h"
#include "camera/sim/sim_objects.h"

struct SimBackend::Impl final : SimHost {
  Impl() = default;
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  // SimHost. REQUIRES (post*): world held.
  void postStateEvent(SimCamera* body, EdsStateEvent event, EdsUInt32 data,
                      uint64_t delayMs) override;
  void postPropertyEvent(SimCamera* body, EdsPropertyEvent event, EdsPropertyID property,
                         EdsUInt32 param, uint64_t delayMs) override;
  void postObjectEvent(SimCamera* body, EdsObjectEvent event, uint64_t delayMs) override;
  void postCameraAdded() override { postCameraAddedLocked(); }
  void schedule(uint64_t delayMs, std::function<void()> step) override;
  uint64_t modelNowMs() const override;
  bool timeJumps() const override;

  // REQUIRES: world held. The live object |ref| when it is one of ours of |kind|, else null.
  SimObject* findLocked(EdsBaseRef ref, SimObject::Kind kind) const;
  // REQUIRES: world held. Registers a new object with one reference.
  SimObject* addObjectLocked(SimObject::Kind kind, SimCamera* body);
  // REQUIRES: world held. The body's state when an event raised for reference |epoch| may still
  // be delivered, else null.
  SimCamera::State* targetLocked(SimCamera* body, uint64_t epoch) const;
  // REQUIRES: world held through |lock|. Waits until no handler runs for |state| (unless on the
  // event thread, where the running handler may be the caller).
  void waitDeliveriesLocked(std::unique_lock<std::mutex>* lock, SimCamera::State* state);
  // Queues the camera-added callback.
  void postCameraAddedLocked();

  mutable std::mutex world;
  std::condition_variable deliveryDone;  // signalled, with world, when a handler call ends
  // Guarded by world:
  std::vector<std::unique_ptr<SimCamera>> cameras;
  std::map<EdsObject*, std::unique_ptr<SimObject>> objects;
  bool initialized = false;
  EdsError initFault = EDS_ERR_OK;
  EdsCameraAddedHandler addedHandler = nullptr;
  void* addedContext = nullptr;

  // Last: destroyed first, so that no step runs while the world is torn down.
  SimEventQueue queue;
};

#endif  // QUORVALE_CAMERA_SIM_SIM_BACKEND_IMPL_H_
