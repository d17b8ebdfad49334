// The live status line of long waits: drawn on a terminal (a pseudo-terminal here), never in a
// pipe or the log.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/gpsd_fake.h"

namespace e2e {
namespace {

const char kScript[] = "#!quorvale\necho before\nwait sleep=2.5\n// a note\necho after\n";

// Runs the program with |args| on |script| (test.qvs in a directory of its own) on a new
// pseudo-terminal (|columns| wide, 0: the system's default); returns all it wrote there.
std::string runOnTerminal(const std::string& script, const char* const* args,
                          unsigned short columns = 0) {
  char dir[] = "/tmp/quorvale_status_XXXXXX";
  if (mkdtemp(dir) == nullptr) return "no directory";
  const std::string path = std::string(dir) + "/test.qvs";
  std::ofstream(path) << script;
  int master = -1;
  winsize size = {24, columns, 0, 0};
  const pid_t pid = forkpty(&master, nullptr, nullptr, columns != 0 ? &size : nullptr);
  if (pid == 0) {
    if (chdir(dir) != 0) _exit(127);
    execv(QUORVALE_BINARY, const_cast<char* const*>(args));
    _exit(127);
  }
  std::string out;
  while (pid > 0) {
    pollfd fd = {master, POLLIN, 0};
    if (poll(&fd, 1, 30000) <= 0) break;  // a hung program fails the test, it does not hang it
    char buffer[4096];
    const ssize_t n = read(master, buffer, sizeof(buffer));
    if (n > 0) {
      out.append(buffer, static_cast<size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      break;  // EIO: the program has closed the terminal
    }
  }
  if (pid > 0) {
    close(master);
    waitpid(pid, nullptr, 0);
  }
  unlink(path.c_str());
  rmdir(dir);
  return out;
}

TEST(StatusLineE2eTest, DrawnOnATerminalAndErasedBeforeTheNextOutput) {
  const char* const args[] = {"quorvale", "-sim", "-script", "test.qvs", nullptr};
  const std::string out = runOnTerminal(kScript, args);

  // The terminal turns each line feed into CR LF.
  const size_t status = out.find("before\r\nSleep: 2.5 seconds\r\n\r0:0");
  ASSERT_NE(npos, status) << out;
  // What the line says is the status line's unit test's.
  const size_t next = out.find(" left, until ", status);
  EXPECT_NE(npos, next) << out;
  EXPECT_NE(npos, out.find("\r\x1b[Kafter\r\nClose session\r\n", next)) << out;
}

// With "-site gps" the line ends with GPS time against the system clock, as gpsd keeps reporting
// it during the wait (here a receiver 2 s behind the system clock).
TEST(StatusLineE2eTest, ShowsGpsTimeAgainstTheSystemClock) {
  if (testsWindowsProgram()) GTEST_SKIP() << "runs this build's program: once is enough";
  GpsdFake gpsd;
  std::string why;
  QUORVALE_SKIP_WITHOUT_GPSD(gpsd.startReceiver(NmeaFix::k3D, -2.0, &why), why);
  const std::string site = gpsd.siteValue();
  const char* const args[] = {"quorvale", "-sim", "-site", site.c_str(), "-script", "test.qvs",
                              nullptr};
  const std::string out = runOnTerminal("#!quorvale\nwait sleep=3.5\n", args, 200);

  size_t at = out.find("Sleep: 3.5 seconds\r\n\r0:04 left, until ");
  ASSERT_NE(npos, at) << out;
  int shown = 0;
  while ((at = out.find(", GPS ", at)) != npos) {
    at += 6;
    const double offset = std::strtod(out.c_str() + at, nullptr);
    EXPECT_EQ('+', out[at]) << out;
    EXPECT_NEAR(gpsd.feedOffsetS(), offset, 0.1) << out;
    EXPECT_EQ(" s\x1b[K", out.substr(out.find(' ', at), 5)) << out;
    ++shown;
  }
  EXPECT_GE(shown, 2) << out;  // the first line and the redraws
}

TEST(StatusLineE2eTest, NeverInAPipeOrTheLog) {
  RunOptions options;
  options.arguments = {"-sim", "-log", "-script", "test.qvs"};
  options.files = {{"test.qvs", kScript}};
  RunResult r = runQuorvale(options);
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ(kBanner + kSession + "before\nSleep: 2.5 seconds\nafter\nClose session\n", r.out);
  EXPECT_EQ(npos, r.log.find("left, until")) << r.log;
  // The clock's state is written to the log when the script starts.
  EXPECT_NE(npos, r.log.find("TRC: System clock: ")) << r.log;
}

}  // namespace
}  // namespace e2e
