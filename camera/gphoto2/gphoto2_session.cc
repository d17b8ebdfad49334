#include "camera/gphoto2/gphoto2_session.h"

#include <gphoto2/gphoto2-port-result.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <utility>

#include "camera/gphoto2/gphoto2_errors.h"

namespace {

constexpr EdsError kSessionAlreadyOpen = 0x201E;
constexpr char kUiLock[] = "uilock";

bool containsWord(const std::string& text, const char* word) {
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find(word) != std::string::npos;
}

}  // namespace

const char Gphoto2Session::kCaptureTarget[] = "capturetarget";

bool Gphoto2Session::isMissingWidget(int result) {
  return result == GP_ERROR_BAD_PARAMETERS || result == GP_ERROR_NOT_SUPPORTED;
}

bool Gphoto2Session::isCardTarget(const std::string& choice) {
  return containsWord(choice, "card");
}

bool Gphoto2Session::targetChoice(const Gp2Widget& widget, bool card, std::string* choice) {
  for (const std::string& candidate : widget.choices) {
    if (card ? isCardTarget(candidate) : containsWord(candidate, "ram")) {
      *choice = candidate;
      return true;
    }
  }
  return false;
}

Gphoto2Session::Gphoto2Session(Gp2CameraEntry entry, PollSettings settings, ItemFactory newItem)
    : entry_(std::move(entry)), settings_(settings), newItem_(std::move(newItem)) {}

Gphoto2Session::~Gphoto2Session() { close(); }

EdsError Gphoto2Session::open(Gphoto2Api* api) {
  std::lock_guard<std::mutex> lifecycle(lifecycleMutex_);
  {
    std::lock_guard<std::mutex> io(ioMutex_);
    if (camera_ != nullptr) return kSessionAlreadyOpen;
  }
  std::unique_ptr<Gphoto2Camera> camera;
  int rc = api->newCamera(entry_, &camera);
  if (rc != GP_OK) return edsErrorFromGphoto2(rc);
  if ((rc = camera->init()) != GP_OK) return edsErrorFromGphoto2(rc);

  // libgphoto2 keeps images in the body's RAM for the host to download unless told otherwise; we
  // never download, so every shot goes to the card.
  Gp2Widget target;
  std::string card;
  if (camera->getWidget(kCaptureTarget, &target) == GP_OK && targetChoice(target, true, &card) &&
      target.value != card) {
    camera->setWidget(kCaptureTarget, card);
  }

  {
    std::lock_guard<std::mutex> io(ioMutex_);
    camera_ = std::move(camera);
  }
  // The session's first settings and readings follow at once: the poller starts after them.
  lastIo_ = std::chrono::steady_clock::now().time_since_epoch().count();
  uint64_t generation = 0;
  {
    std::lock_guard<std::mutex> state(stateMutex_);
    stop_ = false;
    disconnected_ = false;
    missingWidgets_.clear();
    translator_ = EventTranslator();
    generation = ++generation_;
  }
  std::shared_ptr<Gphoto2Session> self = shared_from_this();
  poller_ = std::thread([self, generation] { self->pollLoop(generation); });
  return EDS_ERR_OK;
}

EdsError Gphoto2Session::close() {
  std::thread poller;
  {
    std::lock_guard<std::mutex> lifecycle(lifecycleMutex_);
    std::lock_guard<std::mutex> state(stateMutex_);
    stop_ = true;
    poller = std::move(poller_);
  }
  wake_.notify_all();
  if (poller.joinable()) {
    // From a handler (the body shut down and the program closes its session) the poller cannot
    // wait for itself: it sees the stop flag when the handler returns.
    if (poller.get_id() == std::this_thread::get_id()) {
      poller.detach();
    } else {
      poller.join();
    }
  }
  std::unique_ptr<Gphoto2Camera> camera;
  {
    std::lock_guard<std::mutex> io(ioMutex_);
    camera = std::move(camera_);
  }
  if (camera == nullptr) return EDS_ERR_OK;
  int rc = camera->exit();
  std::lock_guard<std::mutex> state(stateMutex_);
  return disconnected_ ? EDS_ERR_OK : edsErrorFromGphoto2(rc);
}

bool Gphoto2Session::isOpen() {
  std::lock_guard<std::mutex> io(ioMutex_);
  return camera_ != nullptr;
}

EdsError Gphoto2Session::withCamera(const std::function<int(Gphoto2Camera&)>& call, int* result) {
  ++ioWaiters_;
  std::unique_lock<std::mutex> io(ioMutex_);
  --ioWaiters_;
  if (camera_ == nullptr) return EDS_ERR_SESSION_NOT_OPEN;
  {
    std::lock_guard<std::mutex> state(stateMutex_);
    if (disconnected_) return EDS_ERR_COMM_DISCONNECTED;
  }
  int rc = call(*camera_);
  lastIo_ = std::chrono::steady_clock::now().time_since_epoch().count();
  if (result != nullptr) *result = rc;
  return edsErrorFromGphoto2(rc);
}

EdsError Gphoto2Session::getWidget(const std::string& name, Gp2Widget* widget, int* result) {
  bool missing = false;
  {
    std::lock_guard<std::mutex> state(stateMutex_);
    missing = missingWidgets_.count(name) != 0;
  }
  // A known miss still answers as the session stands (not open, body gone).
  EdsError error = withCamera(
      [&](Gphoto2Camera& camera) {
        return missing ? GP_ERROR_BAD_PARAMETERS : camera.getWidget(name, widget);
      },
      result);
  if (error != EDS_ERR_OK && isMissingWidget(*result)) {
    std::lock_guard<std::mutex> state(stateMutex_);
    missingWidgets_.insert(name);
  }
  return error;
}

EdsError Gphoto2Session::setWidget(const std::string& name, const std::string& value, int* result) {
  bool missing = false;
  {
    std::lock_guard<std::mutex> state(stateMutex_);
    missing = missingWidgets_.count(name) != 0;
  }
  return withCamera(
      [&](Gphoto2Camera& camera) {
        return missing ? GP_ERROR_BAD_PARAMETERS : camera.setWidget(name, value);
      },
      result);
}

EdsError Gphoto2Session::storages(std::vector<Gp2Storage>* out) {
  return withCamera([&](Gphoto2Camera& camera) { return camera.storageInfo(out); });
}

EdsError Gphoto2Session::sendCommand(EdsCameraCommand command) {
  int rc = GP_OK;
  EdsError error = EDS_ERR_NOT_SUPPORTED;
  switch (command) {
    case kEdsCameraCommand_TakePicture:
      return withCamera([&](Gphoto2Camera& camera) {
        int result = camera.triggerCapture();
        if (result == GP_OK) {
          std::lock_guard<std::mutex> state(stateMutex_);
          translator_.onTrigger();
        }
        return result;
      });
    case kEdsCameraCommand_ExtendShutDownTimer: {
      // libgphoto2 has no keep-awake call; a storage query is a real USB round trip (widget reads
      // come from the driver's cache), which restarts the power-off count of the bodies we know.
      std::vector<Gp2Storage> storages;
      error = withCamera([&](Gphoto2Camera& camera) { return camera.storageInfo(&storages); }, &rc);
      return error != EDS_ERR_OK && isMissingWidget(rc) ? EDS_ERR_NOT_SUPPORTED : error;
    }
    default:
      return isOpen() ? EDS_ERR_NOT_SUPPORTED : EDS_ERR_SESSION_NOT_OPEN;
  }
}

EdsError Gphoto2Session::sendStatusCommand(EdsCameraStatusCommand command) {
  if (command != kEdsCameraStatusCommand_UILock && command != kEdsCameraStatusCommand_UIUnLock) {
    return isOpen() ? EDS_ERR_NOT_SUPPORTED : EDS_ERR_SESSION_NOT_OPEN;
  }
  const char* value = command == kEdsCameraStatusCommand_UILock ? "1" : "0";
  int rc = GP_OK;
  Gp2Widget lock;
  EdsError error = getWidget(kUiLock, &lock, &rc);
  if (error == EDS_ERR_OK) error = setWidget(kUiLock, value, &rc);
  return error != EDS_ERR_OK && isMissingWidget(rc) ? EDS_ERR_NOT_SUPPORTED : error;
}

void Gphoto2Session::setObjectHandler(EdsObjectEvent event, EdsObjectEventHandler handler,
                                      void* context) {
  std::lock_guard<std::mutex> state(stateMutex_);
  objectHandler_ = {event, handler, context};
}

void Gphoto2Session::setStateHandler(EdsStateEvent event, EdsStateEventHandler handler,
                                     void* context) {
  std::lock_guard<std::mutex> state(stateMutex_);
  stateHandler_ = {event, handler, context};
}

void Gphoto2Session::setPropertyHandler(EdsPropertyEvent event, EdsPropertyEventHandler handler,
                                        void* context) {
  std::lock_guard<std::mutex> state(stateMutex_);
  propertyHandler_ = {event, handler, context};
}

void Gphoto2Session::pollLoop(uint64_t generation) {
  using Clock = std::chrono::steady_clock;
  const auto gap = std::chrono::milliseconds(settings_.idleGapMs);
  int failures = 0;
  for (;;) {
    // Quiet while another thread waits for the camera or has just used it.
    const auto quietUntil = Clock::time_point(Clock::duration(lastIo_.load())) + gap;
    if (ioWaiters_.load() > 0 || Clock::now() < quietUntil) {
      std::unique_lock<std::mutex> state(stateMutex_);
      const auto until = std::max(quietUntil, Clock::now() + std::chrono::milliseconds(1));
      if (wake_.wait_until(state, until, [&] { return stopped(generation); })) return;
      continue;
    }
    std::vector<SdkEvent> events;
    bool waited = false;
    bool gone = false;
    {
      std::unique_lock<std::mutex> io(ioMutex_);
      if (camera_ == nullptr) return;
      {
        std::lock_guard<std::mutex> state(stateMutex_);
        if (stopped(generation)) return;  // camera_ may already be a later session's
      }
      Gp2Event event;
      const auto start = Clock::now();
      int rc = camera_->waitForEvent(settings_.pollTimeoutMs, &event);
      waited = Clock::now() - start >= std::chrono::milliseconds(settings_.pollTimeoutMs) / 2;
      io.unlock();
      std::lock_guard<std::mutex> state(stateMutex_);
      if (stopped(generation)) return;
      if (rc == GP_OK) {
        failures = 0;
        waited = waited || event.kind != Gp2Event::Kind::kTimeout;
        events = translator_.translate(event);
      } else if (isGphoto2Disconnect(rc) && ++failures >= settings_.disconnectErrors) {
        disconnected_ = true;
        gone = true;
        SdkEvent shutdown{SdkEvent::Kind::kState, kEdsStateEvent_Shutdown};
        events.push_back(shutdown);
      } else {
        waited = false;  // a failing call is not retried at once
      }
    }
    for (const SdkEvent& event : events) deliver(event, generation);
    if (gone) return;
    if (!waited) {
      std::unique_lock<std::mutex> state(stateMutex_);
      if (wake_.wait_for(state, gap, [&] { return stopped(generation); })) return;
    }
  }
}

void Gphoto2Session::deliver(const SdkEvent& event, uint64_t generation) {
  Registration<EdsObjectEventHandler> object;
  Registration<EdsStateEventHandler> stateHandler;
  Registration<EdsPropertyEventHandler> property;
  {
    std::lock_guard<std::mutex> state(stateMutex_);
    if (stopped(generation)) return;
    object = objectHandler_;
    stateHandler = stateHandler_;
    property = propertyHandler_;
  }
  switch (event.kind) {
    case SdkEvent::Kind::kObject:
      if (object.accepts(kEdsObjectEvent_All, event.event)) {
        EdsBaseRef item = newItem_(event.folder, event.name);
        if (item != nullptr) object.handler(event.event, item, object.context);
      }
      break;
    case SdkEvent::Kind::kState:
      if (stateHandler.accepts(kEdsStateEvent_All, event.event)) {
        stateHandler.handler(event.event, event.data, stateHandler.context);
      }
      break;
    case SdkEvent::Kind::kProperty:
      if (property.accepts(kEdsPropertyEvent_All, event.event)) {
        property.handler(event.event, event.property, 0, property.context);
      }
      break;
  }
}
