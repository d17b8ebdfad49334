// MomentPlan: the moments of a checked script's waits and what they count from. It follows where
// the planned time is known as a clock time (after a clock-time wait reached in time) and, where it
// is not, what the plan lines count from (the start, the latest checkpoint or the latest prompt),
// and it gives the findings of each wait that comes due: a moment already past or going backwards,
// a wait not reached in time, a local time the zone repeats or skips, a first moment far from the
// start, a checkpoint wait that does not move with a prompt's answer, and the dates the moments
// fall on.
//
// Thread safety: plain object, one thread (the check's scan).
#ifndef QUORVALE_CHECK_MOMENT_PLAN_H_
#define QUORVALE_CHECK_MOMENT_PLAN_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "check/script_plan.h"
#include "platform/clock.h"
#include "platform/local_time.h"

class MomentPlan final {
 public:
  explicit MomentPlan(uint64_t startUtc);

  // What a plan line started now counts from: absolute clock times when known(), else the time
  // since baseUtc(), named baseName() ("start", "checkpoint (line 4)", "prompt (line 9)").
  bool known() const { return known_; }
  uint64_t baseUtc() const { return baseUtc_; }
  const SharedText& baseName() const { return baseName_; }

  // A wait of line |line| comes due at |dueUtc| and the script reaches it at |nowUtc|, after
  // |shotsBefore| shots since the latest timed step. |moment|: the wait is for a clock time (a
  // time= or utc= wait), written as |local| in local time of kind |localKind| (kUnique when written
  // in UTC); else it counts from the checkpoint. Returns the wait's findings in order.
  std::vector<std::string> due(uint32_t line, uint64_t dueUtc, uint64_t nowUtc, bool moment,
                               uint32_t shotsBefore, platform::LocalTimeKind localKind,
                               const platform::CalendarTime& local);

  // The script waits at line |line| for the user, who answers at |atUtc|: what follows counts from
  // the answer and is no longer known as a clock time.
  void prompt(uint32_t line, uint64_t atUtc);

  // Line |line| sets the checkpoint at |atUtc|; unless moments are known, what follows counts from
  // it.
  void checkpoint(uint32_t line, uint64_t atUtc);

  // The finding about the local dates the script's clock times fall on, or "".
  std::string datesFinding() const;

 private:
  const uint64_t startUtc_;
  bool known_ = false;  // moments are absolute now
  uint64_t baseUtc_;
  SharedText baseName_ = "start";  // shared with the plan lines that count from it
  uint32_t lastMomentLine_ = 0;
  uint64_t lastMomentUtc_ = 0;
  uint32_t checkpointLine_ = 0;  // the latest checkpoint (0: none, relative waits count from start)
  uint64_t checkpointUtc_;
  uint32_t promptLine_ = 0;  // the latest prompt (0: none)
  uint64_t promptUtc_ = 0;
  std::vector<std::pair<std::string, uint32_t>> momentDates_;  // dates of clock times, first line
};

#endif  // QUORVALE_CHECK_MOMENT_PLAN_H_
