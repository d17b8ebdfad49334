// RehearsalPace: the time of a rehearsal that runs faster than real time, as the simulated bodies
// keep it, seen from the script clock.
//
// The time runs at real speed while the program works, shoots and waits for its bodies, so that
// what happens between a script's waits takes the time it takes at 1x; only the script's own waits
// (sleeps, waits for a moment, the pause after a setting) are hurried, and each ends exactly at its
// moment. A rehearsal at any factor thus meets the busy frames, buffers and timeouts of a run at
// 1x, only sooner.
//
// Thread safety: every operation may be called from any thread.
#ifndef QUORVALE_SCRIPT_REHEARSAL_PACE_H_
#define QUORVALE_SCRIPT_REHEARSAL_PACE_H_

class RehearsalPace {
 public:
  virtual ~RehearsalPace() = default;

  // The rehearsal's time now, in ms (with its fraction) from an origin of the pace's own.
  virtual double nowMs() = 0;
  // From now until the time reaches |untilMs|, it runs |factor| (> 1) times faster than real time;
  // then at real speed again. Replaces a hurry under way; nothing when |untilMs| is not ahead.
  virtual void hurryUntil(double untilMs, double factor) = 0;
  // Called as each hurried wait ends, at its moment or early (a stop): real speed again from now
  // on, once the bodies have done all that fell due by now, so that what the script does next
  // meets them as they are at the wait's end.
  virtual void endHurry() = 0;
  // Real ms from now until the time reaches |ms| at the pace set now (0 when it has).
  virtual double realMsUntil(double ms) = 0;
};

#endif  // QUORVALE_SCRIPT_REHEARSAL_PACE_H_
