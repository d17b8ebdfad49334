// The user prompt on a POSIX terminal. The wait watches the input and the stop event together: a
// watcher thread waits for the stop event and wakes the poll() through a pipe.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "platform/event.h"
#include "platform/user_prompt.h"

namespace platform {
namespace {

constexpr char kHint[] = "[Press Enter to continue]\n";

std::atomic<int> g_testInputFd{-1};
std::atomic<int> g_testOutputFd{-1};

// Owns a file descriptor.
class ScopedFd {
 public:
  explicit ScopedFd(int fd) : fd_(fd) {}
  ~ScopedFd() {
    if (fd_ >= 0) close(fd_);
  }
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;

  int get() const { return fd_; }

 private:
  int fd_;
};

void writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // nowhere to show the prompt; the wait still happens
    done += static_cast<size_t>(n);
  }
}

// Until it is destroyed, makes wakeFd() readable as soon as |stop| is signalled.
class StopWatcher {
 public:
  explicit StopWatcher(Event* stop) : done_(true, false) {
    int fds[2];
    if (stop == nullptr || pipe2(fds, O_CLOEXEC) != 0) return;
    readFd_ = fds[0];
    writeFd_ = fds[1];
    thread_ = std::thread([this, stop] {
      Waitable* objects[] = {stop, &done_};
      if (waitAny(objects, 2, kInfinite) == kWaitObject0) {
        char byte = 0;
        while (write(writeFd_, &byte, 1) < 0 && errno == EINTR) {
        }
      }
    });
  }
  ~StopWatcher() {
    if (thread_.joinable()) {
      done_.set();
      thread_.join();
    }
    if (readFd_ >= 0) close(readFd_);
    if (writeFd_ >= 0) close(writeFd_);
  }
  StopWatcher(const StopWatcher&) = delete;
  StopWatcher& operator=(const StopWatcher&) = delete;

  int wakeFd() const { return readFd_; }

 private:
  Event done_;  // set when the prompt is over, to end the watcher
  int readFd_ = -1;
  int writeFd_ = -1;
  std::thread thread_;
};

// Reads the input byte by byte (so that a later prompt finds the rest) until a line end or the
// end of the input. Returns true then, false when the stop event woke the wait first.
bool waitForAnswer(int inputFd, Event* stop) {
  StopWatcher watcher(stop);
  for (;;) {
    pollfd fds[2] = {{watcher.wakeFd(), POLLIN, 0}, {inputFd, POLLIN, 0}};
    int ready = poll(fds, 2, -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return true;  // nothing to wait on: nobody can answer
    }
    if (fds[0].revents != 0) return false;
    if (fds[1].revents == 0) continue;
    char byte;
    ssize_t n = read(inputFd, &byte, 1);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    // A line end answers; so does the end of the input or an input that failed for good.
    if (n <= 0 || byte == '\n') return true;
  }
}

}  // namespace

bool promptUser(const std::string& caption, const std::string& text, Event* stop) {
  if (stop != nullptr && stop->wait(0) == kWaitObject0) return false;

  int inputFd = g_testInputFd.load();
  int outputFd = g_testOutputFd.load();
  ScopedFd terminal(inputFd < 0 || outputFd < 0 ? open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC)
                                                : -1);
  if (inputFd < 0) inputFd = terminal.get() >= 0 ? terminal.get() : STDIN_FILENO;
  if (outputFd < 0) outputFd = terminal.get() >= 0 ? terminal.get() : STDERR_FILENO;

  // Keys pressed before the prompt appeared do not answer it.
  if (isatty(inputFd)) tcflush(inputFd, TCIFLUSH);
  writeAll(outputFd, caption + "\n" + text + "\n" + kHint);
  return waitForAnswer(inputFd, stop);
}

void setPromptDescriptorsForTest(int inputFd, int outputFd) {
  g_testInputFd.store(inputFd);
  g_testOutputFd.store(outputFd);
}

}  // namespace platform
