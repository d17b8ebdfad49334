// CCanonCamera: one opened camera. The constructor opens the SDK session and reads the device's
// state; destruction closes the session. It holds the capture settings that scripts change, the
// camera's UI lock (its CMtObject Lock/Unlock, nesting), shots with their buffer accounting, the
// readers and writers of the seven named properties, and the handlers of the SDK's object, state
// and property events (called on the backend's event thread).
//
// Ownership: created by CCanonInterface::NewCamera and owned by its caller; the camera owns its
// SDK reference (released once by closeSession). The owning interface must outlive the camera.
//
// Thread safety: every operation may be called from any thread. lock_ (a recursive
// CMtCriticalSection) guards every field marked "guarded by lock_", the SDK reference included;
// SDK calls on the reference are made with lock_ held, except the final close and release, which
// closeSession makes after detaching the reference. lock_ is never held while waiting on an event,
// and the camera never calls its owner with lock_ held (lock order: interface lock, then lock_,
// then the output lock). Handlers therefore never wait long on the script thread.
// REQUIRES of the backend: no Eds* call on the camera waits for an event handler to finish.
#ifndef QUORVALE_CAMERA_CANON_CAMERA_H_
#define QUORVALE_CAMERA_CANON_CAMERA_H_

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "camera/canon_obj.h"
#include "camera/eds.h"
#include "camera/frame_fate.h"
#include "camera/frame_ledger.h"
#include "mt/mt_critical_section.h"
#include "mt/mt_event.h"
#include "mt/mt_object.h"

class CCanonInterface;
class CFrameRecord;
class PropertyTable;
namespace platform {
class Event;
}
class CodePairTable;

// Codes the camera sets itself.
constexpr EdsError kCameraNotAllocated = 0x3;    // the camera object could not be created
constexpr EdsError kNameNotInTable = 0x7;        // a property name no table row has
constexpr EdsError kNoSuchCamera = 0x80;         // no camera at an index, or no reference
constexpr EdsError kSessionNotOpen = 0x2003;     // the session is not (or no longer) open
constexpr EdsError kSdkNotInitialised = 0xA102;  // the SDK did not initialise
// takePicture's result when the stop event ended its wait: the shot's fate is not known. Outside
// the SDK's codes and the capture errors' results.
constexpr EdsError kShotWaitStopped = 0xCF000001u;

// Capture setting defaults.
constexpr uint32_t kDefaultShotTimeoutMs = 450;
constexpr double kDefaultTimeMultiplier = 1.0;
constexpr uint32_t kDefaultAllocBufferTimeoutMs = 5000;
constexpr uint32_t kDefaultBufferSize = 5;

constexpr size_t kMaxVolumes = 4;

class CCanonCamera : public CCanonObj, public CMtObject {
 public:
  // Takes over |cameraRef| (may be null: the session then fails with 0x80) and opens the session.
  // The outcome is in lastError() and sessionStatus() (0 = open). |owner| is told when the
  // camera shuts down (may be null).
  CCanonCamera(EdsCameraRef cameraRef, CCanonInterface* owner);
  // closeSession(), then waits until no event handler of the camera runs any more.
  ~CCanonCamera() override;

  // --- Session and device state (canon_camera.cc) ---

  // Unlocks the UI and closes an open session, then releases a held reference. Afterwards the
  // session status is 0x2003 and the device and volume records are cleared. Idempotent.
  virtual void closeSession();
  void release() override { closeSession(); }

  // With the session open copies the device record and returns 0; otherwise returns lastError()
  // and leaves |record| as it was.
  EdsError getDeviceInfo(EdsDeviceInfo* record);

  // Re-reads up to four volumes and their sums. Returns the SDK code (0x2003 without a session).
  EdsError updateVolumes();
  // Total capacity and free space of writable volumes in bytes, and the free percentage (0.0
  // when the capacity is 0); each re-reads the volumes first when they are not valid.
  uint64_t getVolumeCapacity();
  uint64_t getFreeSpace();
  double getFreePercent();

  // Re-reads the battery level. Returns the SDK code (0x2003 without a session).
  EdsError updateBatteryLevel();
  // The battery level 0-100, 101 for a reading above 100; re-read when not valid.
  int32_t getBatteryLevel();

  // Reads a 4-byte property value. Returns the SDK code (0x2003 without a session), kept in
  // lastError(); *value is written only on success.
  EdsError readProperty(EdsPropertyID property, EdsUInt32* value);

  EdsError SendCommand(EdsCameraCommand command);
  EdsError SendStatusCommand(EdsCameraStatusCommand command);

  // The camera's UI lock, with a nesting count. The first level sends the UI lock status
  // command; the level that brings the count to 0 sends the unlock. Both always return 0.
  int32_t Lock() override;
  int32_t Unlock() override;

  // Capture settings; each setter returns the previous value. No range check.
  uint32_t getShotTimeout();
  uint32_t setShotTimeout(uint32_t ms);
  double getTimeMultiplier();
  double setTimeMultiplier(double multiplier);
  uint32_t getAllocBufferTimeout();
  uint32_t setAllocBufferTimeout(uint32_t ms);
  uint32_t getBufferSize();
  uint32_t setBufferSize(uint32_t count);

  // Observers.
  EdsError lastError();
  void setLastError(EdsError code);
  EdsError sessionStatus();
  EdsCameraRef cameraRef();
  uint32_t protocol();  // 0 = legacy protocol, else PTP
  bool uiLocked();
  uint32_t uiLockCount();
  bool avCodeVariant();
  bool tvCodeVariant();
  uint32_t buffersInUse();
  uint32_t volumeCount();
  bool volumesValid() const { return volumesValid_.load(); }
  bool batteryValid() const { return batteryValid_.load(); }

  // --- A body that comes back (canon_camera_reconnect.cc) ---
  // A camera of an interface whose body shut down or went away is lost: it says so on the
  // console, keeps the script's UI lock nesting, and its interface offers it every body that
  // arrives. The same body is one of the same model with the same serial number, or, for bodies
  // that tell none, on the same port.

  // True while the body is lost and not back.
  bool isLost();
  // Whether the listed body of |record| may be the lost one (its serial number is only known once
  // a session with it is open).
  bool mayBeLostBody(const EdsDeviceInfo& record);
  // Takes over |cameraRef| and opens a session with it. When it is the lost body, the session
  // stays open, the UI lock is taken again if the script held it, "Camera back" is printed and the
  // result is true; otherwise the reference is closed and released, and the result is false.
  bool reconnect(EdsCameraRef cameraRef);

  // --- Named properties (canon_camera_properties.cc) ---
  // Setters: 7 when |name| is in no row (nothing sent, lastError() unchanged), 0x2003 without a
  // session, else the SDK code of the write. Getters: fill |buffer| (|size| bytes, cleared first)
  // with the value's display name ("?" or a decoded image quality for a value without a row) and
  // return 0; on failure return the code and leave |buffer| untouched.
  EdsError setTv(const char* name);
  EdsError getTv(char* buffer, size_t size);
  EdsError setAv(const char* name);
  EdsError getAv(char* buffer, size_t size);
  EdsError setISO(const char* name);
  EdsError getISO(char* buffer, size_t size);
  EdsError setImageQuality(const char* name);
  EdsError getImageQuality(char* buffer, size_t size);
  EdsError setAEMode(const char* name);
  EdsError getAEMode(char* buffer, size_t size);
  EdsError setDriveMode(const char* name);
  EdsError getDriveMode(char* buffer, size_t size);
  EdsError setMeteringMode(const char* name);
  EdsError getMeteringMode(char* buffer, size_t size);

  // --- Capture (canon_camera_capture.cc) ---

  // Releases the shutter once and waits, bounded, for the shot to complete. Returns the shot's own
  // result, also kept as lastError(): 0 when the body stored it; captureErrorResult(n) when the
  // body ended it with capture error n; the refusal's code when the body did not take it;
  // EDS_ERR_COMM_DISCONNECTED when the body went away during the wait (which ends at once then);
  // kShotWaitStopped when the stop event (watchStop) ended the wait; after a wait that ran out,
  // the code of the Tv read (0 when it succeeded). Runs on the script thread (one shot at a time).
  //
  // Every release the body accepts is a frame, numbered from 1 (lastFrame()); the frame ledger
  // (frame_ledger.h) matches the body's completions to frames and settles each frame's fate,
  // which goes to the frame record (setFrameRecord). A frame whose wait ran out stays open: its
  // late completion is its own and never ends the wait of a later frame.
  virtual EdsError takePicture();

  // --- SDK event handlers (canon_camera_events.cc), run on the backend's event thread ---
  virtual EdsError OnStateShutdown();
  virtual EdsError OnStateJobStatusChanged(EdsUInt32 data);
  virtual EdsError OnStateWillSoonShutDown(EdsUInt32 seconds);
  virtual EdsError OnStateShutDownTimerUpdate();
  virtual EdsError OnStateCaptureError(EdsUInt32 error);
  virtual EdsError OnStateBulbExposureTime(EdsUInt32 time);
  virtual EdsError OnStateInternalError(EdsUInt32 data);
  virtual EdsError OnObjectDirItemCreated(EdsBaseRef ref);
  virtual EdsError OnObjectDirItemRemoved(EdsBaseRef ref);
  virtual EdsError OnObjectDirItemInfoChanged(EdsBaseRef ref);
  virtual EdsError OnObjectDirItemContentChanged(EdsBaseRef ref);
  virtual EdsError OnObjectFolderUpdateItems(EdsBaseRef ref);
  virtual EdsError OnObjectVolumeInfoChanged(EdsBaseRef ref);
  virtual EdsError OnObjectVolumeUpdateItems(EdsBaseRef ref);
  virtual EdsError OnObjectDirItemRequestTransfer(EdsBaseRef ref);
  virtual EdsError OnObjectDirItemRequestTransferDT(EdsBaseRef ref);
  virtual EdsError OnObjectDirItemCancelTransferDT(EdsBaseRef ref);
  virtual EdsError OnPropertyDescChanged(EdsPropertyID property, EdsUInt32 param);
  virtual EdsError OnPropertyChanged(EdsPropertyID property, EdsUInt32 param);

  // A completion: the frame it belongs to (frame_ledger.h) is stored (error false) or failed with
  // capture error |captureError| (error true); it gives back its buffer if it still holds one,
  // and ends the wait of takePicture when that is the frame it waits for. Without a frame that can
  // be complete now only the trace is written.
  virtual void onTakePictureCompletion(bool error, EdsUInt32 captureError);
  // The image of the oldest frame that has not yet left the body's buffer did so (PTP job status
  // with data, legacy new file): the frame gives back its buffer if it holds one. One frame gives
  // back at most one buffer, none when it took none.
  void onShotLeftBuffer();

  // --- Frames (canon_camera_frames.cc) ---
  // The record that hears of every frame and its fate; null (the default) for none. Not owned;
  // it must outlive the camera. Set before shots are taken.
  void setFrameRecord(CFrameRecord* record);
  // The stop event that ends the capture's waits (null: none). Not owned; it must outlive the
  // camera. Set before shots are taken.
  void watchStop(platform::Event* stopEvent);
  // The frame number of the last takePicture's release; 0 when it was refused.
  uint64_t lastFrame();
  // How many frames are open (not yet settled).
  size_t openFrames();
  // Waits until every open frame is settled, or the latest moment by which each must be (the
  // longest expected completion and a few seconds), or the stop event. Gives up what is overdue
  // then. Returns false when the stop event ended the wait.
  bool waitForOpenFrames();
  // Settles every frame still open as unconfirmed with |why|.
  void abandonOpenFrames(FrameWhy why);
  // Takes one in-camera buffer, waiting up to the AllocBufferTimeout for one to be freed.
  // Returns true when a buffer was taken.
  virtual bool AllocCameraBuffer();
  // Gives one buffer back (never below 0) and wakes a thread waiting for one at that moment.
  virtual void FreeCameraBuffer();

  // The SDK callbacks registered at session open, with the camera as context. OnObject owns
  // |ref| and releases it once on every path; without a context each returns 0.
  static EdsError OnObject(EdsObjectEvent event, EdsBaseRef ref, void* context);
  static EdsError OnState(EdsStateEvent event, EdsUInt32 data, void* context);
  static EdsError OnProperty(EdsPropertyEvent event, EdsPropertyID property, EdsUInt32 param,
                             void* context);

 private:
  // Sends the UI lock to the body and notes that it holds; a body without the lock, or one that
  // refuses it, is traced and left as it is. Takes lock_.
  void lockBody();

  class HandlerScope;

  EdsError openSession();
  void applyInitialSettings();
  // Closes the session; a lost body's camera keeps the UI lock nesting for its return.
  void endSession(bool lost);
  // REQUIRES: lock_ held, session open. Notes the body's model, port and serial number.
  void noteBodyLocked();
  // REQUIRES: lock_ held. 0x2003 without a session; else resets propertyEvent_ and writes.
  EdsError writeProperty(EdsPropertyID property, EdsUInt32 value);
  EdsError setNamed(EdsPropertyID property, const PropertyTable& table, const char* name);
  EdsError getNamed(EdsPropertyID property, const PropertyTable& table, char* buffer, size_t size,
                    const char* unknownTrace);
  EdsError setPaired(EdsPropertyID property, const PropertyTable& table, const CodePairTable& pairs,
                     bool variant, const char* name);
  EdsError invalidateVolumes();
  bool isOpenLocked() const { return sessionStatus_ == 0; }

  CMtCriticalSection lock_;
  CCanonInterface* owner_;       // guarded by lock_; emptied by closeSession
  CCanonInterface* const home_;  // the interface that offers a lost body's return; may be null
  bool lost_ = false;            // guarded by lock_
  std::string bodyModel_;        // guarded by lock_; of the last session that opened
  std::string bodyPort_;         // guarded by lock_
  std::string bodySerial_;       // guarded by lock_; empty when the body tells none
  EdsError lastError_ = 0;       // guarded by lock_
  EdsError sessionStatus_ = kSessionNotOpen;                    // guarded by lock_
  EdsDeviceInfo deviceInfo_{};                                  // guarded by lock_
  uint32_t protocol_ = 0;                                       // guarded by lock_
  EdsVolumeInfo volumes_[kMaxVolumes]{};                        // guarded by lock_
  std::atomic<bool> volumesValid_{false};                       // written by handlers without lock_
  uint32_t volumeCount_ = 0;                                    // guarded by lock_
  uint64_t freeSpace_ = 0;                                      // guarded by lock_
  uint64_t capacity_ = 0;                                       // guarded by lock_
  uint32_t batteryLevel_ = 0;                                   // guarded by lock_
  std::atomic<bool> batteryValid_{false};                       // written by handlers without lock_
  bool uiLocked_ = false;                                       // guarded by lock_
  uint32_t uiLockCount_ = 0;                                    // guarded by lock_
  bool avCodeVariant_ = true;                                   // guarded by lock_
  bool tvCodeVariant_ = true;                                   // guarded by lock_
  uint32_t shotTimeout_ = kDefaultShotTimeoutMs;                // guarded by lock_
  double timeMultiplier_ = kDefaultTimeMultiplier;              // guarded by lock_
  uint32_t allocBufferTimeout_ = kDefaultAllocBufferTimeoutMs;  // guarded by lock_
  uint32_t buffersInUse_ = 0;                                   // guarded by lock_
  uint32_t bufferSize_ = kDefaultBufferSize;                    // guarded by lock_

  // What became of the frame takePicture waits for.
  struct ShotOutcome {
    bool done = false;
    EdsError result = 0;  // 0: stored; else why it failed
  };
  // REQUIRES: lock_ not held. Gives back the buffers of |settled| frames that hold one and tells
  // the record their fates.
  void reportSettled(const std::vector<FrameLedger::Settled>& settled);
  // REQUIRES: lock_ held. Settles every open frame as the session ends; the frame takePicture
  // waits for fails with |waitingResult| (0: unconfirmed too); the caller then ends its wait
  // (sessionEndEvent_). Buffers are given back silently; the settled frames go to *out.
  void settleOpenFramesLocked(uint32_t waitingResult, FrameWhy why,
                              std::vector<FrameLedger::Settled>* out);
  // The real ms of the frame clock (monotonic).
  static uint64_t frameClockMs();
  // Waits for |event| for up to |ms|, or for the loss of the session or the stop event. Returns
  // kWaitObject0 for |event|, kWaitObject0 + 1 for a loss, kWaitObject0 + 2 for the stop event,
  // or kWaitTimeout. |event| may be null (a plain interruptible sleep).
  uint32_t waitInterruptible(CMtEvent* event, uint32_t ms);

  FrameLedger frames_;                    // guarded by lock_
  uint64_t framesTaken_ = 0;              // guarded by lock_
  uint64_t lastFrame_ = 0;                // guarded by lock_
  uint64_t waitingShot_ = 0;              // guarded by lock_; 0 while no takePicture waits
  ShotOutcome waitingOutcome_;            // guarded by lock_
  CFrameRecord* record_ = nullptr;        // guarded by lock_; not owned
  platform::Event* stopEvent_ = nullptr;  // guarded by lock_; not owned

  // Event handlers running on this camera. A handler may close the session itself (shutdown), so
  // nobody else's release waits for it: the destructor waits until the count is 0.
  uint32_t handlersRunning_ = 0;  // guarded by lock_

  // Auto-reset, thread-safe themselves: shot done, buffer freed, property changed, and "no
  // handler running any more" (set when handlersRunning_ drops to 0).
  CMtEvent shotDoneEvent_;
  CMtEvent bufferFreedEvent_;
  CMtEvent propertyEvent_;
  CMtEvent handlersIdleEvent_;
  // Set when the session ends while takePicture waits: its waits end at once.
  CMtEvent sessionEndEvent_;
};

#endif  // QUORVALE_CAMERA_CANON_CAMERA_H_
