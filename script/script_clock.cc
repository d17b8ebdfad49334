#include "script/script_clock.h"

#include <cstring>

#include "platform/user_prompt.h"

namespace {

// The longest single wait the platform takes; kInfinite itself means "no limit".
constexpr uint64_t kLongestWaitMs = platform::kInfinite - 1;

class SystemScriptClock final : public ScriptClock {
 public:
  uint64_t utcNow() override { return platform::utcNow(); }

  uint32_t waitForMoment(platform::WaitableTimer* timer, platform::Event* stop,
                         uint64_t dueUtc) override {
    timer->setAbsolute(dueUtc);
    platform::Waitable* objects[2] = {timer, stop};
    return platform::waitAnyPrecisely(objects, stop != nullptr ? 2 : 1, platform::kInfinite);
  }

  uint32_t waitForStop(platform::Event* stop, uint64_t ms) override {
    if (stop == nullptr) {
      sleep(ms);
      return platform::kWaitTimeout;
    }
    // Sleeps of 2^32 ms and more are waited in pieces, each watching the stop event.
    platform::Waitable* objects[1] = {stop};
    do {
      uint64_t piece = ms < kLongestWaitMs ? ms : kLongestWaitMs;
      uint32_t result = platform::waitAnyPrecisely(objects, 1, static_cast<uint32_t>(piece));
      if (result != platform::kWaitTimeout) return result;
      ms -= piece;
    } while (ms > 0);
    return platform::kWaitTimeout;
  }

  void sleep(uint64_t ms) override { platform::sleepMs(ms); }
};

}  // namespace

bool ScriptClock::waitForUser(const std::string& caption, const std::string& text,
                              platform::Event* stop) {
  return platform::promptUser(caption, text, stop);
}

platform::CalendarTime ScriptClock::utcCalendar() {
  platform::CalendarTime t;
  std::memset(&t, 0, sizeof(t));
  platform::fileTimeToCalendar(utcNow(), &t);
  return t;
}

platform::CalendarTime ScriptClock::localCalendar() {
  platform::CalendarTime t;
  std::memset(&t, 0, sizeof(t));
  uint64_t local = 0;
  if (platform::utcToLocalFileTime(utcNow(), &local)) platform::fileTimeToCalendar(local, &t);
  return t;
}

ScriptClock* systemScriptClock() {
  static SystemScriptClock clock;
  return &clock;
}
