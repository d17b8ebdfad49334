#include "platform/serial_port.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
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

// The settings a line keeps, as one comparable text, with |cleared| flags taken out.
std::string settingsOf(int fd, tcflag_t cleared = 0) {
  termios t;
  if (tcgetattr(fd, &t) != 0) return "none";
  return std::to_string(t.c_iflag) + " " + std::to_string(t.c_oflag) + " " +
         std::to_string(t.c_cflag & ~cleared) + " " + std::to_string(t.c_lflag) + " " +
         std::to_string(cfgetospeed(&t)) + " " + std::string(t.c_cc, t.c_cc + NCCS);
}

TEST_F(SerialPortTest, OpensAnyDeviceAndClosesItButReadsOnlyTerminals) {
  EXPECT_EQ("/dev/ttyS0", platform::comPortDevicePath(1));
  int before = openDescriptorCount();
  EXPECT_EQ(ENOENT, openError("/dev/quorvale-no-such-port"));
  std::unique_ptr<platform::SerialLine> line = platform::openSerialLine("/dev/null");
  ASSERT_NE(nullptr, line);
  EXPECT_EQ(ENOTTY, errorOf([&] { EXPECT_FALSE(line->readState()); }));
  line.reset();
  EXPECT_EQ(before, openDescriptorCount());
}

// Only a terminal with hardware behind it is a line; the device is never opened to find out.
TEST_F(SerialPortTest, ProbeTellsASerialLineFromOtherCharacterDevices) {
  std::string what = "left over";
  EXPECT_FALSE(platform::probeSerialLine("/dev/quorvale-no-such-port", &what));
  EXPECT_EQ(ENOENT, static_cast<int>(platform::lastError()));
  EXPECT_EQ("", what);
  EXPECT_FALSE(platform::probeSerialLine("/tmp", &what));  // no device at all
  EXPECT_EQ(ENOTTY, static_cast<int>(platform::lastError()));
  if (access("/sys/dev/char", F_OK) != 0) GTEST_SKIP() << "no /sys/dev/char here";

  EXPECT_FALSE(platform::probeSerialLine("/dev/null", &what));
  EXPECT_EQ(ENOTTY, static_cast<int>(platform::lastError()));
  EXPECT_EQ("the mem device \"null\"", what);
  EXPECT_FALSE(platform::probeSerialLine("/dev/ptmx", &what));
  EXPECT_EQ("the terminal \"ptmx\", which has no hardware behind it", what);
  EXPECT_FALSE(platform::probeSerialLine(slave_, &what));
  EXPECT_NE(std::string::npos, what.find("a pseudo-terminal")) << what;
}

TEST_F(SerialPortTest, PseudoTerminalIsHeldExclusivelyAndGetsItsSettingsBack) {
  termios handshake;
  ASSERT_EQ(0, tcgetattr(master_, &handshake));
  handshake.c_cflag |= CRTSCTS;
  ASSERT_EQ(0, tcsetattr(master_, TCSANOW, &handshake));
  const std::string found = settingsOf(master_);
  const std::string withoutHandshake = settingsOf(master_, CRTSCTS);
  std::unique_ptr<platform::SerialLine> line = platform::openSerialLine(slave_);
  ASSERT_NE(nullptr, line) << platform::errorText(platform::lastError());
  EXPECT_EQ(found, settingsOf(master_));  // opening changes nothing
  // A second open is refused (even for a privileged user) until the first is released.
  EXPECT_EQ(EBUSY, openError(slave_));
  // A pseudo-terminal has no modem-control lines: the failure carries the system's code. Only
  // the handshake that would drive RTS was turned off on the way.
  EXPECT_EQ(ENOTTY, errorOf([&] { EXPECT_FALSE(line->readState()); }));
  EXPECT_EQ(ENOTTY, errorOf([&] { EXPECT_FALSE(line->setRts(true)); }));
  EXPECT_EQ(withoutHandshake, settingsOf(master_));
  line.reset();
  EXPECT_EQ(found, settingsOf(master_));
  EXPECT_NE(nullptr, platform::openSerialLine(slave_));
}

// A killed process cannot release anything itself: the hold must end with it all the same, also
// while another program keeps the line open (as socat keeps both ends of its pseudo-terminals).
TEST_F(SerialPortTest, HoldEndsWithAKilledProcess) {
  const int keeper = open(slave_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(keeper, 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::unique_ptr<platform::SerialLine> held = platform::openSerialLine(slave_);
    if (held == nullptr) _exit(1);
    raise(SIGKILL);
  }
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_NE(nullptr, platform::openSerialLine(slave_))
      << platform::errorText(platform::lastError());
  close(keeper);
}

}  // namespace
