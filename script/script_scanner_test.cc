// The rules of the script language, driven through the generated scanner. The camera here has no
// session, so every camera command reports its error and the matched values show in the messages.
#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>

#include "camera/canon_camera.h"
#include "camera/error_text.h"
#include "script/script_parser.h"
#include "script/script_test_support.h"

namespace {

using script_testing::OutputCapture;

constexpr uint64_t kNow = 133944624000000000ULL;  // 2025-06-15 12:00:00 UTC
const std::string kH = "#!quorvale\n";

// The report of each byte of |text| skipped on its own.
std::string skips(const std::string& text) {
  std::string out;
  for (char c : text) out += std::string("\nSkip: ") + c + "\n";
  return out;
}

class ScriptScannerTest : public testing::Test, protected script_testing::ScriptRunner {
 protected:
  ScriptScannerTest() : ScriptRunner(kNow), camera_(nullptr, nullptr) {
    setSdkErrorTextSource(edsErrorText);
  }

  CCanonCamera camera_;
};

TEST_F(ScriptScannerTest, WorkedExamples) {
  const struct {
    std::string text, out;
    int locks = -1;  // the lock depth at the end, when checked
  } cases[] = {
      // Text before the header, comments and blank lines; without a header nothing runs.
      {"some notes\n#!quorvale, then any text\n\n  // comment\n; semi\n# hash\n"
       "#!quorvale again: a comment now\n\n\n",
       ""},
      {"echo hi\nfoo\n", ""},
      {"", ""},
      {" #!quorvale\necho hi\n", ""},
      {"x\n#!QUORVALE\necho hi\n", "hi\n"},
      // Set items and every key. An item without a value is skipped; a set line without items is
      // silent.
      {kH + "set iso=\nset\nLET  \n", skips("iso=")},
      {kH + "let FORMAT=RAW;ae=Av drivemode=x metering=y processtime=700 shotmul=\"2\" "
            "alloctimeout=9 camerabufsize=3 comflashtime=100\n",
       "set ImageQuality=RAW -> : Session open error\nset AEMode=Av -> : Session open error\n"
       "set DriveMode=x -> : Not supported\nset MeteringMode=y -> : Not supported\n"
       "set ShotTimeout=700 ms -> 700 ms\nset TimeMultiplier=2x -> 2x\n"
       "set AllocBufferTimeout=9 ms -> 9 ms\nset BufferSize=3 -> 3\n"
       "set ShotComTime=100 ms -> 100 ms\n"},
      // Flash lines have no separator rule.
      {kH + "comflash comflashtime=300\n", "set ShotComTime=300 ms -> 300 ms\nCOM port not open\n"},
      {kH + "shotcom\nFlashCom \n", "COM port not open\nCOM port not open\n"},
      // Lock forms; "lockui" with blanks is recognised only with true, on, off or false.
      {kH + "lockui\nlockUI on\nLOCKUI  true \n", "Camera locked\nCamera locked\nCamera locked\n",
       3},
      {kH + "lockui\nlockUI  off\nlockui\nunlockui\n",
       "Camera locked\nCamera unlocked\nCamera locked\nCamera unlocked\n", 0},
      {kH + "lockui yes\nshotx\n", skips("lockui yes") + skips("shotx")},
      {kH + " \t x\ncomflash y \t\n", skips(" \t x") + skips("y \t") + "COM port not open\n"},
      // Echo forms and a last line without line feed.
      {kH + "echo   two\necho\n ECHO \t\necho 100% %s %d\n", "  two\n\n\n100% %s %d\n"},
      {kH + "echo Hi", "Hi"},
      // An argument line cut off by the end of the text runs nothing at its line end.
      {kH + "wait", skips("wait")},
      {kH + "wait sleep=1", skips("sleep=1")},
      {kH + "play\nplay  \n", ""},
      // Wait forms (the moment keywords and their values are the timing commands' tests); a
      // moment with a blank must be quoted.
      {kH + "wait sleep=1.5\nwait sleep = \"1:30\"\n", "Sleep: 1.5 seconds\nSleep: 90 seconds\n"},
      {kH + "wait 5\nwait utc=2024-12-31 23:59\n", "\nSkip: 5\n\n\nSkip: utc=2024-12-31 23:59\n\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.out, runText(&camera_, c.text)) << c.text;
    EXPECT_EQ("end", end_) << c.text;
    if (c.locks >= 0) {
      EXPECT_EQ(static_cast<uint32_t>(c.locks), lockCount_) << c.text;
    }
  }
}

// A NUL byte is the only byte out of place in its line, wherever it stands, and long lines and
// runs of blanks scan whole; the text read in place and a stream read the same.
TEST_F(ScriptScannerTest, NulBytesAndLongLinesReadTheSameInPlaceAndFromAStream) {
  const std::string big = "a" + std::string(3000000, 'x') + "z";
  const std::string blanks(100000, ' ');  // each reported on its own
  const char nuls[] = "no\0tes\n#!quo\0rvale\0\n// com\0ment\necho a\0b\nwait sleep=1\0.5\n";
  const struct {
    std::string text, out;
  } cases[] = {
      {std::string(nuls, sizeof(nuls) - 1), "ab\nSleep: 1.5 seconds\n"},
      // A stretch of NULs longer than one read of the stream.
      {kH + std::string(40000, '\0') + "echo after\n", "after\n"},
      {kH + "echo " + big + "\n// " + big + "\necho " + big, big + "\n" + big},
      {kH + blanks + "x\n", skips(blanks + "x")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.out, runText(&camera_, c.text)) << c.text.substr(0, 80);
    EXPECT_EQ("end", end_);
    OutputCapture capture;
    CQuorvaleScriptParser parser(&camera_, nullptr, nullptr, &stop_, &clock_);
    std::istringstream input(c.text);
    parser.switch_streams(&input, nullptr);
    EXPECT_EQ(0, parser.yylex());
    EXPECT_EQ(c.out, capture.out()) << c.text.substr(0, 80);
  }
}

// A stream whose reads fail: the scan ends with its signed failure value.
class FailingBuffer final : public std::streambuf {
 protected:
  int_type underflow() override { throw std::ios_base::failure("read error"); }
};

TEST_F(ScriptScannerTest, ReadErrorEndsTheScanWithMinusOne) {
  FailingBuffer buffer;
  std::istream input(&buffer);
  CQuorvaleScriptParser parser(&camera_, nullptr, nullptr, &stop_, &clock_);
  parser.switch_streams(&input, nullptr);
  int32_t failure = 0;
  try {
    parser.yylex();
  } catch (int32_t thrown) {
    failure = thrown;
  }
  EXPECT_EQ(-1, failure);
}

}  // namespace
