#include "check/property_event_plan.h"

#include <algorithm>

void PropertyEventPlan::add(uint64_t utc) { pending_.insert(utc); }

void PropertyEventPlan::reset(uint64_t utc) {
  pending_.erase(pending_.begin(), pending_.upper_bound(utc));
}

uint64_t PropertyEventPlan::wait(uint64_t nowUtc, uint64_t limitUnits) {
  uint64_t end = nowUtc + limitUnits;
  if (!pending_.empty() && *pending_.begin() <= end) end = std::max(nowUtc, *pending_.begin());
  pending_.erase(pending_.begin(), pending_.upper_bound(end));
  return end;
}
