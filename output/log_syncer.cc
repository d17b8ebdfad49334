#include "output/log_syncer.h"

#include <system_error>

std::unique_ptr<LogSyncer> LogSyncer::start(platform::AppendFile* file,
                                            std::chrono::milliseconds interval) {
  std::unique_ptr<LogSyncer> syncer(new LogSyncer(file, interval));
  try {
    syncer->thread_ = std::thread(&LogSyncer::run, syncer.get());
  } catch (const std::system_error&) {
    return nullptr;
  }
  return syncer;
}

LogSyncer::~LogSyncer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void LogSyncer::wrote() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (unsynced_) return;  // the thread knows already
    unsynced_ = true;
  }
  wake_.notify_all();
}

void LogSyncer::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || unsynced_; });
    if (stop_) return;
    unsynced_ = false;
    lock.unlock();
    file_->syncData();  // a failure is ignored, as a failed write is
    lock.lock();
    // At most one sync per interval; a stop does not wait for the rest of it.
    wake_.wait_for(lock, interval_, [this] { return stop_; });
  }
}
