#include "mt/mt_critical_section.h"

int32_t CMtCriticalSection::Lock() {
  section_.lock();
  return 0;
}

int32_t CMtCriticalSection::Unlock() {
  section_.unlock();
  return 0;
}

bool CMtCriticalSection::TryLock() { return section_.try_lock(); }
