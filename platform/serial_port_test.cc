#include "platform/serial_port.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "platform/error.h"

namespace {

int openDescriptorCount() {
  int count = 0;
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  while (readdir(dir) != nullptr) ++count;
  closedir(dir);
  return count;
}

int errorOf(const std::function<void()>& call) {
  platform::setLastError(0);
  call();
  return static_cast<int>(platform::lastError());
}

int openError(const std::string& path) {
  return errorOf([&] { EXPECT_EQ(nullptr, platform::openSerialLine(path)); });
}

// A pseudo-terminal: the test keeps the master, the line opens the slave.
class SerialPortTest : public testing::Test {
 protected:
  void SetUp() override {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_TRUE(master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0 &&
                ptsname(master_) != nullptr);
    slave_ = ptsname(master_);
  }
  void TearDown() override {
    if (master_ >= 0) close(master_);
  }

  int master_ = -1;
  std::string slave_;
};

TEST_F(SerialPortTest, RefusesWhatIsNotAnOpenableTerminalAndClosesIt) {
  EXPECT_EQ("/dev/ttyS0", platform::comPortDevicePath(1));
  EXPECT_EQ("/dev/ttyS-1", platform::comPortDevicePath(0));
  int before = openDescriptorCount();
  EXPECT_EQ(ENOENT, openError("/dev/quorvale-no-such-port"));
  char path[] = "/tmp/quorvale_serial_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  EXPECT_EQ(ENOTTY, openError(path));
  unlink(path);
  EXPECT_EQ(before, openDescriptorCount());
}

TEST_F(SerialPortTest, PseudoTerminalOpensExclusivelyInBinaryModeWithoutControlLines) {
  termios before;
  ASSERT_EQ(0, tcgetattr(master_, &before));
  std::unique_ptr<platform::SerialLine> line = platform::openSerialLine(slave_);
  ASSERT_NE(nullptr, line) << platform::errorText(platform::lastError());
  termios after;  // raw, no handshake, carrier ignored, speed kept
  ASSERT_EQ(0, tcgetattr(master_, &after));
  EXPECT_EQ(0u, (after.c_lflag & (ICANON | ECHO | ISIG)) | (after.c_cflag & CRTSCTS));
  EXPECT_NE(0u, after.c_cflag & CLOCAL);
  EXPECT_EQ(cfgetospeed(&before), cfgetospeed(&after));
  // A second open is refused (even for a privileged user) until the first is released.
  EXPECT_EQ(EBUSY, openError(slave_));
  // A pseudo-terminal has no modem-control lines: the failure carries the system's code.
  EXPECT_EQ(ENOTTY, errorOf([&] { EXPECT_FALSE(line->readState()); }));
  EXPECT_EQ(ENOTTY, errorOf([&] { EXPECT_FALSE(line->setRts(true)); }));
  line.reset();
  EXPECT_NE(nullptr, platform::openSerialLine(slave_));
}

}  // namespace
