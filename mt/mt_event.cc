#include "mt/mt_event.h"

CMtEvent::CMtEvent() : event_(/*manualReset=*/false, /*initiallySignalled=*/false) {}

int32_t CMtEvent::Lock() {
  return event_.wait(platform::kInfinite) == platform::kWaitObject0 ? 0 : kMtFail;
}

int32_t CMtEvent::Unlock() {
  event_.set();
  return 0;
}

uint32_t CMtEvent::waitFor(uint32_t timeoutMs) { return event_.wait(timeoutMs); }

void CMtEvent::set() { event_.set(); }

void CMtEvent::reset() { event_.reset(); }

void CMtEvent::pulse() { event_.pulse(); }
