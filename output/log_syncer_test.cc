// The log's syncer: a written line is synced soon, by a thread of its own, and a line written
// while a sync runs is synced by the next one. That the lines reach the system at once is tested
// end to end, by killing a run.
#include "output/log_syncer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

// A file that counts its syncs; a sync is held while |hold| is set.
class CountingFile final : public platform::AppendFile {
 public:
  bool append(const char* const*, const size_t*, size_t) override { return true; }
  bool syncData() override {
    std::unique_lock<std::mutex> lock(mutex_);
    ++started_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return !hold_; });
    ++syncs_;
    changed_.notify_all();
    return true;
  }
  void hold(bool on) {
    std::lock_guard<std::mutex> lock(mutex_);
    hold_ = on;
    changed_.notify_all();
  }
  // Waits until |count| syncs have begun (|done|: ended); false when they do not come in a
  // minute (a syncer that never syncs).
  bool waitFor(int count, bool done) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::minutes(1),
                             [&] { return (done ? syncs_ : started_) >= count; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int started_ = 0;
  int syncs_ = 0;
  bool hold_ = false;
};

TEST(LogSyncerTest, WrittenLinesAreSyncedByItsThreadAndNothingIsLeftUnsynced) {
  // An interval of an hour: the first sync comes at once, not after the interval, and stopping
  // does not wait for the rest of the hour.
  CountingFile file;
  {
    std::unique_ptr<LogSyncer> syncer = LogSyncer::start(&file, std::chrono::hours(1));
    syncer->wrote();
    ASSERT_TRUE(file.waitFor(1, true));
  }

  CountingFile slow;
  std::unique_ptr<LogSyncer> syncer = LogSyncer::start(&slow, std::chrono::milliseconds(1));
  slow.hold(true);
  syncer->wrote();
  ASSERT_TRUE(slow.waitFor(1, false));
  // A line written while the disk is slow: the writer does not wait, and a later sync takes it.
  syncer->wrote();
  slow.hold(false);
  ASSERT_TRUE(slow.waitFor(2, true));
}

}  // namespace
