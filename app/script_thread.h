// The script thread's routine.
#ifndef QUORVALE_APP_SCRIPT_THREAD_H_
#define QUORVALE_APP_SCRIPT_THREAD_H_

#include <cstdint>

#include "app/program_options.h"

// The exit codes a script run ends with before any of its lines ran (a script may also end with a
// code of its own).
constexpr uint32_t kSdkNotReadyExitCode = 1;     // "Canon interface not ready: <reason>"
constexpr uint32_t kNoCameraExitCode = 5;        // "Camera not found!: <reason>"
constexpr uint32_t kSessionNotOpenExitCode = 6;  // "Camera session did not open: <reason>"

// Runs one script: checks that the camera SDK is ready, opens the COM port, the camera and its
// session and the parser, scans the script text and releases everything in order. A camera whose
// session does not open runs no line: every command would fail. Returns the thread's exit code.
// |options| must outlive the call; nothing in it is changed but the script text, which is scanned
// in place (its NUL bytes dropped, two NUL end bytes appended) and is of no further use as a script
// afterwards.
uint32_t doScript(ProgramOptions* options);

#endif  // QUORVALE_APP_SCRIPT_THREAD_H_
