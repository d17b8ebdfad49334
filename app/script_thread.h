// The script thread's routine.
#ifndef QUORVALE_APP_SCRIPT_THREAD_H_
#define QUORVALE_APP_SCRIPT_THREAD_H_

#include <cstdint>

#include "app/program_options.h"

// Runs one script: opens the COM port, the camera and the parser, scans the script text and
// releases everything in order. Returns the thread's exit code. |options| is not changed and must
// outlive the call.
uint32_t doScript(const ProgramOptions* options);

#endif  // QUORVALE_APP_SCRIPT_THREAD_H_
