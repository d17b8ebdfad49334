#include "camera/canon_obj.h"

CCanonObj::~CCanonObj() { releaseHeld(); }

void CCanonObj::release() { releaseHeld(); }

void CCanonObj::releaseHeld() {
  if (ref_ == nullptr) return;
  EdsBaseRef ref = ref_;
  ref_ = nullptr;
  EdsRelease(ref);
}
