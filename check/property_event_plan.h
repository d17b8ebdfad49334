// PropertyEventPlan: when a legacy body's property-changed events reach the camera code, and so
// how long the camera code's wait for them holds each release.
//
// Before each release on a legacy body the camera code waits, up to a limit, for its property
// event: one auto-reset event that every property-changed event of the body sets (a written
// setting, a new available-shots figure when an image is stored, a new battery level). A write
// resets it first. The plan keeps the moments of the events still to come or not yet consumed.
//
// Thread safety: plain object, one thread.
#ifndef QUORVALE_CHECK_PROPERTY_EVENT_PLAN_H_
#define QUORVALE_CHECK_PROPERTY_EVENT_PLAN_H_

#include <cstdint>
#include <set>

class PropertyEventPlan final {
 public:
  // An event comes at |utc| (file time).
  void add(uint64_t utc);
  // The event is reset at |utc|: what came until then is gone, later events still come.
  void reset(uint64_t utc);
  // A wait that starts at |nowUtc| for at most |limitUnits|: returns when it ends (at once when an
  // event came since the last wait, at the next event, or at the limit) and consumes the event.
  uint64_t wait(uint64_t nowUtc, uint64_t limitUnits);

 private:
  std::multiset<uint64_t> pending_;  // moments of events not consumed yet
};

#endif  // QUORVALE_CHECK_PROPERTY_EVENT_PLAN_H_
