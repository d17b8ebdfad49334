#include "camera/sim/sim_event_queue.h"

#include <algorithm>
#include <system_error>

SimEventQueue::SimEventQueue() : realBase_(Clock::now()) {}

SimEventQueue::~SimEventQueue() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  // Steps left behind may hold resources; they are destroyed here, outside the thread.
  steps_.clear();
}

bool SimEventQueue::start() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (thread_.joinable()) return true;
  try {
    if (refuseStart_) {
      refuseStart_ = false;
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }
    // The thread waits for mutex_ before it looks at anything.
    thread_ = std::thread([this] { run(); });
  } catch (const std::system_error&) {
    return false;
  }
  threadId_ = thread_.get_id();
  return true;
}

void SimEventQueue::refuseNextStart() {
  std::lock_guard<std::mutex> lock(mutex_);
  refuseStart_ = true;
}

double SimEventQueue::nowLocked() const {
  if (manual_ || scale_ <= 0.0) return modelBase_;
  const double real = std::chrono::duration<double, std::milli>(Clock::now() - realBase_).count();
  if (hurrying_) {
    const double hurried = (hurryUntil_ - modelBase_) * hurryScale_;  // real ms the hurry lasts
    if (real <= hurried) return modelBase_ + real / hurryScale_;
    return hurryUntil_ + (real - hurried) / scale_;
  }
  return modelBase_ + real / scale_;
}

double SimEventQueue::realAtLocked(double modelMs) const {
  if (hurrying_) {
    if (modelMs <= hurryUntil_) return (modelMs - modelBase_) * hurryScale_;
    return (hurryUntil_ - modelBase_) * hurryScale_ + (modelMs - hurryUntil_) * scale_;
  }
  return (modelMs - modelBase_) * scale_;
}

void SimEventQueue::rebaseLocked() {
  modelBase_ = nowLocked();
  realBase_ = Clock::now();
  if (hurrying_ && modelBase_ >= hurryUntil_) hurrying_ = false;
}

void SimEventQueue::hurry(double factor, double untilMs) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (manual_ || scale_ <= 0.0 || !(factor > 1.0)) return;
    rebaseLocked();
    hurrying_ = untilMs > modelBase_;
    hurryScale_ = scale_ / factor;
    hurryUntil_ = untilMs;
  }
  wake_.notify_all();  // the thread's wait for the next step is shorter now
}

void SimEventQueue::endHurry() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!hurrying_) return;
    rebaseLocked();
    hurrying_ = false;
  }
  wake_.notify_all();
}

double SimEventQueue::modelTimeMs() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return nowLocked();
}

double SimEventQueue::realMsUntil(double modelMs) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (manual_ || scale_ <= 0.0) return 0.0;
  const double real = std::chrono::duration<double, std::milli>(Clock::now() - realBase_).count();
  const double left = realAtLocked(modelMs) - real;
  return left > 0.0 ? left : 0.0;
}

uint64_t SimEventQueue::modelNowMs() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<uint64_t>(nowLocked());
}

void SimEventQueue::schedule(uint64_t delayMs, Step step) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    uint64_t due = static_cast<uint64_t>(nowLocked()) + delayMs;
    steps_.emplace(Key(due, nextOrder_++), std::move(step));
  }
  wake_.notify_all();
}

void SimEventQueue::setTimeScale(double scale) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    modelBase_ = manual_ ? std::max(modelBase_, manualTarget_) : nowLocked();
    realBase_ = Clock::now();
    manual_ = false;
    hurrying_ = false;
    scale_ = scale < 0.0 ? 0.0 : scale;
  }
  wake_.notify_all();
}

void SimEventQueue::useManualTime() {
  std::lock_guard<std::mutex> lock(mutex_);
  modelBase_ = nowLocked();
  manualTarget_ = modelBase_;
  manual_ = true;
  hurrying_ = false;
}

void SimEventQueue::advanceTime(uint64_t ms) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!manual_) return;
    manualTarget_ += static_cast<double>(ms);
  }
  wake_.notify_all();
}

bool SimEventQueue::idleLocked() const {
  if (stop_ || !thread_.joinable()) return true;
  if (running_) return false;
  if (steps_.empty()) return !manual_ || modelBase_ >= manualTarget_;
  if (manual_) {
    if (modelBase_ < manualTarget_) return false;  // the thread has yet to catch up
    return static_cast<double>(steps_.begin()->first.first) > manualTarget_;
  }
  if (scale_ <= 0.0) return false;
  return static_cast<double>(steps_.begin()->first.first) > nowLocked();
}

void SimEventQueue::waitIdle() {
  std::unique_lock<std::mutex> lock(mutex_);
  idle_.wait(lock, [this] { return idleLocked(); });
}

bool SimEventQueue::timeJumps() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !manual_ && scale_ <= 0.0;
}

bool SimEventQueue::onEventThread() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::this_thread::get_id() == threadId_;
}

void SimEventQueue::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_) {
    // Stepwise time (manual, scale 0): the model stands at each step's due time while it runs,
    // so that what the step schedules counts from there.
    bool stepwise = manual_ || scale_ <= 0.0;
    bool due = false;
    if (!steps_.empty()) {
      double at = static_cast<double>(steps_.begin()->first.first);
      due = manual_ ? at <= manualTarget_ : (scale_ <= 0.0 || at <= nowLocked());
      if (due && stepwise) modelBase_ = std::max(modelBase_, at);
    }
    if (due) {
      auto first = steps_.begin();
      Step step = std::move(first->second);
      steps_.erase(first);
      running_ = true;
      lock.unlock();
      step();
      step = nullptr;  // destroyed without the lock, like it ran
      lock.lock();
      running_ = false;
      idle_.notify_all();
      continue;
    }
    if (manual_) modelBase_ = std::max(modelBase_, manualTarget_);
    idle_.notify_all();
    if (stepwise || steps_.empty()) {
      wake_.wait(lock);
    } else {
      double at = static_cast<double>(steps_.begin()->first.first);
      const double real =
          std::chrono::duration<double, std::milli>(Clock::now() - realBase_).count();
      auto wait = std::chrono::duration<double, std::milli>(realAtLocked(at) - real);
      wake_.wait_for(
          lock, std::chrono::duration_cast<Clock::duration>(wait) + std::chrono::microseconds(1));
    }
  }
  idle_.notify_all();
}
