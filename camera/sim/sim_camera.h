// A simulated camera body: its session, cards, battery, properties with their descriptions, UI
// lock, commands and capture model, plus the controls tests use to inject faults and observe it.
//
// A SimCamera is owned by its SimBackend and lives exactly as long as the backend; the pointers
// that SimBackend::addCamera() and SimBackend::camera() return stay valid until then. The program
// reaches a body only through the Eds* operations; tests also call the public operations below.
//
// Thread safety: every public operation may be called from any thread. All state is guarded by the
// backend's world mutex (shared by every body of the backend); public operations take it
// themselves, so they must not be called while a test holds up the event thread inside a handler
// that waits for them. Events that a control raises are delivered later on the backend's event
// thread, never on the caller's.
//
// Behaviour of the body as the program sees it:
//  - Session: OpenSession fails with the code set by failOpenSession(), otherwise opens (opening an
//    open session answers 0). Property access, descriptions, volumes and commands need the session
//    and answer EDS_ERR_SESSION_NOT_OPEN (0x2003) without it. The session closes on CloseSession,
//    when the program releases its last reference to the camera, and at shutdown.
//  - Properties: writes of a code the description does not list are answered 0x86 and change
//    nothing; read-only properties (0x08, 0x40A) answer EDS_ERR_NOT_SUPPORTED; an unknown property
//    answers EDS_ERR_NOT_SUPPORTED. Every accepted write fires property-changed (0x101) with the
//    property and parameter 0, also when the value stays the same; a write of the image quality
//    that changes the available shots also fires 0x101 for 0x40A.
//  - Available shots (0x40A): the sum over writable volumes of free space / image size of the
//    current image quality.
//  - Status commands: 0 locks the UI (answered with the setUiLockResult() code, 0 by default), 1
//    unlocks it (always 0); others EDS_ERR_NOT_SUPPORTED. Commands: 0 take picture (see
//    sim_capture_model.h), 1 extend shutdown (answered with refuseExtendShutdown()'s code);
//    others EDS_ERR_NOT_SUPPORTED.
//  - After shutdown (shutDownNow() or shutDownAfterShots()) the body fires 0x301, closes its
//    session, leaves new camera lists, and answers every operation on its reference with
//    EDS_ERR_COMM_DISCONNECTED (0xC1).
#ifndef QUORVALE_CAMERA_SIM_SIM_CAMERA_H_
#define QUORVALE_CAMERA_SIM_SIM_CAMERA_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "camera/eds.h"
#include "camera/sim/sim_body_config.h"

class SimBackend;
class SimHost;

// The code a body answers for a property value its description does not list.
constexpr EdsError kSimErrInvalidPropertyValue = 0x86;

// How many calls a body's command log keeps.
constexpr size_t kSimCommandLogLines = 512;

// Which events of a shot a fault removes (see SimCamera::loseShotEvents).
enum class SimLostEvents {
  kCompletion,  // PTP: job status 0 is lost; legacy: the new directory item is lost
  kAll,         // every event of the shot is lost (PTP: both job status events)
};

// What goes wrong with one shot of a body; shots are counted by the take-picture commands the
// body receives (accepted or refused), from 1.
struct SimShotFault {
  bool busy = false;            // the release is refused busy (0x81)
  EdsUInt32 captureError = 0;   // nonzero: the shot fails with this capture error
  bool lostCompletion = false;  // the completion event is lost
  bool lostAll = false;         // every event of the shot is lost
  uint32_t lateMs = 0;          // the shot's events come this many model ms late
};

class SimCamera final {
 public:
  SimCamera(const SimCamera&) = delete;
  SimCamera& operator=(const SimCamera&) = delete;
  ~SimCamera();

  // --- identity ---
  EdsDeviceInfo deviceInfo() const;
  bool isPtp() const;

  // --- faults (each stays in force until changed; a code of 0 removes it) ---
  void failOpenSession(EdsError code);
  void failPropertyRead(EdsPropertyID property, EdsError code);
  void failPropertyWrite(EdsPropertyID property, EdsError code);
  void failPropertyDesc(EdsPropertyID property, EdsError code);
  void setUiLockResult(EdsError code);    // e.g. EDS_ERR_NOT_SUPPORTED (7)
  void refuseTakePicture(EdsError code);  // e.g. EDS_ERR_DEVICE_BUSY (0x81)
  void refuseExtendShutdown(EdsError code);

  // --- body state ---
  void setVolumes(const std::vector<SimVolume>& volumes);  // 1 to 6 volumes
  void setBattery(EdsUInt32 raw);  // raw value of 0x08, e.g. 0xFFFFFFFF; fires 0x101 for 0x08
  // Sets a property value directly (as the photographer turning a dial would) and fires 0x101;
  // no description check, so tests can put a body into a state its description does not list.
  // 0x08 sets the battery; 0x40A cannot be set (it follows the cards and the image quality).
  void setPropertyValue(EdsPropertyID property, EdsUInt32 value);
  void setBufferLimit(uint32_t shots);
  void setProcessingMs(uint32_t ms);  // slow processing: longer time before the buffer frees
  void setStoreMs(uint32_t ms);
  // Automatic power-off: after |idleMs| model ms without an accepted command, property write or
  // session open, the body fires will-soon-shut-down (0x303) with |warnSeconds|; unless a command
  // is accepted (the extend-shutdown command, typically) within |warnSeconds| s, it shuts down
  // (0x301). An idle time of 0 turns it off. With time scale 0 it is not armed (idle time would
  // pass at once), so tests of it use manual time.
  void setAutoPowerOff(uint32_t idleMs, uint32_t warnSeconds);

  // --- capture faults (one-shot or counted) ---
  // The next stored shot fails instead with capture error (0x305) |error|; no image is stored.
  void failNextShot(EdsUInt32 error);
  // The events of the next |shots| shots are lost as |what| says (the image is still stored).
  void loseShotEvents(uint32_t shots, SimLostEvents what);
  // Every event of a shot (and of property writes) is delivered |ms| model ms late.
  void delayEvents(uint32_t ms);
  // The take-picture command number |shot| (from 1, counted since the body was made) meets
  // |fault|; replaces an earlier plan for that shot.
  void planShotFault(uint32_t shot, const SimShotFault& fault);
  // Fires 0x301 and powers the body off (see above). At once, or when the |shots|-th further shot
  // has finished, stored or failed (its events are sent first).
  void shutDownNow();
  void shutDownAfterShots(uint32_t shots);
  // The body is switched on again |ms| model ms after it went off (counted from now when it is off
  // already, else from its next shutdown), as a body switched off and on or a cable plugged in
  // again: it is listed again, a new reference to it opens a session, and the camera-added
  // handler is called.
  void comeBackAfter(uint64_t ms);

  // --- raising arbitrary events (delivered on the event thread if a handler is registered) ---
  void fireStateEvent(EdsStateEvent event, EdsUInt32 data);
  void firePropertyEvent(EdsPropertyEvent event, EdsPropertyID property, EdsUInt32 param);
  // The handler receives a fresh reference (a directory item) that it owns and releases.
  void fireObjectEvent(EdsObjectEvent event);

  // --- observation ---
  bool sessionOpen() const;
  bool poweredOn() const;
  bool uiLocked() const;
  EdsUInt32 propertyValue(EdsPropertyID property) const;  // 0x08 and 0x40A derived as the body does
  uint32_t picturesStored() const;
  uint32_t shotsInBuffer() const;  // accepted shots whose image has not left the body's buffer
  std::vector<SimVolume> volumes() const;
  // The last kSimCommandLogLines Eds* calls the body received (older ones are dropped, so a long
  // run does not grow the log), one line each, in order, e.g.
  //   "OpenSession -> 0x0", "SetPropertyData 0x406 0x78 -> 0x0", "GetPropertyData 0x8 -> 0x0",
  //   "GetPropertyDesc 0x405 -> 0x0", "SendCommand 0 -> 0x0", "SendStatusCommand 1 -> 0x0",
  //   "GetVolumeInfo 0 -> 0x0", "CloseSession -> 0x0".
  std::vector<std::string> commandLog() const;
  void clearCommandLog();

 private:
  friend class SimBackend;
  friend class SimCaptureModel;
  struct State;

  // |host| and |worldMutex| belong to the owning backend and outlive the body.
  SimCamera(SimHost* host, std::mutex* worldMutex, const SimBodyConfig& config);

  // The body's answers to the Eds* operations, each logged. REQUIRES: *mutex_ held.
  EdsError openSessionLocked();
  EdsError closeSessionLocked();
  EdsError getPropertyLocked(EdsPropertyID property, EdsUInt32 size, void* out);
  EdsError setPropertyLocked(EdsPropertyID property, EdsUInt32 size, const void* data);
  EdsError getPropertyDescLocked(EdsPropertyID property, EdsPropertyDesc* out);
  EdsError volumeCountLocked(EdsUInt32* out);
  EdsError volumeInfoLocked(size_t index, EdsVolumeInfo* out);
  EdsError sendCommandLocked(EdsCameraCommand command, EdsInt32 param);
  // A take-picture command with the fault planned for its number, if any.
  EdsError takePlannedPictureLocked(EdsInt32 param);
  EdsError sendStatusCommandLocked(EdsCameraStatusCommand command, EdsInt32 param);
  // The program let go of its last camera reference: close the session, free the UI.
  void releasedLocked();
  EdsDeviceInfo deviceInfoLocked() const;
  // Starts the automatic power-off's idle time again (activity of the program).
  void rearmAutoPowerOffLocked();
  void shutDownLocked();
  void scheduleComeBackLocked(uint64_t ms);
  // Uses one shot's share of the battery; shuts the body down and returns false when it is empty.
  bool drainBatteryLocked();
  // The battery level now (raw 0x08 value; a drained level never goes below 0).
  EdsUInt32 batteryLocked() const;
  EdsUInt32 propertyValueLocked(EdsPropertyID property) const;
  EdsUInt32 availableShotsLocked() const;
  void logLocked(const std::string& line);

  SimHost* const host_;
  std::mutex* const mutex_;             // the backend's world mutex
  const std::unique_ptr<State> state_;  // guarded by *mutex_
};

#endif  // QUORVALE_CAMERA_SIM_SIM_CAMERA_H_
