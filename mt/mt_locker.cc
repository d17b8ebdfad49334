#include "mt/mt_locker.h"

CMtLocker::CMtLocker(CMtObject* target, bool lockNow) : target_(target) {
  if (target_ != nullptr && lockNow && target_->Lock() >= 0) count_ = 1;
}

CMtLocker::~CMtLocker() {
  if (target_ != nullptr && count_ != 0) Unlock();
}

int32_t CMtLocker::Lock() {
  if (count_ != 0) {
    ++count_;
    return 0;
  }
  if (target_ == nullptr) return 0;
  int32_t status = target_->Lock();
  if (status >= 0) count_ = 1;
  return status;
}

int32_t CMtLocker::Unlock() {
  if (count_ == 0) return 0;
  if (count_ > 1) {
    --count_;
    return 0;
  }
  if (target_ == nullptr) return 0;
  int32_t status = target_->Unlock();
  if (status >= 0) count_ = 0;
  return status;
}
