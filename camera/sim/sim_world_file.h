// The world file of the simulated cameras ("-sim <path>"): a plain text a person writes by hand
// that describes the bodies and the faults to inject. docs/world_file.md explains every key.
//
//   # a comment line (also ";")
//   [world]
//   initialize_error = 0x...
//   [camera ptp]              one section per body, in camera order; "ptp" starts from the
//   model = Canon EOS R5      default PTP body, "legacy" from the default legacy body
//   card = CF 64GB 60GB       label, capacity and free space; the first card line replaces the
//   busy_on_shot = 3          body's cards, more lines add cards
//   back_after = 2            after shutting down, switched on again 2 s later
//
// Keys are case-insensitive, values are taken whole after the "=" with blanks trimmed (no comment
// after a value). Sizes are a number with B, KB, MB or GB (powers of 1000); codes are decimal or
// 0x hex; durations are given in the unit their key names.
//
// Thread safety: pure functions.
#ifndef QUORVALE_CAMERA_SIM_SIM_WORLD_FILE_H_
#define QUORVALE_CAMERA_SIM_SIM_WORLD_FILE_H_

#include <cstdint>
#include <functional>
#include <string>

#include "camera/sim/sim_world.h"

// Reads a moment of the script language (local time, or UTC when |utc|) into a file time of the
// script clock; false when the text is no moment.
using SimMomentReader = std::function<bool(const std::string& text, bool utc, uint64_t* utcOut)>;

struct SimWorldFileError {
  uint32_t line = 0;  // 1-based
  std::string reason;
};

// Builds |world| from |text|. Returns false with the first error's line and reason, leaving
// |world| in an unspecified state. A text without any [camera] section keeps the default bodies.
bool parseSimWorldFile(const std::string& text, const SimMomentReader& readMoment, SimWorld* world,
                       SimWorldFileError* error);

#endif  // QUORVALE_CAMERA_SIM_SIM_WORLD_FILE_H_
