// POSIX implementation of the process facts.
#include "platform/process.h"

#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/error.h"

namespace platform {

std::string executablePath() {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer));
  if (n <= 0 || static_cast<size_t>(n) >= sizeof(buffer)) return std::string();
  return std::string(buffer, static_cast<size_t>(n));
}

std::string executableDirectory() {
  const std::string path = executablePath();
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

uint64_t peakMemoryBytes() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  return static_cast<uint64_t>(usage.ru_maxrss) * 1024;  // Linux counts kilobytes
}

bool raiseCurrentThreadToTimeCritical() {
  sched_param param{};
  param.sched_priority = sched_get_priority_max(SCHED_FIFO);
  if (param.sched_priority < 0) {
    setLastError(static_cast<uint32_t>(errno));
    return false;
  }
  int rc = pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
  if (rc != 0) {
    setLastError(static_cast<uint32_t>(rc));
    return false;
  }
  return true;
}

void ensureStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is |fd| itself: the ones below it are valid by now.
    const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
  }
}

void exitProcessNow(int code) {
  // The system call itself: a sanitizer's _exit flushes the standard streams first, which would
  // wait for ever on a stream whose write is blocked.
  syscall(SYS_exit_group, code);
  _exit(code);
}

}  // namespace platform
