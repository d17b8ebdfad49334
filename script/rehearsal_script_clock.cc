#include "script/rehearsal_script_clock.h"

#include <cmath>
#include <limits>

namespace {

constexpr uint64_t kLast = std::numeric_limits<uint64_t>::max();
constexpr double kUnitsPerMs = static_cast<double>(platform::kFileTimeUnitsPerMs);

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

RehearsalScriptClock::RehearsalScriptClock(ScriptClock* base, uint64_t startUtc)
    : base_(base),
      startUtc_(startUtc),
      baseStart_(base->utcNow()),
      pace_(nullptr),
      paceStart_(0.0),
      factor_(1.0) {}

RehearsalScriptClock::RehearsalScriptClock(ScriptClock* base, uint64_t startUtc,
                                           RehearsalPace* pace, double factor)
    : base_(base),
      startUtc_(startUtc),
      baseStart_(base->utcNow()),
      pace_(pace),
      paceStart_(pace->nowMs()),
      factor_(factor) {}

uint64_t RehearsalScriptClock::utcNow() {
  if (pace_ != nullptr) {
    return moved(startUtc_, std::floor((pace_->nowMs() - paceStart_) * kUnitsPerMs));
  }
  const uint64_t now = base_->utcNow();
  return now >= baseStart_ ? startUtc_ + (now - baseStart_) : startUtc_ - (baseStart_ - now);
}

uint64_t RehearsalScriptClock::baseMomentOf(uint64_t utc) const {
  return utc >= startUtc_ ? baseStart_ + (utc - startUtc_) : baseStart_ - (startUtc_ - utc);
}

double RehearsalScriptClock::paceMsOf(uint64_t utc) const {
  const double span = utc >= startUtc_ ? static_cast<double>(utc - startUtc_)
                                       : -static_cast<double>(startUtc_ - utc);
  return paceStart_ + span / kUnitsPerMs;
}

uint64_t RehearsalScriptClock::hurryTo(double untilMs) {
  pace_->hurryUntil(untilMs, factor_);
  const double real = std::ceil(pace_->realMsUntil(untilMs));
  return real < static_cast<double>(kLast) ? static_cast<uint64_t>(real) : kLast;
}

uint32_t RehearsalScriptClock::waitForMoment(platform::WaitableTimer* timer, platform::Event* stop,
                                             uint64_t dueUtc) {
  if (pace_ == nullptr) return base_->waitForMoment(timer, stop, baseMomentOf(dueUtc));
  // A wait of a length: the pace's time does not follow steps of the real clock, so neither does
  // the wait. The timer stays unarmed.
  const uint32_t result = base_->waitForStop(stop, hurryTo(paceMsOf(dueUtc)));
  pace_->endHurry();
  if (result == platform::kWaitTimeout) return platform::kWaitObject0;
  if (result == platform::kWaitObject0) return platform::kWaitObject0 + 1;
  return result;
}

uint32_t RehearsalScriptClock::waitForStop(platform::Event* stop, uint64_t ms) {
  if (pace_ == nullptr) return base_->waitForStop(stop, ms);
  const uint32_t result =
      base_->waitForStop(stop, hurryTo(pace_->nowMs() + static_cast<double>(ms)));
  pace_->endHurry();
  return result;
}

void RehearsalScriptClock::sleep(uint64_t ms) {
  if (pace_ == nullptr) return base_->sleep(ms);
  base_->sleep(hurryTo(pace_->nowMs() + static_cast<double>(ms)));
  pace_->endHurry();
}
