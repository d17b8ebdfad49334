// CMtLocker: a scoped, counting holder of one level or more of a CMtObject.
//
// Only the transitions 0 -> 1 and 1 -> 0 of the count reach the target; deeper levels only change
// the count. The destructor performs exactly one Unlock() step, so a locker at depth 3 still holds
// its target at depth 2 afterwards: owners that nest release all levels themselves.
//
// Ownership: the target is not owned and must outlive the locker.
// Thread safety: none; a locker is used by one thread at a time.
#ifndef QUORVALE_MT_MT_LOCKER_H_
#define QUORVALE_MT_MT_LOCKER_H_

#include <cstdint>

#include "mt/mt_object.h"

class CMtLocker final : public CMtObject {
 public:
  // With a target and |lockNow|, locks it at once; the count is 1 when that succeeded, else 0.
  explicit CMtLocker(CMtObject* target, bool lockNow = true);
  ~CMtLocker() override;

  // Adds one level. Returns 0, or the target's negative status (count unchanged).
  int32_t Lock() override;
  // Drops one level. Returns 0, or the target's negative status (count unchanged).
  int32_t Unlock() override;

  uint32_t count() const { return count_; }
  CMtObject* target() const { return target_; }

 private:
  CMtObject* const target_;
  uint32_t count_ = 0;
};

#endif  // QUORVALE_MT_MT_LOCKER_H_
