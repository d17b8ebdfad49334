// CMtEvent: an unnamed auto-reset event, created non-signalled.
//
// Lock() waits without limit and consumes the signal; Unlock() signals. The camera code also uses
// waitFor() with a limit, reset() and pulse() (release a thread waiting at that moment, if any, and
// leave the event non-signalled).
//
// Thread safety: all operations are thread-safe; the event must outlive every wait on it.
#ifndef QUORVALE_MT_MT_EVENT_H_
#define QUORVALE_MT_MT_EVENT_H_

#include <cstdint>

#include "mt/mt_object.h"
#include "platform/event.h"

class CMtEvent final : public CMtObject {
 public:
  CMtEvent();

  // Waits until signalled, consuming the signal. Returns 0, or kMtFail when the wait fails.
  int32_t Lock() override;
  // Signals the event. Returns 0.
  int32_t Unlock() override;

  // Waits up to |timeoutMs| ms (platform::kInfinite: no limit). Returns platform::kWaitObject0
  // (signal consumed), platform::kWaitTimeout or platform::kWaitFailed.
  uint32_t waitFor(uint32_t timeoutMs);
  void set();
  void reset();
  void pulse();

  // The platform object, for waits on several objects at once.
  platform::Event* handle() { return &event_; }

 private:
  platform::Event event_;
};

#endif  // QUORVALE_MT_MT_EVENT_H_
