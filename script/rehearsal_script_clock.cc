#include "script/rehearsal_script_clock.h"

#include <cmath>
#include <limits>

namespace {

constexpr uint64_t kLast = std::numeric_limits<uint64_t>::max();

// |origin| moved by the signed |delta|, held to the unsigned range.
uint64_t moved(uint64_t origin, double delta) {
  if (delta >= 0.0) {
    if (delta >= static_cast<double>(kLast - origin)) return kLast;
    return origin + static_cast<uint64_t>(delta);
  }
  if (-delta >= static_cast<double>(origin)) return 0;
  return origin - static_cast<uint64_t>(-delta);
}

}  // namespace

RehearsalScriptClock::RehearsalScriptClock(ScriptClock* base, uint64_t startUtc, double factor)
    : base_(base), startUtc_(startUtc), baseStart_(base->utcNow()), factor_(factor) {}

uint64_t RehearsalScriptClock::utcNow() {
  const uint64_t now = base_->utcNow();
  if (factor_ == 1.0) {
    // Exact: a plain shift.
    return now >= baseStart_ ? startUtc_ + (now - baseStart_) : startUtc_ - (baseStart_ - now);
  }
  const double elapsed = now >= baseStart_ ? static_cast<double>(now - baseStart_)
                                           : -static_cast<double>(baseStart_ - now);
  return moved(startUtc_, std::floor(elapsed * factor_));
}

uint64_t RehearsalScriptClock::baseMomentOf(uint64_t utc) const {
  if (factor_ == 1.0) {
    return utc >= startUtc_ ? baseStart_ + (utc - startUtc_) : baseStart_ - (startUtc_ - utc);
  }
  const double span = utc >= startUtc_ ? static_cast<double>(utc - startUtc_)
                                       : -static_cast<double>(startUtc_ - utc);
  return moved(baseStart_, std::ceil(span / factor_));
}

uint64_t RehearsalScriptClock::baseMsOf(uint64_t ms) const {
  return static_cast<uint64_t>(std::floor(static_cast<double>(ms) / factor_ + 0.5));
}

uint32_t RehearsalScriptClock::waitForMoment(platform::WaitableTimer* timer, platform::Event* stop,
                                             uint64_t dueUtc) {
  return base_->waitForMoment(timer, stop, baseMomentOf(dueUtc));
}

uint32_t RehearsalScriptClock::waitForStop(platform::Event* stop, uint64_t ms) {
  return base_->waitForStop(stop, baseMsOf(ms));
}

void RehearsalScriptClock::sleep(uint64_t ms) { base_->sleep(baseMsOf(ms)); }

uint32_t RehearsalScriptClock::holdPulse(platform::Event* stop, uint64_t ms) {
  return base_->holdPulse(stop, ms);
}
