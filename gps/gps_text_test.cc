#include "gps/gps_text.h"

#include <gtest/gtest.h>

#include "gps/gpsd_reader.h"

namespace gps {
namespace {

GpsReading fixReading(int mode, double lat, double lon, double height, double h, double v) {
  GpsReading reading;
  reading.status = GpsStatus::kFix;
  reading.fixLimitS = 10.0;
  reading.fix = {mode, lat, lon, height, h, v};
  return reading;
}

// The texts of what no end-to-end run shows (gpsfake has no PPS, and its receiver is at 41.6 N
// 0.9 W), and the decimals of the stated accuracy.
TEST(GpsText, FixesOffsetsAndALostConnectionSayWhatTheyAre) {
  EXPECT_EQ(
      "41.64880 N, 0.88910 W, 250 m (3D fix; stated accuracy 17.1 m horizontal, 34.5 m "
      "vertical)",
      fixText(fixReading(3, 41.6488, -0.8891, 250.0, 17.1, 34.5)));
  EXPECT_EQ("33.86000 S, 151.21000 E, -12 m (3D fix; accuracy not stated)",
            fixText(fixReading(3, -33.86, 151.21, -12.0, NAN, NAN)));
  GpsReading lost;
  lost.address = {"127.0.0.1", "29999"};
  lost.status = GpsStatus::kLost;
  lost.detail = "end of data";
  EXPECT_EQ("gpsd at 127.0.0.1:29999 closed the connection before a fix (end of data)",
            failureText(lost));

  const GpsClockOffset behind{ClockSource::kSerialTime, -2.0043};
  EXPECT_EQ("the system clock is 2.004 s behind GPS time (gpsd's serial time stamp, no PPS)",
            clockOffsetText(behind));
  EXPECT_EQ("GPS -2.004 s", shortClockOffsetText(behind));
  EXPECT_TRUE(clockOffsetTooLarge(behind));
  const GpsClockOffset ahead{ClockSource::kPps, 0.0004};
  EXPECT_EQ("the system clock is 0.000 s ahead of GPS time (PPS)", clockOffsetText(ahead));
  EXPECT_EQ("GPS +0.000 s", shortClockOffsetText(ahead));
  EXPECT_FALSE(clockOffsetTooLarge(ahead));
  EXPECT_TRUE(clockOffsetTooLarge({ClockSource::kFixOnReceipt, 0.101}));
  EXPECT_FALSE(clockOffsetTooLarge({ClockSource::kFixOnReceipt, -0.099}));
  const GpsClockOffset none;
  EXPECT_EQ("gpsd reported no time", clockOffsetText(none));
  EXPECT_EQ("", shortClockOffsetText(none));
  EXPECT_FALSE(clockOffsetTooLarge(none));
}

TEST(GpsdAddress, SiteValuesThatAskForTheReceiver) {
  GpsdAddress address;
  ASSERT_TRUE(parseGpsSite("gps", &address));
  EXPECT_EQ("localhost:2947", addressText(address));
  ASSERT_TRUE(parseGpsSite("gps:127.0.0.1:29470", &address));
  EXPECT_EQ("127.0.0.1:29470", addressText(address));
  ASSERT_TRUE(parseGpsSite("gps:field-laptop", &address));
  EXPECT_EQ("field-laptop:2947", addressText(address));
  ASSERT_TRUE(parseGpsSite("gps:[::1]:2948", &address));
  EXPECT_EQ("::1:2948", addressText(address));

  address = {"kept", "1"};
  for (const char* text : {"GPS", "gps::2947", "gps:host:", "gps:host:123456", "gps:[::1",
                           "gps:[::1]x", "41.6,-0.9"}) {
    EXPECT_FALSE(parseGpsSite(text, &address)) << text;
    EXPECT_EQ("kept:1", addressText(address)) << text;
  }
}

}  // namespace
}  // namespace gps
