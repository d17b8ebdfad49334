// The serial line on POSIX terminals: termios for the settings, modem-control ioctls for RTS.

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <utility>

#include "platform/error.h"
#include "platform/serial_port.h"

namespace platform {
namespace {

// Guards the test opener.
std::mutex g_openerMutex;
SerialLineOpener g_opener;  // guarded by g_openerMutex

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

// Binary mode in place: no input or output translation, no echo, no signals from the line, reads
// byte by byte; speed, character size, parity and stop bits are kept. RTS is left to the program
// (no RTS/CTS handshake) and the carrier line is ignored.
void makeBinary(termios* t) {
  t->c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
  t->c_oflag &= ~OPOST;
  t->c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t->c_cflag &= ~CRTSCTS;
  t->c_cflag |= CLOCAL | CREAD;
  t->c_cc[VMIN] = 1;
  t->c_cc[VTIME] = 0;
}

class PosixSerialLine final : public SerialLine {
 public:
  // Takes ownership of |fd|, an open terminal held exclusively.
  explicit PosixSerialLine(int fd) : fd_(fd) {}
  ~PosixSerialLine() override {
    // A pulse cut short must not leave the flash or shutter line held after the port is gone.
    int rts = TIOCM_RTS;
    ioctl(fd_, TIOCMBIC, &rts);
    ioctl(fd_, TIOCNXCL);
    close(fd_);
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
    int rts = TIOCM_RTS;
    if (retryOnInterrupt([&] { return ioctl(fd_, asserted ? TIOCMBIS : TIOCMBIC, &rts); }) != 0) {
      failWithErrno();
      return false;
    }
    return true;
  }

 private:
  const int fd_;
};

std::unique_ptr<SerialLine> openDevice(const std::string& devicePath) {
  // Non-blocking, so that a line without carrier does not hold the open; blocking again below.
  int fd = retryOnInterrupt(
      [&] { return open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
  if (fd < 0) {
    failWithErrno();
    return nullptr;
  }
  int savedErrno = 0;
  termios settings;
  if (tcgetattr(fd, &settings) != 0) {
    savedErrno = errno;
  }
#ifdef TIOCGEXCL
  // A privileged process may open a line that another one holds exclusively; refuse it anyway.
  int held = 0;
  if (savedErrno == 0 && ioctl(fd, TIOCGEXCL, &held) == 0 && held != 0) {
    savedErrno = EBUSY;
  }
#endif
  if (savedErrno == 0 && ioctl(fd, TIOCEXCL) != 0) {
    savedErrno = errno;
  }
  if (savedErrno == 0) {
    makeBinary(&settings);
    if (retryOnInterrupt([&] { return tcsetattr(fd, TCSANOW, &settings); }) != 0) {
      savedErrno = errno;
      ioctl(fd, TIOCNXCL);
    }
  }
  if (savedErrno == 0) {
    int flags = fcntl(fd, F_GETFL);
    if (flags == -1 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
      savedErrno = errno;
      ioctl(fd, TIOCNXCL);
    }
  }
  if (savedErrno != 0) {
    close(fd);
    setLastError(static_cast<uint32_t>(savedErrno));
    return nullptr;
  }
  return std::make_unique<PosixSerialLine>(fd);
}

}  // namespace

std::string comPortDevicePath(uint32_t comNumber) {
  return "/dev/ttyS" + std::to_string(static_cast<int64_t>(comNumber) - 1);
}

std::unique_ptr<SerialLine> openSerialLine(const std::string& devicePath) {
  SerialLineOpener opener;
  {
    std::lock_guard<std::mutex> lock(g_openerMutex);
    opener = g_opener;
  }
  if (opener) return opener(devicePath);
  return openDevice(devicePath);
}

void setSerialLineOpenerForTest(SerialLineOpener opener) {
  std::lock_guard<std::mutex> lock(g_openerMutex);
  g_opener = std::move(opener);
}

}  // namespace platform
