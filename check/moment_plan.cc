#include "check/moment_plan.h"

#include <algorithm>
#include <cstdio>

#include "check/finding_texts.h"
#include "check/plan_report.h"

namespace {

// The finding of a local time that the zone repeats or skips, waited for at |due|.
std::string localTimeChangeText(const platform::CalendarTime& t, platform::LocalTimeKind kind,
                                const std::string& due) {
  char written[64];
  std::snprintf(written, sizeof(written), "%04u-%02u-%02u %02u:%02u:%02u", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  if (kind == platform::LocalTimeKind::kRepeated) {
    return std::string("local time ") + written +
           " comes twice (the clocks go back): the wait is for the first, " + due;
  }
  return std::string("local time ") + written +
         " does not exist (the clocks go forward): the wait is for " + due;
}

}  // namespace

MomentPlan::MomentPlan(uint64_t startUtc)
    : startUtc_(startUtc), baseUtc_(startUtc), checkpointUtc_(startUtc) {}

std::vector<std::string> MomentPlan::due(uint32_t line, uint64_t dueUtc, uint64_t nowUtc,
                                         bool moment, uint32_t shotsBefore,
                                         platform::LocalTimeKind localKind,
                                         const platform::CalendarTime& local) {
  std::vector<std::string> findings;
  const std::string due = moment || known_ ? absoluteMomentText(dueUtc)
                                           : relativeMomentText(dueUtc, baseUtc_, baseName_);
  if (moment && dueUtc < startUtc_) {
    findings.push_back("moment already past: " + due + " is before the start of the check, " +
                       absoluteMomentText(startUtc_));
  } else if (moment && lastMomentLine_ != 0 && dueUtc < lastMomentUtc_) {
    findings.push_back("moment goes backwards: " + due + " is before the moment of line " +
                       std::to_string(lastMomentLine_) + ", " + absoluteMomentText(lastMomentUtc_));
  } else if (nowUtc > dueUtc) {
    std::string cause = shotsBefore > 0
                            ? "the " + std::to_string(shotsBefore) + " shot(s) before it"
                            : "the steps before it";
    findings.push_back("not reached in time: " + cause + " end " + durationText(nowUtc - dueUtc) +
                       " after " + due + "; the wait is skipped (\"Moment in the past\")");
  }
  if (moment && localKind != platform::LocalTimeKind::kUnique) {
    findings.push_back(localTimeChangeText(local, localKind, due));
  }
  if (moment) {
    if (momentDates_.empty()) {
      const std::string far = farFirstMomentFinding(startUtc_, dueUtc);
      if (!far.empty()) findings.push_back(far);
    }
    const std::string date = localDateText(dueUtc);
    if (std::none_of(
            momentDates_.begin(), momentDates_.end(),
            [&date](const std::pair<std::string, uint32_t>& d) { return d.first == date; }))
      momentDates_.emplace_back(date, line);
  } else if (promptLine_ != 0 && promptUtc_ >= checkpointUtc_ && dueUtc >= nowUtc) {
    // The checkpoint was set before the prompt: the moment does not move with the answer.
    findings.push_back(promptBeforeWaitFinding(checkpointLine_, promptLine_, dueUtc - nowUtc));
  }
  if (moment) {
    lastMomentLine_ = line;
    lastMomentUtc_ = dueUtc;
    if (dueUtc >= nowUtc) known_ = true;
  }
  return findings;
}

void MomentPlan::prompt(uint32_t line, uint64_t atUtc) {
  known_ = false;
  promptLine_ = line;
  promptUtc_ = atUtc;
  baseUtc_ = atUtc;
  baseName_ = SharedText("prompt (line " + std::to_string(line) + ")");
}

void MomentPlan::checkpoint(uint32_t line, uint64_t atUtc) {
  checkpointLine_ = line;
  checkpointUtc_ = atUtc;
  if (!known_) {
    baseUtc_ = atUtc;
    baseName_ = SharedText("checkpoint (line " + std::to_string(line) + ")");
  }
}

std::string MomentPlan::datesFinding() const { return ::datesFinding(momentDates_); }
