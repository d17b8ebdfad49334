#include "platform/serial_port.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "platform/error.h"

namespace {

// Counts the calling process's open file descriptors.
int openDescriptorCount() {
  int count = 0;
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  while (readdir(dir) != nullptr) ++count;
  closedir(dir);
  return count;
}

// A pseudo-terminal pair: the master stays here, the slave's path is what the line opens.
class PseudoTerminal {
 public:
  PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
      const char* name = ptsname(master_);
      if (name != nullptr) slavePath_ = name;
    }
  }
  ~PseudoTerminal() {
    if (master_ >= 0) close(master_);
  }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool ok() const { return !slavePath_.empty(); }
  int master() const { return master_; }
  const std::string& slavePath() const { return slavePath_; }

 private:
  int master_ = -1;
  std::string slavePath_;
};

TEST(SerialPortTest, ComNumbersMapToSerialDevices) {
  EXPECT_EQ("/dev/ttyS0", platform::comPortDevicePath(1));
  EXPECT_EQ("/dev/ttyS4", platform::comPortDevicePath(5));
  EXPECT_EQ("/dev/ttyS12344", platform::comPortDevicePath(12345));
  EXPECT_EQ("/dev/ttyS4294967294", platform::comPortDevicePath(4294967295u));
  EXPECT_EQ("/dev/ttyS-1", platform::comPortDevicePath(0));
}

TEST(SerialPortTest, RefusesWhatIsNotAnOpenableTerminal) {
  int before = openDescriptorCount();

  platform::setLastError(0);
  EXPECT_EQ(nullptr, platform::openSerialLine("/dev/quorvale-no-such-port"));
  EXPECT_EQ(static_cast<uint32_t>(ENOENT), platform::lastError());
  EXPECT_EQ("No such file or directory", platform::errorText(platform::lastError()));

  char path[] = "/tmp/quorvale_serial_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  platform::setLastError(0);
  EXPECT_EQ(nullptr, platform::openSerialLine(path));
  EXPECT_EQ(static_cast<uint32_t>(ENOTTY), platform::lastError());
  EXPECT_EQ("Inappropriate ioctl for device", platform::errorText(platform::lastError()));
  unlink(path);

  // A refused file is closed again.
  EXPECT_EQ(before, openDescriptorCount());
}

TEST(SerialPortTest, PseudoTerminalOpensExclusivelyInBinaryMode) {
  PseudoTerminal pty;
  ASSERT_TRUE(pty.ok());
  termios before;
  ASSERT_EQ(0, tcgetattr(pty.master(), &before));

  std::unique_ptr<platform::SerialLine> line = platform::openSerialLine(pty.slavePath());
  ASSERT_NE(nullptr, line) << platform::errorText(platform::lastError());

  // The master reads the slave's settings: raw, no handshake, speed kept.
  termios after;
  ASSERT_EQ(0, tcgetattr(pty.master(), &after));
  EXPECT_EQ(0u, after.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
  EXPECT_EQ(0u, after.c_iflag & (ICRNL | IXON | ISTRIP));
  EXPECT_EQ(0u, after.c_oflag & OPOST);
  EXPECT_EQ(0u, after.c_cflag & CRTSCTS);
  EXPECT_NE(0u, after.c_cflag & CLOCAL);
  EXPECT_EQ(cfgetospeed(&before), cfgetospeed(&after));
  EXPECT_EQ(before.c_cflag & CSIZE, after.c_cflag & CSIZE);

  // Held exclusively: a second open is refused, even for a privileged user.
  platform::setLastError(0);
  EXPECT_EQ(nullptr, platform::openSerialLine(pty.slavePath()));
  EXPECT_EQ(static_cast<uint32_t>(EBUSY), platform::lastError());
  EXPECT_EQ("Device or resource busy", platform::errorText(platform::lastError()));

  // Released with the object.
  line.reset();
  line = platform::openSerialLine(pty.slavePath());
  EXPECT_NE(nullptr, line) << platform::errorText(platform::lastError());
}

// A pseudo-terminal has no modem-control lines: the kernel refuses the modem ioctls, and the line
// must report that with the system's code rather than claim a pulse.
TEST(SerialPortTest, ControlLineFailuresCarryTheSystemError) {
  PseudoTerminal pty;
  ASSERT_TRUE(pty.ok());
  std::unique_ptr<platform::SerialLine> line = platform::openSerialLine(pty.slavePath());
  ASSERT_NE(nullptr, line);

  platform::setLastError(0);
  EXPECT_FALSE(line->readState());
  EXPECT_EQ(static_cast<uint32_t>(ENOTTY), platform::lastError());

  platform::setLastError(0);
  EXPECT_FALSE(line->setRts(true));
  EXPECT_EQ(static_cast<uint32_t>(ENOTTY), platform::lastError());

  platform::setLastError(0);
  EXPECT_FALSE(line->setRts(false));
  EXPECT_EQ(static_cast<uint32_t>(ENOTTY), platform::lastError());
}

TEST(SerialPortTest, TestOpenerAnswersInsteadOfTheDevice) {
  std::string asked;
  platform::setSerialLineOpenerForTest([&](const std::string& path) {
    asked = path;
    platform::setLastError(EACCES);
    return std::unique_ptr<platform::SerialLine>();
  });
  EXPECT_EQ(nullptr, platform::openSerialLine("/dev/ttyS7"));
  EXPECT_EQ("/dev/ttyS7", asked);
  EXPECT_EQ(static_cast<uint32_t>(EACCES), platform::lastError());

  platform::setSerialLineOpenerForTest(nullptr);
  asked.clear();
  EXPECT_EQ(nullptr, platform::openSerialLine("/dev/quorvale-no-such-port"));
  EXPECT_EQ("", asked);
  EXPECT_EQ(static_cast<uint32_t>(ENOENT), platform::lastError());
}

}  // namespace
