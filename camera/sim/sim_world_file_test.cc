#include "camera/sim/sim_world_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Moments are "T+<seconds>" here: the world file hands them over as written.
bool readMoment(const std::string& text, bool utc, uint64_t* out) {
  if (text.compare(0, 2, "T+") != 0) return false;
  *out = std::stoull(text.substr(2)) * 10000000ULL + (utc ? 1 : 0);
  return true;
}

// The body's make-up and its starting values. The faults a world plans (errors, refusals, shot
// faults, arrivals, delays, drains) are seen at work end to end, and so are the buffer's and the
// image sizes and the processing time.
TEST(SimWorldFileTest, BodyKeysReachTheWorld) {
  SimWorld world;
  SimWorldFileError error;
  ASSERT_TRUE(parseSimWorldFile(
      "# a world\n; comment\n\n[world]\ninitialize_error = 0x2\n"
      "[camera legacy]\nMODEL = Canon EOS 60D (simulated)\nport = usb:1\n"
      "card = CF 8GB 2.5GB\ncard = SD 16GB\nwrite_speed = 20 MB/s\nbattery = 55\n"
      "battery_drain_per_shot = 0.5\nauto_power_off = 120\n"
      "auto_power_off_warning = 5\ntv = 1/250\nav = 8\niso = 400\nquality = RAW\nae = M\n"
      "drive = Single\nmetering = 0x3\nshutdown_at_utc = T+60\n"
      "[camera ptp]\nshutdown_at = T+5\n",
      readMoment, &world, &error))
      << error.line << ": " << error.reason;
  EXPECT_EQ(2u, world.initializeError);
  ASSERT_EQ(2u, world.bodies.size());
  const SimBodyPlan& a = world.bodies[0];
  EXPECT_EQ("Canon EOS 60D (simulated)", a.config.description);
  EXPECT_EQ("usb:1", a.config.portName);
  EXPECT_EQ(0u, a.config.deviceSubType);
  ASSERT_EQ(2u, a.config.volumes.size());
  EXPECT_EQ(8000000000u, a.config.volumes[0].maxCapacity);
  EXPECT_EQ(2500000000u, a.config.volumes[0].freeSpace);
  EXPECT_EQ("SD", a.config.volumes[1].label);
  EXPECT_EQ(16000000000u, a.config.volumes[1].freeSpace);
  EXPECT_EQ(20000000u, a.config.writeBytesPerSecond);
  EXPECT_EQ(55u, a.config.battery);
  EXPECT_EQ(0.5, a.config.batteryPerShot);
  EXPECT_EQ(120000u, a.config.autoPowerOffMs);
  EXPECT_EQ(5u, a.config.autoPowerOffWarnSeconds);
  // Values by the names scripts use, in the codes this (legacy) body takes.
  EXPECT_EQ(0x78u, a.config.properties.at(kEdsPropID_Tv).value);
  EXPECT_EQ(0x38u, a.config.properties.at(kEdsPropID_Av).value);
  EXPECT_EQ(0x58u, a.config.properties.at(kEdsPropID_ISOSpeed).value);
  EXPECT_EQ(0x0024000Fu, a.config.properties.at(kEdsPropID_ImageQuality).value);
  EXPECT_EQ(3u, a.config.properties.at(kEdsPropID_AEMode).value);
  EXPECT_EQ(0u, a.config.properties.at(kEdsPropID_DriveMode).value);
  EXPECT_EQ(3u, a.config.properties.at(kEdsPropID_MeteringMode).value);
  EXPECT_EQ(600000001u, *a.shutdownAtUtc);
  const SimBodyPlan& b = world.bodies[1];
  EXPECT_EQ("sim:1", b.config.portName);
  EXPECT_EQ(50000000u, *b.shutdownAtUtc);
}

TEST(SimWorldFileTest, ErrorsNameTheLineAndTheReason) {
  const struct {
    const char* text;
    uint32_t line;
    const char* reason;
  } cases[] = {
      {"model = x\n", 1, "key 'model' before any section"},
      {"[camera]\n", 1,
       "unknown section [camera] (expected [world], [camera ptp] or [camera legacy])"},
      {"[world\n", 1, "a section line ends with ']'"},
      {"[world]\nspeed = 2\n", 2, "unknown key 'speed' in [world]"},
      {"[camera ptp]\njust words\n", 2, "expected \"key = value\" or a [section]"},
      {"[camera ptp]\ncard = CF 8GB 9GB\n", 2,
       "bad value 'CF 8GB 9GB' for card: a label, a capacity and a free space not above it"},
      {"[camera ptp]\nwrite_speed = 90MB\n", 2,
       "bad value '90MB' for write_speed: a size per second, e.g. 90MB/s"},
      {"[camera ptp]\nbattery = 101\n", 2, "bad value '101' for battery: a percentage"},
      {"[camera ptp]\nbusy_on_shot = 0\n", 2,
       "bad value '0' for busy_on_shot: a shot number from 1"},
      {"[camera ptp]\nlate_completion_on_shot = 3\n", 2,
       "bad value '3' for late_completion_on_shot: a shot number and milliseconds"},
      {"[camera ptp]\ntv = 1/9999\n", 2, "bad value '1/9999' for tv: a value name or code"},
      {"[camera ptp]\nshutdown_at = noon\n", 2,
       "bad value 'noon' for shutdown_at: a date and/or time as scripts write them"},
      {"[camera ptp]\nshots = 5\n", 2, "property 'shots' cannot be set in a world file"},
      {"[camera ptp]\nread_error = focus 7\n", 2,
       "bad value 'focus 7' for read_error: a property and a code"},
  };
  for (const auto& c : cases) {
    SimWorld world;
    SimWorldFileError error;
    EXPECT_FALSE(parseSimWorldFile(c.text, readMoment, &world, &error)) << c.text;
    EXPECT_EQ(c.line, error.line) << c.text;
    EXPECT_EQ(c.reason, error.reason) << c.text;
  }
  // Without any body section the default bodies stay.
  SimWorld world;
  SimWorldFileError error;
  ASSERT_TRUE(parseSimWorldFile("[world]\n", readMoment, &world, &error));
  EXPECT_EQ(2u, world.bodies.size());
}

// Decimal unless 0x, in every numeric key, and nothing else; 010 and the 64-bit back_after are
// tested end to end.
TEST(SimWorldFileTest, NumbersAreDecimalUnlessHexAndNothingElse) {
  SimWorld world;
  SimWorldFileError error;
  ASSERT_TRUE(parseSimWorldFile(
      "[camera ptp]\ncapture_error_on_shot = 0x10 011\nbattery = 0099\nsession_error = 0X81\n"
      "late_completion_on_shot = 12 0x100\n",
      readMoment, &world, &error))
      << error.line << ": " << error.reason;
  const SimBodyPlan& plan = world.bodies[0];
  EXPECT_EQ(11u, plan.shotFaults.at(16).captureError);
  EXPECT_EQ(256u, plan.shotFaults.at(12).lateMs);
  EXPECT_EQ(99u, plan.config.battery);
  EXPECT_EQ(0x81u, plan.sessionError);
  for (const char* bad :
       {"08x", "0x", "0x-1", "-1", "+1", "0b1", "1e3", "4294967296", "0x100000000", "09.5"}) {
    EXPECT_FALSE(parseSimWorldFile(std::string("[camera ptp]\nsession_error = ") + bad + "\n",
                                   readMoment, &world, &error))
        << bad;
    EXPECT_EQ(2u, error.line) << bad;
  }
}

}  // namespace
