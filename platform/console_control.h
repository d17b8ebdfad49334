// Console control events: interrupts and termination requests reach the program as event codes.
//
// Codes: 0 Ctrl+C (SIGINT), 1 Ctrl+Break (SIGQUIT), 2 close (SIGHUP), 6 shutdown (SIGTERM).
//
// Thread safety: install once, from the main thread, before any other thread is started (the
// signals are blocked for every thread created afterwards and taken by one dedicated thread).
#ifndef QUORVALE_PLATFORM_CONSOLE_CONTROL_H_
#define QUORVALE_PLATFORM_CONSOLE_CONTROL_H_

#include <cstdint>

namespace platform {

// Called on the dedicated signal thread, once per event, with the event code.
using ConsoleControlHandler = void (*)(uint32_t code);

// Blocks SIGINT, SIGQUIT, SIGHUP and SIGTERM in the calling thread (and so in every thread it
// creates later). Call first thing in main.
void blockConsoleSignals();

// Makes a write to a pipe whose reader has gone fail with an error instead of ending the process
// (a script must not die because the program it was piped into ended). Call first thing in main.
void ignoreBrokenPipes();

// Starts the signal thread, which calls |handler| for each console control event. Returns false
// with lastError() set when the thread cannot be started. Installing a second handler replaces the
// first.
bool installConsoleControlHandler(ConsoleControlHandler handler);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_CONSOLE_CONTROL_H_
