#include "camera/sim/sim_event_queue.h"

#include <algorithm>

SimEventQueue::SimEventQueue() : realBase_(Clock::now()), thread_([this] { run(); }) {}

SimEventQueue::~SimEventQueue() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
  // Steps left behind may hold resources; they are destroyed here, outside the thread.
  steps_.clear();
}

double SimEventQueue::nowLocked() const {
  if (manual_ || scale_ <= 0.0) return modelBase_;
  std::chrono::duration<double, std::milli> real = Clock::now() - realBase_;
  return modelBase_ + real.count() / scale_;
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
    modelBase_ = nowLocked();
    realBase_ = Clock::now();
    manual_ = false;
    scale_ = scale < 0.0 ? 0.0 : scale;
  }
  wake_.notify_all();
}

void SimEventQueue::useManualTime() {
  std::lock_guard<std::mutex> lock(mutex_);
  modelBase_ = nowLocked();
  manual_ = true;
}

void SimEventQueue::advanceTime(uint64_t ms) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!manual_) return;
    modelBase_ += static_cast<double>(ms);
  }
  wake_.notify_all();
}

bool SimEventQueue::idleLocked() const {
  if (stop_) return true;
  if (running_) return false;
  if (steps_.empty()) return true;
  if (!manual_ && scale_ <= 0.0) return false;
  return static_cast<double>(steps_.begin()->first.first) > nowLocked();
}

void SimEventQueue::waitIdle() {
  std::unique_lock<std::mutex> lock(mutex_);
  idle_.wait(lock, [this] { return idleLocked(); });
}

bool SimEventQueue::onEventThread() const { return std::this_thread::get_id() == thread_.get_id(); }

void SimEventQueue::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_) {
    if (steps_.empty()) {
      idle_.notify_all();
      wake_.wait(lock);
      continue;
    }
    auto first = steps_.begin();
    double due = static_cast<double>(first->first.first);
    double now = nowLocked();
    bool jump = !manual_ && scale_ <= 0.0;
    if (jump || due <= now) {
      if (jump) modelBase_ = std::max(modelBase_, due);
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
    idle_.notify_all();
    if (manual_) {
      wake_.wait(lock);
    } else {
      auto wait = std::chrono::duration<double, std::milli>((due - now) * scale_);
      wake_.wait_for(lock, std::chrono::duration_cast<Clock::duration>(wait) +
                               std::chrono::microseconds(1));
    }
  }
  idle_.notify_all();
}
