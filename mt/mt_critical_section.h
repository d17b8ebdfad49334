// CMtCriticalSection: a recursive mutual-exclusion lock.
//
// The owning thread may Lock() again; each Lock() needs its own Unlock(). Never fails.
// Thread safety: all operations are thread-safe.
#ifndef QUORVALE_MT_MT_CRITICAL_SECTION_H_
#define QUORVALE_MT_MT_CRITICAL_SECTION_H_

#include <mutex>

#include "mt/mt_object.h"

class CMtCriticalSection final : public CMtObject {
 public:
  CMtCriticalSection() = default;

  // Blocks until the section is free or already owned by the calling thread. Returns 0.
  int32_t Lock() override;
  // Leaves the section once. REQUIRES: the calling thread holds it. Returns 0.
  int32_t Unlock() override;
  // Enters the section only when that needs no waiting; returns whether it did. For paths that
  // must never block (ending the process at once).
  bool TryLock();

 private:
  std::recursive_mutex section_;
};

#endif  // QUORVALE_MT_MT_CRITICAL_SECTION_H_
