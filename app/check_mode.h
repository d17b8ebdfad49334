// The script check ("-check", "-plot"): runs the script's own rules and commands against the
// planning clock and the planning camera layer, then prints the plan and its findings and draws
// the timeline when asked. Nothing waits, no shot is taken, no property is written, the serial
// line is never opened (so its RTS line never rises) and no sound plays.
//
// The body: camera -camera of the simulated world ("-sim", with its world file); otherwise the real
// camera when one answers, else the simulated camera of that number (the report says so).
//
// Thread safety: runs on the main thread, instead of starting the camera SDK for a mode.
#ifndef QUORVALE_APP_CHECK_MODE_H_
#define QUORVALE_APP_CHECK_MODE_H_

#include "app/program_options.h"

class Rehearsal;

// The simulated world, and "-at"/"-atutc" (the moment the check assumes the script starts, so
// "already past" is judged against it), come from |rehearsal|, prepared from the same options.
// Returns 0 when nothing is flagged, 4 when something is, 2 when the script cannot be read or
// the timeline cannot be written, 5 when there is no camera of that number at all.
// REQUIRES: options->mode == RunMode::Script, options->check; the camera SDK not started.
int runCheckMode(ProgramOptions* options, const Rehearsal& rehearsal);

#endif  // QUORVALE_APP_CHECK_MODE_H_
