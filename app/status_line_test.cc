#include "app/status_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "camera/canon_camera.h"
#include "platform/clock.h"
#include "script/script_parser.h"
#include "script/script_test_support.h"

namespace {

constexpr uint64_t kNow = 133944624000000000ULL;  // 2025-06-15 12:00:00 UTC
constexpr uint64_t kSecond = 10000000ULL;

std::string localTimeOfDay(uint64_t utc) {
  uint64_t local = 0;
  platform::CalendarTime t{};
  platform::utcToLocalFileTime(utc, &local);
  platform::fileTimeToCalendar(local, &t);
  char text[32];
  std::snprintf(text, sizeof(text), "%02u:%02u:%02u", t.hour, t.minute, t.second);
  return text;
}

class StatusLineTest : public testing::Test, protected script_testing::ScriptRunner {
 protected:
  StatusLineTest() : ScriptRunner(kNow), camera_(nullptr, nullptr) {}

  // Runs |body| on a status-line clock over the fake clock; returns the console text.
  std::string run(const std::string& body, size_t columns = 0, const std::string& gpsClock = "") {
    const std::string text = "#!quorvale\n" + body;
    platform::ClockDiscipline state;
    state.known = true;
    state.synchronised = true;
    state.estimatedErrorUs = 400;
    script_testing::OutputCapture capture;
    {
      StatusLineClock status(&clock_, state, columns);
      CQuorvaleScriptParser parser(&camera_, nullptr, nullptr, &stop_, &status);
      status.setParser(&parser);
      if (!gpsClock.empty()) status.setGpsClock([gpsClock] { return gpsClock; });
      end_ = script_testing::runScript(&parser, text);
    }  // a line still shown is erased by now
    return capture.out();
  }

  CCanonCamera camera_;
};

// The wait itself stays the wrapped clock's; the line is drawn when the wait begins, names the
// next command (past blank and comment lines) and is erased before the next output.
TEST_F(StatusLineTest, LongWaitsDrawTheLineAndEraseItBeforeTheNextOutput) {
  const std::string out =
      run("wait sleep=90\n\n// a note\n  echo next one\nwait sleep=2\nwait utc=2025-06-15T12:05\n");
  EXPECT_EQ("end", end_);
  const uint64_t due = kNow + 90 * kSecond;
  const std::string announced = out.substr(0, out.find("Wait for "));
  EXPECT_EQ("Sleep: 90 seconds\n\r1:30 left, until " + localTimeOfDay(due) +
                " (12:01:30 UTC); next line 5: echo next one; clock synchronised, est. error 0.4 "
                "ms\x1b[K\r\x1b[Knext one\nSleep: 2 seconds\n",  // two seconds show nothing
            announced);
  EXPECT_NE(std::string::npos,
            out.find("\r3:28 left, until " + localTimeOfDay(kNow + 300 * kSecond) +
                     " (12:05:00 UTC); next: end of script; clock synchronised"))
      << out;
  EXPECT_EQ("sleep 90000 ms\nsleep 2000 ms\nmoment +208000 ms\n", clock_.journal());
}

// GPS time against the system clock, read before the run, follows the kernel's own view; a
// narrow terminal gets the line cut to its width.
TEST_F(StatusLineTest, TheGpsOffsetFollowsTheClockStateAndTheLineFitsTheTerminal) {
  EXPECT_EQ("Sleep: 5 seconds\n\r0:05 left, until " + localTimeOfDay(kNow + 5 * kSecond) +
                " (12:00:05 UTC); next: end of script; clock synchronised, est. error 0.4 ms, GPS "
                "-2.004 s\x1b[K\r\x1b[K",
            run("wait sleep=5\n", 0, "GPS -2.004 s"));
  EXPECT_EQ("Sleep: 3 seconds\n\r0:03 left, until " + localTimeOfDay(kNow).substr(0, 2) +
                "\x1b[K\r\x1b[K",
            run("wait sleep=3\n", 20));
}

}  // namespace
