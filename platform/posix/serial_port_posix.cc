// The serial line on POSIX terminals: termios for the settings, modem-control ioctls for RTS.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/error.h"
#include "platform/serial_port.h"

namespace platform {
namespace {

void failWithErrno() { setLastError(static_cast<uint32_t>(errno)); }

// Retries a system call that a signal interrupted.
template <typename F>
int retryOnInterrupt(F call) {
  int result;
  do {
    result = call();
  } while (result == -1 && errno == EINTR);
  return result;
}

class PosixSerialLine final : public SerialLine {
 public:
  // Takes ownership of |fd|, an open device locked exclusively.
  explicit PosixSerialLine(int fd) : fd_(fd) {}
  ~PosixSerialLine() override {
    // A pulse cut short must not leave the flash or shutter line held after the port is gone.
    int rts = TIOCM_RTS;
    ioctl(fd_, TIOCMBIC, &rts);
    if (changed_) retryOnInterrupt([&] { return tcsetattr(fd_, TCSANOW, &original_); });
    close(fd_);  // the lock goes with the descriptor
  }
  PosixSerialLine(const PosixSerialLine&) = delete;
  PosixSerialLine& operator=(const PosixSerialLine&) = delete;

  bool readState() override {
    termios settings;
    int lines = 0;
    if (retryOnInterrupt([&] { return tcgetattr(fd_, &settings); }) != 0 ||
        retryOnInterrupt([&] { return ioctl(fd_, TIOCMGET, &lines); }) != 0) {
      failWithErrno();
      return false;
    }
    return true;
  }

  bool setRts(bool asserted) override {
    // RTS follows the program only without the RTS/CTS handshake, the one setting changed.
    termios settings;
    if (retryOnInterrupt([&] { return tcgetattr(fd_, &settings); }) != 0) {
      failWithErrno();
      return false;
    }
    if ((settings.c_cflag & CRTSCTS) != 0) {
      if (!changed_) original_ = settings;
      settings.c_cflag &= ~CRTSCTS;
      if (retryOnInterrupt([&] { return tcsetattr(fd_, TCSANOW, &settings); }) != 0) {
        failWithErrno();
        return false;
      }
      changed_ = true;
    }
    int rts = TIOCM_RTS;
    if (retryOnInterrupt([&] { return ioctl(fd_, asserted ? TIOCMBIS : TIOCMBIC, &rts); }) != 0) {
      failWithErrno();
      return false;
    }
    return true;
  }

 private:
  const int fd_;
  bool changed_ = false;  // the settings were changed; original_ holds them as found
  termios original_{};
};

}  // namespace

std::unique_ptr<SerialLine> openSerialDevice(const std::string& devicePath) {
  // Non-blocking, so that a line without carrier does not hold the open; no data is read or
  // written, so it stays so.
  int fd = retryOnInterrupt(
      [&] { return open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
  if (fd < 0) {
    failWithErrno();
    return nullptr;
  }
  // An advisory lock, not the terminal's exclusive flag: the system drops it with the process
  // however the process ends, where the flag would outlive a killed process and keep the line
  // busy for every later run.
  int error = 0;
  if (retryOnInterrupt([&] { return flock(fd, LOCK_EX | LOCK_NB); }) != 0) {
    error = errno == EWOULDBLOCK ? EBUSY : errno;
  }
#ifdef TIOCGEXCL
  // Another program that holds the line by the exclusive flag is respected, even by a privileged
  // user whom the system would let in.
  int held = 0;
  if (error == 0 && ioctl(fd, TIOCGEXCL, &held) == 0 && held != 0) error = EBUSY;
#endif
  if (error != 0) {
    close(fd);
    setLastError(static_cast<uint32_t>(error));
    return nullptr;
  }
  return std::make_unique<PosixSerialLine>(fd);
}

std::string comPortDevicePath(uint32_t comNumber) {
  return "/dev/ttyS" + std::to_string(static_cast<int64_t>(comNumber) - 1);
}

}  // namespace platform
