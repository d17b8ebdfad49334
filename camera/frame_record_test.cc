#include "camera/frame_record.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "camera/camera_test_support.h"
#include "camera/error_text.h"
#include "platform/clock.h"

namespace {

// 2026-08-12 18:27:45.123 UTC as a file time.
uint64_t moment(uint16_t second, uint16_t ms) {
  platform::CalendarTime t{2026, 8, 0, 12, 18, 27, second, ms};
  uint64_t fileTime = 0;
  EXPECT_TRUE(platform::calendarToFileTime(t, &fileTime));
  return fileTime;
}

TEST(FrameRecordTest, LateFatesTheCountTheLogAndTheReport) {
  camera_test::ConsoleCapture console;
  camera_test::LogCapture log;
  std::random_device random;
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("quorvale_record_" + std::to_string(random()));
  {
    CFrameRecord record;
    std::string error;
    ASSERT_TRUE(record.openReport(path.string(), &error)) << error;
    record.noteScriptLine(4);
    record.onRelease(1, moment(45, 123), 0);
    record.onExposure(1, 110);
    record.onSettled(1, FrameFate::kStored, 0, FrameWhy::kNone, moment(45, 380));
    record.onReportedOk(1, 1);
    // Failed after its ok line: said at once. A fate told before the exposure waits for it.
    record.noteScriptLine(6);
    record.onRelease(2, moment(47, 0), 0);
    record.onReportedOk(2, 2);
    record.onSettled(2, FrameFate::kFailed, captureErrorResult(3), FrameWhy::kNone, moment(48, 5));
    record.onExposure(2, 110);
    // A refused release is no frame; a second fate is ignored.
    record.onRelease(3, moment(50, 0), 0);
    record.onRefused(3);
    record.noteScriptLine(9);
    record.onRelease(3, moment(51, 0), 1155);
    record.onSettled(3, FrameFate::kUnconfirmed, 0, FrameWhy::kNoWord, moment(59, 0));
    record.onSettled(3, FrameFate::kStored, 0, FrameWhy::kNone, moment(59, 1));
    record.onReportedOk(3, 3);
    record.printCount();
  }
  EXPECT_EQ(
      "Shot #2: failed after its wait: General errors from the shooting mode, such as errors from "
      "the bulb or mirror-up mechanism\n"
      "Shot #3: unconfirmed after its wait: no completion came from the body\n"
      "Frames: 3 released, 1 stored, 1 failed (#2), 1 unconfirmed (#3)\n",
      console.err());
  EXPECT_EQ("", console.out());
  const std::string logged = log.take();
  EXPECT_NE(std::string::npos, logged.find("Frame #1: released 2026-08-12T18:27:45.123Z, completed "
                                           "2026-08-12T18:27:45.380Z, stored\n"))
      << logged;
  EXPECT_NE(std::string::npos,
            logged.find("Frame #3: released 2026-08-12T18:27:51.000Z, completed -, unconfirmed: "
                        "no completion came from the body\n"))
      << logged;
  std::stringstream report;
  {
    std::ifstream in(path);  // closed before the file goes: Windows refuses to remove an open file
    report << in.rdbuf();
  }
  EXPECT_EQ(
      "shot,line,release_utc,exposure_ms,completion_utc,fate,reason\n"
      "1,4,2026-08-12T18:27:45.123Z,110,2026-08-12T18:27:45.380Z,stored,\"\"\n"
      "2,6,2026-08-12T18:27:47.000Z,110,2026-08-12T18:27:48.005Z,failed,\"General errors from "
      "the shooting mode, such as errors from the bulb or mirror-up mechanism\"\n"
      "3,9,2026-08-12T18:27:51.000Z,1155,,unconfirmed,\"no completion came from the body\"\n",
      report.str());
  std::filesystem::remove(path);
}

}  // namespace
