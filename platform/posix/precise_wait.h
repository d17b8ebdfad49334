// The precise finish of waitAnyPrecisely() (event.h) on POSIX: the thread sleeps on the system's
// timer until a lead before the moment (100 to 600 us, following how late recent wake-ups came),
// with its timer slack at the least, then spins on the clock for the rest with the event mutex
// released, so that the wait ends within microseconds after the moment and never before it.
//
// Thread safety: LeastTimerSlack acts on the calling thread only. preciseWaitStep() REQUIRES the
// event mutex it is given to be held (it guards the record of recent wake-up lateness, which all
// precise waits share); the step gives the mutex up while it sleeps or spins and holds it again
// when it returns.
#ifndef QUORVALE_PLATFORM_POSIX_PRECISE_WAIT_H_
#define QUORVALE_PLATFORM_POSIX_PRECISE_WAIT_H_

#include <pthread.h>
#include <time.h>

#include <cstdint>

namespace platform {

// The calling thread's timer slack (the leeway the kernel may add to its timed sleeps) set to the
// least for the life of the object, so that the wake-up before the spin comes when asked. Where
// the system has no such setting it does nothing.
class LeastTimerSlack {
 public:
  LeastTimerSlack();
  ~LeastTimerSlack();
  LeastTimerSlack(const LeastTimerSlack&) = delete;
  LeastTimerSlack& operator=(const LeastTimerSlack&) = delete;

 private:
  int old_ = 0;  // the slack to restore; 0: none changed
};

// One step of a precise wait towards the earliest of its moments: the due time |dueUtc| of a timer
// (|useTimer|) or else the monotonic time limit |limit|. Far from the moment it sleeps on
// |realtimeCond| (timer) or |monotonicCond| (limit) until the lead before it, and notes how late
// that wake-up came; within the lead it spins on the clock until the moment (for at most 2 ms: a
// clock stepped backwards sends the wait back to sleep), unless |released| (a pulse already
// released the waiter) or the moment has passed. The caller then re-examines its objects and calls
// again while nothing has ended the wait.
// REQUIRES: |mutex| held; the condition variables are the waiter's, woken by the objects' set().
void preciseWaitStep(pthread_mutex_t* mutex, pthread_cond_t* realtimeCond,
                     pthread_cond_t* monotonicCond, bool useTimer, uint64_t dueUtc,
                     const timespec& limit, bool released);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_POSIX_PRECISE_WAIT_H_
