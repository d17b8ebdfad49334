// CCanonObj: the single owner of one SDK reference.
//
// The reference is released exactly once, with EdsRelease, by release() or by the destructor.
// Ownership: the holder owns the reference; copies are forbidden.
// Thread safety: none of its own; owners that share a holder between threads guard it themselves.
#ifndef QUORVALE_CAMERA_CANON_OBJ_H_
#define QUORVALE_CAMERA_CANON_OBJ_H_

#include "camera/eds.h"

class CCanonObj {
 public:
  // Takes over |ref| (may be null: an empty holder).
  explicit CCanonObj(EdsBaseRef ref = nullptr) : ref_(ref) {}
  // Releases a held reference.
  virtual ~CCanonObj();
  CCanonObj(const CCanonObj&) = delete;
  CCanonObj& operator=(const CCanonObj&) = delete;

  // Releases a held reference and empties the holder; an empty holder does nothing.
  virtual void release();

  // Releases a held reference, then takes over |ref|.
  void reset(EdsBaseRef ref) {
    releaseHeld();
    ref_ = ref;
  }

  EdsBaseRef ref() const { return ref_; }

 protected:
  // Empties the holder without releasing; the caller takes over the reference.
  EdsBaseRef detach() {
    EdsBaseRef ref = ref_;
    ref_ = nullptr;
    return ref;
  }

 private:
  void releaseHeld();

  EdsBaseRef ref_;
};

#endif  // QUORVALE_CAMERA_CANON_OBJ_H_
