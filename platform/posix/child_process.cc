// POSIX implementation of ChildProcess: fork and exec with pipes, one reader thread per output
// pipe and a writer thread for the input.
#include "platform/child_process.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/error.h"

namespace platform {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(5);

class PosixChildProcess final : public ChildProcess {
 public:
  // Takes the parent's ends of the pipes: |outFd|, |errFd| to read (-1: none), |inFd| to write
  // (-1: none), and |outWriteFd|, a copy of the child's output end kept to see the pipe fill (-1:
  // none).
  PosixChildProcess(pid_t pid, int outFd, int errFd, int inFd, int outWriteFd,
                    const ChildProcess::Options& options)
      : pid_(pid), outWriteFd_(outWriteFd), inFd_(inFd) {
    openPipes_ = (outFd >= 0 ? 1 : 0) + (errFd >= 0 ? 1 : 0);
    if (outFd >= 0) {
      outReader_ =
          std::thread(&PosixChildProcess::readPipe, this, outFd, &out_, options.outputUnread);
    }
    if (errFd >= 0)
      errReader_ = std::thread(&PosixChildProcess::readPipe, this, errFd, &err_, false);
    if (inFd >= 0) {
      writer_ = std::thread(&PosixChildProcess::writeInput, this, inFd, options.input,
                            options.inputStaysOpen);
    }
  }

  ~PosixChildProcess() override {
    int code = 0;
    if (!wait(0, &code)) {
      ::kill(pid_, SIGKILL);
      wait(60000, &code);
    }
    if (writer_.joinable()) writer_.join();
    if (outReader_.joinable()) outReader_.join();
    if (errReader_.joinable()) errReader_.join();
  }

  bool sendConsoleEvent(uint32_t code) override {
    int signal = SIGTERM;
    if (code == 0) signal = SIGINT;
    if (code == 1) signal = SIGQUIT;
    if (code == 2) signal = SIGHUP;
    std::lock_guard<std::mutex> lock(mutex_);
    if (reaped_) return false;
    return ::kill(pid_, signal) == 0;
  }

  bool kill() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (reaped_) return false;
    return ::kill(pid_, SIGKILL) == 0;
  }

  bool waitForText(const std::string& text, uint32_t timeoutMs) override {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
      return out_.find(text) != std::string::npos || err_.find(text) != std::string::npos;
    });
  }

  bool waitUntilOutputBlocks(uint32_t timeoutMs) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (outWriteFd_ < 0) return false;
        // Writable means a free slot: a write of the child could still go in.
        pollfd fd = {outWriteFd_, POLLOUT, 0};
        if (poll(&fd, 1, 0) == 0) return true;
      }
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(kPollInterval);
    }
  }

  bool wait(uint32_t timeoutMs, int* exitCode) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!reaped_) {
          int status = 0;
          if (waitpid(pid_, &status, WNOHANG) == pid_) {
            reaped_ = true;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            endOfChild();
          }
        }
        if (reaped_ && openPipes_ == 0) {
          *exitCode = status_;
          return true;
        }
      }
      if (std::chrono::steady_clock::now() >= deadline) return false;
      // The child's end is not a waitable object here; look again shortly.
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait_for(lock, kPollInterval);
    }
  }

  std::string standardOutput() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return out_;
  }
  std::string standardError() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return err_;
  }

 private:
  // The child is gone: what we kept open for it closes, and an unread output may be read.
  // REQUIRES: mutex_ held.
  void endOfChild() {
    if (outWriteFd_ >= 0) close(outWriteFd_);
    outWriteFd_ = -1;
    if (inputDone_ && inFd_ >= 0) close(inFd_);
    inFd_ = -1;
    changed_.notify_all();
  }

  void readPipe(int fd, std::string* sink, bool unreadUntilEnd) {
    if (unreadUntilEnd) {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return reaped_; });
    }
    char buffer[4096];
    for (;;) {
      const ssize_t n = read(fd, buffer, sizeof(buffer));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      std::lock_guard<std::mutex> lock(mutex_);
      sink->append(buffer, static_cast<size_t>(n));
      changed_.notify_all();
    }
    close(fd);
    std::lock_guard<std::mutex> lock(mutex_);
    --openPipes_;
    changed_.notify_all();
  }

  void writeInput(int fd, std::optional<std::string> input, bool staysOpen) {
    size_t done = 0;
    while (input && done < input->size()) {
      const ssize_t n = write(fd, input->data() + done, input->size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // the child closed its input
      done += static_cast<size_t>(n);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    inputDone_ = true;
    if (staysOpen && !reaped_) return;  // closed at the child's end
    close(fd);
    inFd_ = -1;
  }

  const pid_t pid_;
  std::mutex mutex_;
  std::condition_variable changed_;
  // Guarded by mutex_.
  std::string out_;
  std::string err_;
  int openPipes_ = 0;
  bool reaped_ = false;
  int status_ = -1;
  int outWriteFd_;
  int inFd_;
  bool inputDone_ = false;
  // Started in the constructor, joined in the destructor.
  std::thread outReader_;
  std::thread errReader_;
  std::thread writer_;
};

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::start(const Options& options) {
  int outPipe[2];
  int errPipe[2];
  int inPipe[2] = {-1, -1};
  if (pipe2(outPipe, O_CLOEXEC) != 0) return setLastError(errno), nullptr;
  if (pipe2(errPipe, O_CLOEXEC) != 0) return setLastError(errno), nullptr;
  const bool hasInput = options.input.has_value() || options.inputStaysOpen;
  if (hasInput && pipe2(inPipe, O_CLOEXEC) != 0) return setLastError(errno), nullptr;
  // A child that stops reading its input must not end us with SIGPIPE.
  signal(SIGPIPE, SIG_IGN);

  // Everything the child needs is prepared before fork: only async-signal-safe calls after it.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(options.program.c_str()));
  for (const std::string& arg : options.arguments) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const char* dir = options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str();
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    bool changed = false;
    for (const auto& change : options.environment) changed = changed || change.first == name;
    if (!changed) environment.push_back(text);
  }
  for (const auto& [name, value] : options.environment) {
    if (value) environment.push_back(name + "=" + *value);
  }
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) {
    setLastError(errno);
    return nullptr;
  }
  if (pid == 0) {
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    const int in = inPipe[0] >= 0 ? inPipe[0] : open("/dev/null", O_RDONLY);
    dup2(in, 0);
    if (options.withoutOutput) {
      close(1);
    } else {
      dup2(outPipe[1], 1);
    }
    if (options.withoutError) {
      close(2);
    } else {
      dup2(errPipe[1], 2);
    }
    if (dir != nullptr && chdir(dir) != 0) _exit(127);
    if (options.dataLimitBytes != 0) {
      const rlimit limit{options.dataLimitBytes, options.dataLimitBytes};
      if (setrlimit(RLIMIT_DATA, &limit) != 0) _exit(127);
    }
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  int outWriteFd = -1;
  if (options.outputUnread) {
    outWriteFd = outPipe[1];
  } else {
    close(outPipe[1]);
  }
  close(errPipe[1]);
  if (inPipe[0] >= 0) close(inPipe[0]);
  return std::unique_ptr<ChildProcess>(
      new PosixChildProcess(pid, outPipe[0], errPipe[0], inPipe[1], outWriteFd, options));
}

}  // namespace platform
