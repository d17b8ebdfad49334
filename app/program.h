// The life of the program: command line, camera SDK, one mode, teardown.
//
// Order: missing standard streams given the null device, console signals blocked and handled,
// LC_TIME adopted, arguments parsed (the log may open), then help or usage (no camera SDK), or the
// camera SDK started and one of list, info or script run, the SDK stopped, the log closed last.
//
// Thread safety: runs on the main thread.
#ifndef QUORVALE_APP_PROGRAM_H_
#define QUORVALE_APP_PROGRAM_H_

#include "app/program_options.h"

// The whole program; returns the process exit code.
int runProgram(int argc, const char* const* argv);

// Script mode: banner, script text, stop event, script thread, the 50 ms wait loop. Returns the
// exit code: 2 when the script cannot be read, 3 when the thread cannot start, otherwise the
// script thread's. Waits for the script thread's orderly end also after a stop.
// |rehearsal| (may be null) gives the script clock, started right before the script thread.
// REQUIRES: options->mode == RunMode::Script; the camera SDK started.
class Rehearsal;
int runScriptMode(ProgramOptions* options, Rehearsal* rehearsal = nullptr);

#endif  // QUORVALE_APP_PROGRAM_H_
