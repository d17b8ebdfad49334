#include "platform/local_time.h"

#include <algorithm>

#include "platform/clock.h"

namespace platform {

namespace {

constexpr int64_t kUnitsPerHour = 3600LL * 10000000LL;
// Zone offsets stay within a day of UTC; the probes look that far on either side.
constexpr int kProbes = 9;
constexpr int64_t kProbeStep = 6 * kUnitsPerHour;

// The zone's offset (local - UTC, in 100-ns units) in force at the UTC moment |utc|.
bool offsetAt(int64_t utc, int64_t* offset) {
  if (utc < 0) return false;
  uint64_t local = 0;
  if (!utcToLocalFileTime(static_cast<uint64_t>(utc), &local)) return false;
  *offset = static_cast<int64_t>(local) - utc;
  return true;
}

}  // namespace

bool localToUtcFileTime(uint64_t local, uint64_t* utc) {
  return resolveLocalTime(local, utc, nullptr);
}

bool resolveLocalTime(uint64_t local, uint64_t* utc, LocalTimeKind* kind) {
  const int64_t l = static_cast<int64_t>(local);
  if (l < 0) return false;
  // The offsets in force around the moment.
  int64_t offsets[kProbes];
  int count = 0;
  for (int i = 0; i < kProbes; ++i) {
    int64_t offset = 0;
    if (!offsetAt(l + (i - kProbes / 2) * kProbeStep, &offset)) continue;
    if (std::find(offsets, offsets + count, offset) == offsets + count) offsets[count++] = offset;
  }
  if (count == 0) return false;
  // Each offset that maps the local time onto a UTC moment where that offset is in force gives an
  // occurrence of it.
  int64_t first = 0;
  int occurrences = 0;
  int64_t largest = offsets[0];
  for (int i = 0; i < count; ++i) {
    largest = std::max(largest, offsets[i]);
    const int64_t candidate = l - offsets[i];
    int64_t offset = 0;
    if (!offsetAt(candidate, &offset) || offset != offsets[i]) continue;
    if (occurrences == 0 || candidate < first) first = candidate;
    ++occurrences;
  }
  if (occurrences > 0) {
    *utc = static_cast<uint64_t>(first);
    if (kind != nullptr)
      *kind = occurrences > 1 ? LocalTimeKind::kRepeated : LocalTimeKind::kUnique;
    return true;
  }
  // A gap: the earliest reading (with the largest offset) still falls before the change, so the
  // offset in force there is the one before it.
  int64_t before = 0;
  if (!offsetAt(l - largest, &before) || l - before < 0) return false;
  *utc = static_cast<uint64_t>(l - before);
  if (kind != nullptr) *kind = LocalTimeKind::kSkipped;
  return true;
}

}  // namespace platform
