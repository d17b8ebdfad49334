// The script thread's routine.
#ifndef QUORVALE_APP_SCRIPT_THREAD_H_
#define QUORVALE_APP_SCRIPT_THREAD_H_

#include <cstdint>

#include "app/program_options.h"

// Runs one script: opens the COM port, the camera and the parser, scans the script text and
// releases everything in order. Returns the thread's exit code. |options| must outlive the call;
// nothing in it is changed but the script text, which is scanned in place (its NUL bytes dropped,
// two NUL end bytes appended) and is of no further use as a script afterwards.
uint32_t doScript(ProgramOptions* options);

#endif  // QUORVALE_APP_SCRIPT_THREAD_H_
