// The program's answer to console control events (Ctrl+C, Ctrl+Break, close, logoff, shutdown).
//
// While a script runs (a stop event is registered) the first event writes its text as a Warn
// message and then sets the stop event; the script thread then ends in order. Any further event,
// or an event while no script runs (list, info, help, reading the script from standard input),
// ends the process at once with exit code 130, as the system ends an interrupted program: no
// notice, the log's buffer flushed.
//
// Thread safety: consoleCtrlHandler runs on the platform's signal thread and never waits on the
// output lock (a writer blocked on a console nobody reads may hold it for ever): the first event's
// notice is written, and the stop event set, by a short-lived thread of its own.
// setConsoleStopEvent may be called from any thread.
#ifndef QUORVALE_APP_CONSOLE_CONTROL_HANDLER_H_
#define QUORVALE_APP_CONSOLE_CONTROL_HANDLER_H_

#include <cstdint>

namespace platform {
class Event;
}

// The exit code of a process ended at once by a console event: 128 + SIGINT, as shells report an
// interrupted program. (The "thread still running" code 259 of other systems cannot be an exit
// status here: it would arrive as 3, the code of a script thread that could not start.)
constexpr int kExitCodeInterrupted = 130;

// The text of an event code: "\nCtrl+C\n", "\nCtrl+Break\n", "\nClose application\n",
// "\nLogoff user\n", "\nShutdown system\n", or "unknown".
const char* consoleEventText(uint32_t code);

// Registers the event that the first console event sets (null: none). |stop| must live for the
// rest of the process.
void setConsoleStopEvent(platform::Event* stop);

// Test seam: replaces ending the process (null restores it).
using ProcessEnder = void (*)(int code);
void setProcessEnderForTest(ProcessEnder ender);

// The handler given to platform::installConsoleControlHandler().
void consoleCtrlHandler(uint32_t code);

#endif  // QUORVALE_APP_CONSOLE_CONTROL_HANDLER_H_
