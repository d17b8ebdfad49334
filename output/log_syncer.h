// LogSyncer: puts the log's lines on the disk soon after they are written, off the threads that
// write them.
//
// Each log line reaches the system with its own write, so a killed or crashed program keeps it;
// what a power cut or a system crash would still take is the system's cache. The syncer's thread
// syncs the file (fdatasync) as soon as a line has been written after a quiet spell, then at most
// once a second while lines keep coming: every line, a shot's or an error's included, is on the
// disk about a second after it was written at the latest. The writers never wait for the disk: a
// slow card or disk must not hold a shot back.
//
//   std::unique_ptr<LogSyncer> syncer = LogSyncer::start(file);  // null: no thread to be had
//   ... file->append(...); syncer->wrote(); ...
//   syncer.reset();  // stops the thread after a sync in progress; the file is no longer used
//
// Ownership: |file| is not owned and must outlive the syncer.
// Thread safety: wrote() may be called from any thread; it takes the syncer's lock only briefly
// and never while the file is synced. Destruction must not overlap wrote().
#ifndef QUORVALE_OUTPUT_LOG_SYNCER_H_
#define QUORVALE_OUTPUT_LOG_SYNCER_H_

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/file.h"

class LogSyncer final {
 public:
  // The least time between two syncs.
  static constexpr std::chrono::milliseconds kInterval{1000};

  // Starts the thread that syncs |file|, at most once per |interval|. Returns null when the system
  // gives no thread (a low process limit): the file then reaches the disk when the system writes
  // its cache, or is closed.
  static std::unique_ptr<LogSyncer> start(platform::AppendFile* file,
                                          std::chrono::milliseconds interval = kInterval);

  // Stops the thread: a sync in progress ends first; lines written since are left to the caller.
  ~LogSyncer();
  LogSyncer(const LogSyncer&) = delete;
  LogSyncer& operator=(const LogSyncer&) = delete;

  // Tells the syncer that a line was written: a sync follows at once, or when the interval has
  // passed since the last one began.
  void wrote();

 private:
  LogSyncer(platform::AppendFile* file, std::chrono::milliseconds interval)
      : file_(file), interval_(interval) {}
  void run();

  platform::AppendFile* const file_;
  const std::chrono::milliseconds interval_;
  std::mutex mutex_;
  std::condition_variable wake_;  // a line was written, or stop
  // Guarded by mutex_:
  bool unsynced_ = false;  // lines written since the last sync began
  bool stop_ = false;
  std::thread thread_;  // set by start(), joined by the destructor
};

#endif  // QUORVALE_OUTPUT_LOG_SYNCER_H_
