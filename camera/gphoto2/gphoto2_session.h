// One camera reference's link to its body: the libgphoto2 camera while the session is open, the
// event handlers the program registered, and the poller thread that turns the body's events into
// SDK events.
//
// Ownership: the backend's camera object owns the session through a shared pointer; the poller
// thread holds another, so the session outlives a handler that releases the camera.
//
// Thread safety: every operation may be called from any thread.
//  - ioMutex_ guards camera_: libgphoto2 sees one thread at a time. The poller takes it only for
//    one short poll and skips polling while another thread waits for it (ioWaiters_) or has just
//    used it (lastIo_), so a shot or a property write waits at most one poll.
//  - stateMutex_ guards the handlers, the translator, the stop flag and the disconnected flag.
//    Lock order: ioMutex_ before stateMutex_.
//  - lifecycleMutex_ serialises open() and close() and guards poller_.
//  - Handlers are called on the poller thread with none of these held, and never after close() has
//    returned (unless close() runs on the poller thread itself, from inside a handler).
#ifndef QUORVALE_CAMERA_GPHOTO2_GPHOTO2_SESSION_H_
#define QUORVALE_CAMERA_GPHOTO2_GPHOTO2_SESSION_H_

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "camera/eds.h"
#include "camera/gphoto2/event_translator.h"
#include "camera/gphoto2/gphoto2_api.h"

// The poller listens in short windows, back to back while the library waits in them (a body's
// event is delivered when it comes, and another thread's call waits at most one window). A poll
// that comes back at once with nothing (the library did not wait) is followed by a pause, and the
// poller keeps quiet for a pause after every call of another thread, so that a burst of reads and
// writes never waits behind it.
struct PollSettings {
  int pollTimeoutMs = 5;     // one gp_camera_wait_for_event call
  int idleGapMs = 30;        // the pause after an empty early poll or another thread's call
  int disconnectErrors = 3;  // consecutive I/O failures that mean the body is gone
  int hotplugPollMs = 3000;  // listing the bodies again where the system reports no USB changes
};

class Gphoto2Session final : public std::enable_shared_from_this<Gphoto2Session> {
 public:
  // Makes the reference handed to an object handler for a camera file; the handler owns it.
  using ItemFactory = std::function<EdsBaseRef(const std::string& folder, const std::string& name)>;

  Gphoto2Session(Gp2CameraEntry entry, PollSettings settings, ItemFactory newItem);
  Gphoto2Session(const Gphoto2Session&) = delete;
  Gphoto2Session& operator=(const Gphoto2Session&) = delete;
  ~Gphoto2Session();

  // Opens the body (gp_camera_init), points captures at the memory card and starts the poller.
  // 0, or the SDK code of the failure; a second open is refused with 0x201E ("Session already
  // open").
  EdsError open(Gphoto2Api* api);
  // Stops the poller and closes the body. 0 also when the body was already gone.
  EdsError close();
  bool isOpen();

  EdsError getProperty(EdsPropertyID property, EdsUInt32* value);
  EdsError setProperty(EdsPropertyID property, EdsUInt32 value);
  EdsError getPropertyDesc(EdsPropertyID property, EdsPropertyDesc* desc);
  // The body's serial number ("serialnumber"); 7 when the body tells none.
  EdsError serialNumber(std::string* out);
  EdsError storages(std::vector<Gp2Storage>* out);
  EdsError sendCommand(EdsCameraCommand command);
  EdsError sendStatusCommand(EdsCameraStatusCommand command);

  void setObjectHandler(EdsObjectEvent event, EdsObjectEventHandler handler, void* context);
  void setStateHandler(EdsStateEvent event, EdsStateEventHandler handler, void* context);
  void setPropertyHandler(EdsPropertyEvent event, EdsPropertyEventHandler handler, void* context);

  const Gp2CameraEntry& entry() const { return entry_; }

 private:
  template <typename Handler>
  struct Registration {
    EdsUInt32 event = 0;  // the kind's "all" code, or one event
    Handler handler = nullptr;
    void* context = nullptr;
    bool accepts(EdsUInt32 kindAll, EdsUInt32 e) const {
      return handler != nullptr && (event == kindAll || event == e);
    }
  };

  static const char kCaptureTarget[];
  // The driver's answer for a widget the body does not have.
  static bool isMissingWidget(int result);
  // Whether a capture-target choice is the memory card ("Memory card"); the choice for the card
  // or for the body's RAM ("Internal RAM").
  static bool isCardTarget(const std::string& choice);
  static bool targetChoice(const Gp2Widget& widget, bool card, std::string* choice);

  // Runs |call| on the open camera under ioMutex_. The libgphoto2 result goes to *result.
  EdsError withCamera(const std::function<int(Gphoto2Camera&)>& call, int* result = nullptr);
  // Reads or writes the widget |name|; *result is libgphoto2's answer. A widget that the body
  // answered missing once in this session is answered missing again without asking it (its set
  // of widgets does not change while the session is open).
  EdsError getWidget(const std::string& name, Gp2Widget* widget, int* result);
  EdsError setWidget(const std::string& name, const std::string& value, int* result = nullptr);
  // Reads the first of the property's widgets that the body has.
  EdsError readWidget(EdsPropertyID property, std::string* name, Gp2Widget* widget);
  EdsError setSaveTo(EdsUInt32 value);

  // |generation| is the session's open count when the poller started; a poller whose session was
  // closed (and perhaps opened again) ends without polling or delivering anything more.
  void pollLoop(uint64_t generation);
  // REQUIRES: stateMutex_ held.
  bool stopped(uint64_t generation) const { return stop_ || generation != generation_; }
  void deliver(const SdkEvent& event, uint64_t generation);

  const Gp2CameraEntry entry_;
  const PollSettings settings_;
  const ItemFactory newItem_;

  std::mutex lifecycleMutex_;
  std::thread poller_;  // guarded by lifecycleMutex_

  std::mutex ioMutex_;
  std::unique_ptr<Gphoto2Camera> camera_;  // guarded by ioMutex_
  std::atomic<int> ioWaiters_{0};
  // When another thread's call on the camera ended, in steady-clock nanoseconds.
  std::atomic<int64_t> lastIo_{0};

  std::mutex stateMutex_;
  std::condition_variable wake_;                           // with stateMutex_
  bool stop_ = false;                                      // guarded by stateMutex_
  uint64_t generation_ = 0;                                // guarded by stateMutex_
  bool disconnected_ = false;                              // guarded by stateMutex_
  EdsUInt32 hostCapacity_ = 0;                             // guarded by stateMutex_
  std::set<std::string> missingWidgets_;                   // guarded by stateMutex_
  EventTranslator translator_;                             // guarded by stateMutex_
  Registration<EdsObjectEventHandler> objectHandler_;      // guarded by stateMutex_
  Registration<EdsStateEventHandler> stateHandler_;        // guarded by stateMutex_
  Registration<EdsPropertyEventHandler> propertyHandler_;  // guarded by stateMutex_
};

#endif  // QUORVALE_CAMERA_GPHOTO2_GPHOTO2_SESSION_H_
