// The OS-neutral part of the clock discipline: its text and the trust rule.
#include "platform/clock_discipline.h"

#include <cstdio>

namespace platform {

std::string describeClockDiscipline(const ClockDiscipline& state) {
  if (!state.known) return "state unknown";
  char text[160];
  std::snprintf(text, sizeof(text), "%s, estimated error %.1f ms, maximum error %.1f ms",
                state.synchronised ? "synchronised" : "not synchronised",
                static_cast<double>(state.estimatedErrorUs) / 1000.0,
                static_cast<double>(state.maximumErrorUs) / 1000.0);
  return text;
}

bool clockTrusted(const ClockDiscipline& state) {
  return state.known && state.synchronised && state.estimatedErrorUs <= kTrustedClockErrorUs;
}

}  // namespace platform
