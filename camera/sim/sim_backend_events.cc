// Event delivery of the simulated backend: from a body's post to the program's handler.
#include <utility>

#include "camera/sim/sim_backend_impl.h"

namespace {

// The handler registered for |event|, or else for every event of its kind (|all|).
template <typename Handler>
std::pair<Handler, void*> lookup(const std::map<uint32_t, std::pair<Handler, void*>>& handlers,
                                 uint32_t event, uint32_t all) {
  auto found = handlers.find(event);
  if (found == handlers.end()) found = handlers.find(all);
  if (found == handlers.end()) return {nullptr, nullptr};
  return found->second;
}

// Counts a handler call as running for its camera while it runs without the world lock.
class DeliveryScope final {
 public:
  DeliveryScope(std::unique_lock<std::mutex>* lock, int* deliveries, std::condition_variable* done)
      : lock_(lock), deliveries_(deliveries), done_(done) {
    *deliveries_ += 1;
    lock_->unlock();
  }
  ~DeliveryScope() {
    lock_->lock();
    *deliveries_ -= 1;
    done_->notify_all();
  }
  DeliveryScope(const DeliveryScope&) = delete;
  DeliveryScope& operator=(const DeliveryScope&) = delete;

 private:
  std::unique_lock<std::mutex>* const lock_;
  int* const deliveries_;  // guarded by the world mutex
  std::condition_variable* const done_;
};

}  // namespace

SimCamera::State* SimBackend::Impl::targetLocked(SimCamera* body, uint64_t epoch) const {
  SimCamera::State* state = body->state_.get();
  if (!initialized || state->ref == nullptr || state->refEpoch != epoch) return nullptr;
  return state;
}

void SimBackend::Impl::postStateEvent(SimCamera* body, EdsStateEvent event, EdsUInt32 data,
                                      uint64_t delayMs) {
  uint64_t epoch = body->state_->refEpoch;
  queue.schedule(delayMs, [this, body, epoch, event, data]() {
    std::unique_lock<std::mutex> lock(world);
    SimCamera::State* state = targetLocked(body, epoch);
    if (state == nullptr) return;
    auto handler = lookup(state->handlers.state, event, kEdsStateEvent_All);
    if (handler.first == nullptr) return;
    DeliveryScope scope(&lock, &state->deliveries, &deliveryDone);
    handler.first(event, data, handler.second);
  });
}

void SimBackend::Impl::postPropertyEvent(SimCamera* body, EdsPropertyEvent event,
                                         EdsPropertyID property, EdsUInt32 param,
                                         uint64_t delayMs) {
  uint64_t epoch = body->state_->refEpoch;
  queue.schedule(delayMs, [this, body, epoch, event, property, param]() {
    std::unique_lock<std::mutex> lock(world);
    SimCamera::State* state = targetLocked(body, epoch);
    if (state == nullptr) return;
    auto handler = lookup(state->handlers.property, event, kEdsPropertyEvent_All);
    if (handler.first == nullptr) return;
    DeliveryScope scope(&lock, &state->deliveries, &deliveryDone);
    handler.first(event, property, param, handler.second);
  });
}

void SimBackend::Impl::postObjectEvent(SimCamera* body, EdsObjectEvent event, uint64_t delayMs) {
  uint64_t epoch = body->state_->refEpoch;
  queue.schedule(delayMs, [this, body, epoch, event]() {
    std::unique_lock<std::mutex> lock(world);
    SimCamera::State* state = targetLocked(body, epoch);
    if (state == nullptr) return;
    auto handler = lookup(state->handlers.object, event, kEdsObjectEvent_All);
    if (handler.first == nullptr) return;
    // The handler owns the new reference and releases it.
    SimObject* item = addObjectLocked(SimObject::Kind::kDirectoryItem, body);
    DeliveryScope scope(&lock, &state->deliveries, &deliveryDone);
    handler.first(event, item, handler.second);
  });
}

void SimBackend::Impl::postCameraAddedLocked() {
  if (!initialized || addedHandler == nullptr) return;
  queue.schedule(0, [this]() {
    std::unique_lock<std::mutex> lock(world);
    if (!initialized || addedHandler == nullptr) return;
    EdsCameraAddedHandler handler = addedHandler;
    void* context = addedContext;
    lock.unlock();
    handler(context);
  });
}

void SimBackend::Impl::waitDeliveriesLocked(std::unique_lock<std::mutex>* lock,
                                            SimCamera::State* state) {
  if (queue.onEventThread()) return;
  deliveryDone.wait(*lock, [state]() { return state->deliveries == 0; });
}

void SimBackend::Impl::schedule(uint64_t delayMs, std::function<void()> step) {
  queue.schedule(delayMs, std::move(step));
}

uint64_t SimBackend::Impl::modelNowMs() const { return queue.modelNowMs(); }
bool SimBackend::Impl::timeJumps() const { return queue.timeJumps(); }

SimObject* SimBackend::Impl::findLocked(EdsBaseRef ref, SimObject::Kind kind) const {
  auto found = objects.find(ref);
  if (found == objects.end() || found->second->kind != kind) return nullptr;
  return found->second.get();
}

SimObject* SimBackend::Impl::addObjectLocked(SimObject::Kind kind, SimCamera* body) {
  auto object = std::make_unique<SimObject>(kind, body);
  SimObject* raw = object.get();
  objects.emplace(raw, std::move(object));
  return raw;
}
