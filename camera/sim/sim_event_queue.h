// The simulated backend's event thread and model clock: a queue of steps, each due at a model
// time, run one at a time, in order of due time (then of scheduling), on one thread of its own.
//
// Model time is in milliseconds since the queue was created. Time scale s > 0: one model ms lasts
// s real ms, except in a hurry: from hurry() on, the model runs a given factor faster until it
// reaches the hurry's end, then at scale s again (a rehearsal's waits pass quickly, while what the
// program does between them takes the model time it takes in real time). Scale 0: the model jumps
// to the next step's due time without waiting, as soon as the thread gets to it, so a step
// scheduled later from another thread may find the model already further on. Manual time: the model
// stands still except for advanceTime(), which runs the steps due on the way one by one, each at
// its own due time (a step scheduling another counts from its due time), and then stands at the new
// time.
//
// The thread starts with start(); steps scheduled before wait for it. Steps run with no lock of the
// queue held; they may schedule further steps. Destroying the queue stops the thread after the
// running step (if any) and drops the rest.
//
// Thread safety: every operation may be called from any thread; waitIdle() and the destructor not
// from a step.
#ifndef QUORVALE_CAMERA_SIM_SIM_EVENT_QUEUE_H_
#define QUORVALE_CAMERA_SIM_SIM_EVENT_QUEUE_H_

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

class SimEventQueue final {
 public:
  using Step = std::function<void()>;

  SimEventQueue();
  ~SimEventQueue();

  // Starts the event thread unless it runs already. Returns false, with no thread, when the system
  // refuses one (a low process limit).
  bool start();
  // The next start() is refused as a system out of threads refuses it (tests).
  void refuseNextStart();
  SimEventQueue(const SimEventQueue&) = delete;
  SimEventQueue& operator=(const SimEventQueue&) = delete;

  // Runs |step| on the event thread when the model reaches now + |delayMs|.
  void schedule(uint64_t delayMs, Step step);

  void setTimeScale(double scale);  // leaves manual time and a hurry
  // From now on the model runs |factor| (> 1) times faster than its time scale until it reaches
  // |untilMs|, then at its scale again. Replaces a hurry under way; no effect in manual time, at
  // scale 0 or with |untilMs| not ahead of the model.
  void hurry(double factor, double untilMs);
  // Ends a hurry now (a wait that ended early); no effect without one.
  void endHurry();
  // The model time in ms, with its fraction.
  double modelTimeMs() const;
  // Real ms from now until the model reaches |modelMs| at the pace set now (0 when it has; in
  // manual time and at scale 0, 0).
  double realMsUntil(double modelMs) const;
  void useManualTime();
  void advanceTime(uint64_t ms);  // moves manual time forward; no effect otherwise
  // The model time; in manual time, once waitIdle() has returned after advanceTime().
  uint64_t modelNowMs() const;

  // Blocks until no step is running and none is due at the current model time (scale 0: none is
  // pending at all). Returns at once while the thread has not started.
  void waitIdle();

  // True at time scale 0 (not in manual time).
  bool timeJumps() const;

  // True on the event thread.
  bool onEventThread() const;

 private:
  using Clock = std::chrono::steady_clock;
  using Key = std::pair<uint64_t, uint64_t>;  // due model ms, order of scheduling

  void run();
  double nowLocked() const;
  // Real ms after realBase_ at which the model reaches |modelMs|. REQUIRES: scale_ > 0, not manual.
  double realAtLocked(double modelMs) const;
  void rebaseLocked();
  bool idleLocked() const;

  mutable std::mutex mutex_;
  std::condition_variable wake_;  // the thread: a step was added, time moved, stop
  std::condition_variable idle_;  // waitIdle(): a step ended or the thread went waiting
  // Guarded by mutex_:
  std::map<Key, Step> steps_;
  uint64_t nextOrder_ = 0;
  bool running_ = false;
  bool stop_ = false;
  bool manual_ = false;
  double scale_ = 1.0;
  double modelBase_ = 0.0;     // model ms at realBase_ (manual and scale 0: the model time)
  double manualTarget_ = 0.0;  // manual time: where advanceTime() has moved the model to
  Clock::time_point realBase_;
  // A hurry from realBase_ on: one model ms lasts hurryScale_ real ms until hurryUntil_.
  bool hurrying_ = false;
  double hurryScale_ = 0.0;
  double hurryUntil_ = 0.0;
  bool refuseStart_ = false;
  std::thread::id threadId_;  // the event thread's; none before start()

  std::thread thread_;  // set once by start(), joined by the destructor
};

#endif  // QUORVALE_CAMERA_SIM_SIM_EVENT_QUEUE_H_
