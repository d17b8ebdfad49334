// CMtObject: the abstract lockable that the program's locks, events, lockers and the camera share.
//
// Lock() and Unlock() return a signed status: negative means failure, 0 success.
#ifndef QUORVALE_MT_MT_OBJECT_H_
#define QUORVALE_MT_MT_OBJECT_H_

#include <cstdint>

// The status of a failed platform wait.
constexpr int32_t kMtFail = static_cast<int32_t>(0x80004005);

class CMtObject {
 public:
  CMtObject() = default;
  virtual ~CMtObject() = default;
  CMtObject(const CMtObject&) = delete;
  CMtObject& operator=(const CMtObject&) = delete;

  virtual int32_t Lock() = 0;
  virtual int32_t Unlock() = 0;
};

#endif  // QUORVALE_MT_MT_OBJECT_H_
