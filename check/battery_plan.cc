#include "check/battery_plan.h"

#include "platform/clock.h"

void BatteryPlan::start(double percent, double perShot, double perHour, uint64_t startUtc) {
  known_ = percent >= 0.0 && percent <= 100.0 && (perShot > 0.0 || perHour > 0.0);
  empty_ = false;
  startPercent_ = percent;
  perShot_ = perShot;
  perHour_ = perHour;
  startUtc_ = startUtc;
  used_ = 0.0;
}

uint32_t BatteryPlan::levelAt(uint64_t utc) const {
  if (empty_) return 0;
  const double hours = static_cast<double>(utc > startUtc_ ? utc - startUtc_ : 0) /
                       (3600.0 * static_cast<double>(platform::kFileTimeUnitsPerSecond));
  const double level = startPercent_ - used_ - hours * perHour_;
  return level <= 0.0 ? 0 : static_cast<uint32_t>(level + 0.5);
}

bool BatteryPlan::release(uint64_t utc, bool* levelChanged) {
  *levelChanged = false;
  if (!known_) return true;
  if (empty_) return false;
  const uint32_t before = levelAt(utc);
  if (before == 0) {
    empty_ = true;
    return false;
  }
  used_ += perShot_;
  *levelChanged = levelAt(utc) != before;
  return true;
}
