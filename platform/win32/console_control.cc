// Windows implementation of console control: SetConsoleCtrlHandler. The system calls the routine
// on a thread of its own for each event (Ctrl+C 0, Ctrl+Break 1, close 2, logoff 5, shutdown 6).
#include "platform/console_control.h"

#include <windows.h>

#include <atomic>

#include "platform/error.h"

namespace platform {

namespace {

std::atomic<ConsoleControlHandler> g_handler{nullptr};
std::atomic<bool> g_installed{false};

// How long the routine holds a close, logoff or shutdown event: the system ends the process as
// soon as the routine returns, so it waits for the program to end in order instead (the system
// itself ends the process after its own limit of a few seconds).
constexpr DWORD kOrderlyEndMs = 30000;

BOOL WINAPI controlRoutine(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      break;
    default:
      return FALSE;
  }
  ConsoleControlHandler handler = g_handler.load();
  if (handler == nullptr) return FALSE;  // the system's default: end the process
  handler(static_cast<uint32_t>(event));
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    Sleep(kOrderlyEndMs);
  }
  return TRUE;
}

}  // namespace

void blockConsoleSignals() {
  // Console events never interrupt a thread here: they arrive on threads of their own.
}

void ignoreBrokenPipes() {
  // A write to a pipe whose reader has gone fails with an error; nothing ends the process.
}

bool installConsoleControlHandler(ConsoleControlHandler handler) {
  g_handler.store(handler);
  if (g_installed.exchange(true)) return true;
  if (!SetConsoleCtrlHandler(&controlRoutine, TRUE)) {
    setLastError(GetLastError());
    g_installed.store(false);
    return false;
  }
  return true;
}

}  // namespace platform
