// The simulated camera SDK backend: virtual camera bodies in process, reached through the Eds*
// operations once installed with EdsSetBackend().
//
//   EdsSetBackend(createSimBackend());          // the default world (sim_world.h)
//
//   auto owned = std::make_unique<SimBackend>();  // tests: an empty world ...
//   SimBackend* sim = owned.get();
//   sim->setTimeScale(0.0);                       // ... whose model never waits for real
//   SimCamera* body = sim->addCamera(defaultPtpBodyConfig());
//   EdsSetBackend(std::move(owned));
//   ... Eds* calls ...
//   sim->waitIdle();                              // every due event has been delivered
//
// References: every EdsBaseRef handed out (camera list, camera, volume, directory item) is a
// counted object of this backend. The caller releases each once with EdsRelease; the object is
// freed at count 0. A reference that is not a live object of this backend is answered with
// EDS_ERR_INVALID_HANDLE (EdsRelease: 0xFFFFFFFF) instead of being used. Asking for the same
// camera twice gives the same camera object with its count raised; releasing its last reference
// closes the session, forgets the camera's handlers and drops its pending events. Objects still
// alive when the backend is destroyed are freed with it.
//
// Operations before EdsInitializeSDK (or after EdsTerminateSDK) answer EDS_ERR_NOT_INITIALIZED,
// except EdsRelease. Terminating drops pending events and forgets every handler. The first
// initialisation starts the event thread; when the system refuses a thread it answers
// EDS_ERR_INTERNAL_ERROR and the SDK stays uninitialised.
//
// Events: delivered on the backend's own event thread (one per backend), never on the caller's
// thread, with no backend lock held while a handler runs, and only while the program holds the
// camera's reference: events raised for an earlier reference of the body are dropped. Releasing a
// camera's last reference from another thread waits until a handler running for that camera has
// returned, so the handler's context (the program's camera object) may be destroyed right after.
// Handlers may call Eds* operations (also release the camera) on the event thread.
//
// Time: the model's times (exposure, processing, storage, delays, automatic power-off) are model
// milliseconds. With time scale s > 0 one model ms lasts s real ms (1.0 = real time). With 0 the
// model jumps from step to step without waiting: every shot completes at once, and delays only
// reorder events. With manual time the model stands still until advanceTime(), which runs the
// steps due on the way, each at its own model time; that is the mode for tests that look at what
// happens between two moments (busy buffers, late events, power-off warnings).
//
// Thread safety: every operation may be called from any thread.
#ifndef QUORVALE_CAMERA_SIM_SIM_BACKEND_H_
#define QUORVALE_CAMERA_SIM_SIM_BACKEND_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "camera/eds.h"
#include "camera/eds_backend.h"
#include "camera/sim/sim_body_config.h"
#include "camera/sim/sim_camera.h"

// The default world: camera 0 "Canon EOS 5D Mark IV (simulated)" on "sim:0" speaking PTP (sub
// type 1), camera 1 "Canon EOS 350D (simulated)" on "sim:1" speaking the legacy protocol (sub type
// 0), with time scale 1.0 (real time).
std::unique_ptr<EdsBackend> createSimBackend();

struct SimWorld;
// A backend holding |world| (sim_world.h): its bodies with their faults, later bodies joining on
// time. |timeScale| as setTimeScale(). |scriptNowUtc| is the script clock's reading now: the
// model runs at the script clock's rate, so a shutdown moment of the world is that many model ms
// away.
std::unique_ptr<SimBackend> createSimBackend(const SimWorld& world, double timeScale,
                                             uint64_t scriptNowUtc);

class SimBackend final : public EdsBackend {
 public:
  // An empty world (no cameras), time scale 1.0.
  SimBackend();
  // Stops the event thread (pending events are dropped; no handler runs afterwards) and frees the
  // bodies and every object still alive. REQUIRES: not called from a handler.
  ~SimBackend() override;
  SimBackend(const SimBackend&) = delete;
  SimBackend& operator=(const SimBackend&) = delete;

  // --- world control (tests) ---
  // Adds a body built from |config| at the end of the world and returns it (owned by the backend).
  // Camera lists taken afterwards include it. If a camera-added handler is registered, it is called
  // once on the event thread.
  SimCamera* addCamera(const SimBodyConfig& config);
  size_t cameraCount() const;
  SimCamera* camera(size_t index) const;  // null when out of range

  // The next EdsInitializeSDK answers |code| (0: succeeds).
  void failInitialize(EdsError code);
  // The system refuses the backend's event thread, as with a low process limit: the next
  // EdsInitializeSDK then answers EDS_ERR_INTERNAL_ERROR.
  void refuseEventThread();

  // Runs |step| on the event thread |delayMs| model ms from now, with no lock held (it may use the
  // world controls above and the bodies' controls).
  void runAfter(uint64_t delayMs, std::function<void()> step);

  // Time scale: real ms per model ms (0 = no waiting at all). Leaves manual time.
  void setTimeScale(double scale);
  // Manual time: the model stands still until advanceTime() moves it forward.
  void useManualTime();
  void advanceTime(uint32_t ms);
  // Model milliseconds since the backend was created.
  uint64_t modelNowMs() const;

  // A rehearsal's waits: from now the model runs |factor| times faster than its time scale until
  // it reaches |untilMs|, then at its scale again. endHurry(), as a wait ends: at its scale from
  // now on (at once, if the hurry is still under way), and returns once every step due by now has
  // run, so that what the caller does next meets the bodies as they are at the wait's end (not
  // from a handler). modelTimeMs() is the model time with its fraction; realMsUntil() the real ms
  // until the model reaches |modelMs| at the pace set now. See sim_event_queue.h.
  void hurry(double factor, double untilMs);
  void endHurry();
  double modelTimeMs() const;
  double realMsUntil(double modelMs) const;

  // Blocks until no event or model step is due at the current model time and none is running
  // (with time scale 0: until nothing is pending at all; with manual time: until the model has
  // reached the time advanceTime() set). REQUIRES: not called from a handler.
  void waitIdle();

  // Number of objects handed out and not yet freed (lists, cameras, volumes, directory items).
  size_t liveObjectCount() const;

  // --- EdsBackend ---
  EdsError InitializeSDK() override;
  EdsError TerminateSDK() override;
  EdsUInt32 Release(EdsBaseRef ref) override;
  EdsError GetCameraList(EdsCameraListRef* outList) override;
  EdsError GetChildCount(EdsBaseRef parent, EdsUInt32* outCount) override;
  EdsError GetChildAtIndex(EdsBaseRef parent, EdsInt32 index, EdsBaseRef* outChild) override;
  EdsError GetDeviceInfo(EdsCameraRef camera, EdsDeviceInfo* outInfo) override;
  EdsError OpenSession(EdsCameraRef camera) override;
  EdsError CloseSession(EdsCameraRef camera) override;
  EdsError GetPropertyData(EdsBaseRef ref, EdsPropertyID property, EdsInt32 param, EdsUInt32 size,
                           void* outData) override;
  EdsError SetPropertyData(EdsBaseRef ref, EdsPropertyID property, EdsInt32 param, EdsUInt32 size,
                           const void* data) override;
  EdsError GetPropertyDesc(EdsBaseRef ref, EdsPropertyID property,
                           EdsPropertyDesc* outDesc) override;
  EdsError GetVolumeInfo(EdsVolumeRef volume, EdsVolumeInfo* outInfo) override;
  EdsError SendCommand(EdsCameraRef camera, EdsCameraCommand command, EdsInt32 param) override;
  EdsError SendStatusCommand(EdsCameraRef camera, EdsCameraStatusCommand command,
                             EdsInt32 param) override;
  EdsError SetCameraAddedHandler(EdsCameraAddedHandler handler, void* context) override;
  EdsError SetObjectEventHandler(EdsCameraRef camera, EdsObjectEvent event,
                                 EdsObjectEventHandler handler, void* context) override;
  EdsError SetCameraStateEventHandler(EdsCameraRef camera, EdsStateEvent event,
                                      EdsStateEventHandler handler, void* context) override;
  EdsError SetPropertyEventHandler(EdsCameraRef camera, EdsPropertyEvent event,
                                   EdsPropertyEventHandler handler, void* context) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

#endif  // QUORVALE_CAMERA_SIM_SIM_BACKEND_H_
