#include "script/planning_clock.h"

#include <limits>

#include "platform/event.h"

namespace {

uint64_t plusMs(uint64_t utc, uint64_t ms) {
  const uint64_t units = ms > std::numeric_limits<uint64_t>::max() / platform::kFileTimeUnitsPerMs
                             ? std::numeric_limits<uint64_t>::max()
                             : ms * platform::kFileTimeUnitsPerMs;
  return units > std::numeric_limits<uint64_t>::max() - utc ? std::numeric_limits<uint64_t>::max()
                                                            : utc + units;
}

}  // namespace

bool PlanningClock::isPast(uint64_t dueUtc) {
  listener_->onDue(dueUtc, now_);
  return now_ > dueUtc;
}

uint32_t PlanningClock::waitForMoment(platform::WaitableTimer*, platform::Event*, uint64_t dueUtc) {
  listener_->onWaitUntil(now_, dueUtc);
  if (dueUtc > now_) now_ = dueUtc;
  return platform::kWaitObject0;
}

uint32_t PlanningClock::waitForStop(platform::Event*, uint64_t ms) {
  listener_->onSleep(now_, ms, true);
  now_ = plusMs(now_, ms);
  return platform::kWaitTimeout;
}

void PlanningClock::sleep(uint64_t ms) {
  listener_->onSleep(now_, ms, false);
  now_ = plusMs(now_, ms);
}

bool PlanningClock::waitForUser(const std::string&, const std::string& text, platform::Event*) {
  listener_->onUserWait(now_, text);
  return true;
}

void PlanningClock::advanceMs(uint64_t ms) { now_ = plusMs(now_, ms); }
