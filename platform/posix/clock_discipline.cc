// POSIX (Linux) clock discipline: the kernel's NTP state through adjtimex in read-only mode.
#include "platform/clock_discipline.h"

#include <sys/timex.h>

#include <cstdio>

namespace platform {

ClockDiscipline readClockDiscipline() {
  ClockDiscipline state;
  struct timex tx = {};
  tx.modes = 0;  // read only
  const int result = adjtimex(&tx);
  if (result < 0) return state;
  state.known = true;
  state.synchronised = result != TIME_ERROR && (tx.status & STA_UNSYNC) == 0;
  state.estimatedErrorUs = tx.esterror;
  state.maximumErrorUs = tx.maxerror;
  return state;
}

}  // namespace platform
