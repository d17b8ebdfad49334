// POSIX implementation of console control: the console signals are blocked in every thread and
// taken synchronously by one signal thread with sigwait().
#include "platform/console_control.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <mutex>

#include "platform/error.h"

namespace platform {

namespace {

// The handler the signal thread calls; replaced atomically by a second installation.
std::atomic<ConsoleControlHandler> g_handler{nullptr};
// Guards g_threadStarted.
std::mutex g_startMutex;
bool g_threadStarted = false;

sigset_t consoleSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGQUIT);
  sigaddset(&set, SIGHUP);
  sigaddset(&set, SIGTERM);
  return set;
}

uint32_t eventCodeOf(int signal) {
  switch (signal) {
    case SIGINT:
      return 0;
    case SIGQUIT:
      return 1;
    case SIGHUP:
      return 2;
    default:
      return 6;  // SIGTERM: the system shuts the program down
  }
}

void* signalThreadMain(void*) {
  sigset_t set = consoleSignals();
  for (;;) {
    int signal = 0;
    if (sigwait(&set, &signal) != 0) continue;
    ConsoleControlHandler handler = g_handler.load();
    if (handler != nullptr) handler(eventCodeOf(signal));
  }
  return nullptr;
}

}  // namespace

void blockConsoleSignals() {
  sigset_t set = consoleSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void ignoreBrokenPipes() { signal(SIGPIPE, SIG_IGN); }

bool installConsoleControlHandler(ConsoleControlHandler handler) {
  // The signals must be blocked before the thread starts, or one might take the default action.
  blockConsoleSignals();
  g_handler.store(handler);
  std::lock_guard<std::mutex> lock(g_startMutex);
  if (g_threadStarted) return true;
  pthread_t thread;
  int rc = pthread_create(&thread, nullptr, &signalThreadMain, nullptr);
  if (rc != 0) {
    setLastError(static_cast<uint32_t>(rc));
    return false;
  }
  pthread_detach(thread);
  g_threadStarted = true;
  return true;
}

}  // namespace platform
