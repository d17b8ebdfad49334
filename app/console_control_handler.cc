#include "app/console_control_handler.h"

#include <atomic>
#include <system_error>
#include <thread>

#include "output/output.h"
#include "platform/event.h"
#include "platform/process.h"

namespace {

std::atomic<platform::Event*> g_stopEvent{nullptr};
std::atomic<ProcessEnder> g_ender{nullptr};
// Set by the first event that stopped a script.
std::atomic<bool> g_stopRequested{false};

void endProcess(int code) {
  flushLogFile();
  const ProcessEnder ender = g_ender.load();
  if (ender != nullptr) {
    ender(code);
    return;
  }
  platform::exitProcessNow(code);
}

// Writes the event's notice, then stops the script. Runs on a thread of its own: the output lock
// may be held for ever by a writer blocked on a console nobody reads, and the signal thread must
// stay free to take the next event.
void announceStop(const char* text, platform::Event* stop) {
  outputText(Warn, text);
  stop->set();
}

}  // namespace

const char* consoleEventText(uint32_t code) {
  switch (code) {
    case 0:
      return "\nCtrl+C\n";
    case 1:
      return "\nCtrl+Break\n";
    case 2:
      return "\nClose application\n";
    case 5:
      return "\nLogoff user\n";
    case 6:
      return "\nShutdown system\n";
    default:
      return "unknown";
  }
}

void setConsoleStopEvent(platform::Event* stop) {
  g_stopEvent.store(stop);
  g_stopRequested.store(false);
}

void setProcessEnderForTest(ProcessEnder ender) { g_ender.store(ender); }

void consoleCtrlHandler(uint32_t code) {
  platform::Event* stop = g_stopEvent.load();
  if (stop == nullptr || g_stopRequested.exchange(true)) {
    // Nothing to stop in order, or the user insists: end now, as the system would.
    endProcess(kExitCodeInterrupted);
    return;
  }
  try {
    std::thread(&announceStop, consoleEventText(code), stop).detach();
  } catch (const std::system_error&) {
    stop->set();  // no thread for the notice: the stop matters more than its text
  }
}
