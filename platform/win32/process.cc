// Windows implementation of the process facts.
#include "platform/process.h"

#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "platform/error.h"

namespace platform {

std::string executablePath() {
  char buffer[1024];
  const DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
  if (n == 0 || n >= sizeof(buffer)) return std::string();
  return std::string(buffer, n);
}

std::string executableDirectory() {
  const std::string path = executablePath();
  const size_t separator = path.find_last_of("\\/:");
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

uint64_t peakMemoryBytes() {
  // The process-memory counters live in psapi, which the program does not link: not told here.
  return 0;
}

bool raiseCurrentThreadToTimeCritical() {
  if (!SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL)) {
    setLastError(GetLastError());
    return false;
  }
  return true;
}

void ensureStandardStreams() {
  struct Stream {
    int fd;
    FILE* file;
    const char* mode;
  };
  const Stream streams[] = {{0, stdin, "r"}, {1, stdout, "w"}, {2, stderr, "w"}};
  for (const Stream& s : streams) {
    const intptr_t handle = _get_osfhandle(s.fd);
    if (handle != -1 && handle != -2) continue;  // -2: the descriptor has no stream behind it
    // The null device in its place, so that nothing opened later takes the descriptor.
    if (freopen("NUL", s.mode, s.file) == nullptr) continue;
  }
}

void exitProcessNow(int code) {
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
  ExitProcess(static_cast<UINT>(code));  // not reached
}

}  // namespace platform
