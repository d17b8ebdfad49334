// The state of the system clock's discipline: whether a time service keeps the clock synchronised
// and how far off the system believes it may be. Absolute waits are only as good as this clock.
//
// Thread safety: every function may be called from any thread.
#ifndef QUORVALE_PLATFORM_CLOCK_DISCIPLINE_H_
#define QUORVALE_PLATFORM_CLOCK_DISCIPLINE_H_

#include <cstdint>
#include <string>

namespace platform {

struct ClockDiscipline {
  bool known = false;            // false: the system would not tell (the rest is meaningless)
  bool synchronised = false;     // a time service disciplines the clock at present
  int64_t estimatedErrorUs = 0;  // the system's estimate of the clock's error, microseconds
  int64_t maximumErrorUs = 0;    // the system's bound on the clock's error, microseconds
};

// Reads the clock's discipline state without changing anything. Never fails: an unreadable state
// comes back with |known| false.
ClockDiscipline readClockDiscipline();

// One line of text for people, without line end, e.g. "synchronised, estimated error 0.4 ms,
// maximum error 12.5 ms", "not synchronised, estimated error ...", or "state unknown".
std::string describeClockDiscipline(const ClockDiscipline& state);

// The limit of estimated error beyond which absolute moments are not trusted.
constexpr int64_t kTrustedClockErrorUs = 100000;

// True when absolute moments can be trusted: known, synchronised and an estimated error within
// kTrustedClockErrorUs.
bool clockTrusted(const ClockDiscipline& state);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_CLOCK_DISCIPLINE_H_
