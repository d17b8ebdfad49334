// Local wall-clock times turned into UTC by one rule, whatever was converted before.
//
// Around a change of the zone's offset a local time can be repeated (the autumn hour) or missing
// (the spring hour). The rule: a repeated local time is its first occurrence (the offset before
// the change, summer time in autumn); a missing one is read with the offset in force before the
// change, so it lands as far after the change as it was written after it (02:30 on a night whose
// clocks jump from 02:00 to 03:00 is 03:30 local).
//
// Built on utcToLocalFileTime alone, so every platform resolves alike.
//
// Thread safety: every function may be called from any thread.
#ifndef QUORVALE_PLATFORM_LOCAL_TIME_H_
#define QUORVALE_PLATFORM_LOCAL_TIME_H_

#include <cstdint>

namespace platform {

enum class LocalTimeKind {
  kUnique,    // the local time occurs once
  kRepeated,  // it occurs twice: the first occurrence is taken
  kSkipped,   // the zone skips it: read with the offset before the change
};

// The UTC file time of the local file time |local| by the rule above; *kind (may be null) says
// which case it was. Returns false when the moment is outside the zone rules' range.
bool resolveLocalTime(uint64_t local, uint64_t* utc, LocalTimeKind* kind);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_LOCAL_TIME_H_
