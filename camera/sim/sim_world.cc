#include "camera/sim/sim_world.h"

#include <utility>
#include <vector>

namespace {

SimProperty listed(EdsUInt32 value, std::vector<EdsInt32> allowed) {
  SimProperty property;
  property.value = value;
  property.allowed = std::move(allowed);
  return property;
}

SimProperty anyValue(EdsUInt32 value) {
  SimProperty property;
  property.value = value;
  return property;
}

SimVolume card(const char* label, EdsUInt64 capacity, EdsUInt64 freeSpace) {
  SimVolume volume;
  volume.storageType = 2;
  volume.access = 2;
  volume.maxCapacity = capacity;
  volume.freeSpace = freeSpace;
  volume.label = label;
  return volume;
}

constexpr EdsUInt64 kGB = 1000ULL * 1000ULL * 1000ULL;

}  // namespace

SimBodyConfig defaultPtpBodyConfig() {
  SimBodyConfig config;
  config.portName = "sim:0";
  config.description = "Canon EOS 5D Mark IV (simulated)";
  config.deviceSubType = 1;
  config.volumes = {card("CF", 32 * kGB, 27 * kGB), card("SD", 64 * kGB, 64 * kGB)};
  config.battery = 85;
  config.jpegBytes = 8000000;             // L JPEG
  config.rawBytes = 30000000;             // RAW
  config.bufferLimit = 100;               // frames; the bytes below decide first
  config.bufferBytes = 630000000;         // 21 RAW or 78 L JPEG frames
  config.writeBytesPerSecond = 80000000;  // 100 ms per L JPEG, 375 ms per RAW
  config.processingMs = 150;
  config.storeMs = 100;
  config.batteryPerShot = 0.1;  // about 900 shots on a charge
  config.batteryPerHour = 2.0;
  config.autoPowerOffMs = 60000;  // the body's default: 1 minute
  config.autoPowerOffWarnSeconds = 10;

  config.properties[kEdsPropID_SaveTo] = anyValue(1);
  config.properties[kEdsPropID_Capacity] = anyValue(0);
  // Image quality as a PTP body is sent it: a lone size gets 0x0F0F as its second half.
  config.properties[kEdsPropID_ImageQuality] =
      listed(0x00130F0F, {0x00130F0F, 0x00120F0F, 0x01130F0F, 0x01120F0F, 0x02130F0F, 0x02120F0F,
                          0x00640F0F, 0x00640013, 0x00640012, 0x00640113, 0x00640112, 0x00640213,
                          0x00640212, 0x02640F0F, 0x02640013, 0x02640012});
  config.properties[kEdsPropID_AEMode] = listed(3, {0, 1, 2, 3, 4});
  config.properties[kEdsPropID_DriveMode] = listed(0, {0, 1, 4, 5});
  config.properties[kEdsPropID_ISOSpeed] =
      listed(0x48, {0x00, 0x48, 0x4B, 0x4D, 0x50, 0x53, 0x55, 0x58, 0x5B, 0x5D, 0x60, 0x63, 0x65,
                    0x68, 0x70, 0x78});
  config.properties[kEdsPropID_MeteringMode] = listed(3, {1, 3, 4, 5});
  // f/2.8 to f/22 in third stops, second member of each code pair.
  config.properties[kEdsPropID_Av] =
      listed(0x30, {0x20, 0x23, 0x25, 0x28, 0x2C, 0x2D, 0x30, 0x33, 0x35, 0x38, 0x3B, 0x3D, 0x40,
                    0x43, 0x45, 0x48, 0x4B, 0x4D, 0x50});
  // Bulb, 30" to 1/8000 in third stops, second member of each code pair.
  config.properties[kEdsPropID_Tv] = listed(
      0x70, {0x0C, 0x10, 0x13, 0x15, 0x18, 0x1B, 0x1D, 0x20, 0x23, 0x25, 0x28, 0x2B, 0x2D, 0x30,
             0x33, 0x35, 0x38, 0x3B, 0x3D, 0x40, 0x43, 0x45, 0x48, 0x4B, 0x4D, 0x50, 0x53, 0x55,
             0x58, 0x5B, 0x5D, 0x60, 0x63, 0x65, 0x68, 0x6B, 0x6D, 0x70, 0x73, 0x75, 0x78, 0x7B,
             0x7D, 0x80, 0x83, 0x85, 0x88, 0x8B, 0x8D, 0x90, 0x93, 0x95, 0x98, 0x9B, 0x9D, 0xA0});
  return config;
}

SimBodyConfig defaultLegacyBodyConfig() {
  SimBodyConfig config;
  config.portName = "sim:1";
  config.description = "Canon EOS 350D (simulated)";
  config.deviceSubType = 0;
  config.volumes = {card("CF", 2 * kGB, 1500000000ULL)};
  config.battery = 75;
  config.jpegBytes = 3500000;            // L JPEG
  config.rawBytes = 8500000;             // RAW
  config.bufferLimit = 14;               // frames
  config.bufferBytes = 45000000;         // 5 RAW or 12 L JPEG frames
  config.writeBytesPerSecond = 6000000;  // 584 ms per L JPEG, 1417 ms per RAW
  config.processingMs = 300;
  config.storeMs = 200;
  config.batteryPerShot = 0.2;  // about 500 shots on a charge
  config.batteryPerHour = 3.0;
  config.autoPowerOffMs = 60000;
  config.autoPowerOffWarnSeconds = 10;

  config.properties[kEdsPropID_SaveTo] = anyValue(1);
  config.properties[kEdsPropID_Capacity] = anyValue(0);
  // Image quality as a legacy body is sent it: 0x000F second half, bit 22 clear.
  config.properties[kEdsPropID_ImageQuality] =
      listed(0x0013000F, {0x0013000F, 0x0012000F, 0x0113000F, 0x0112000F, 0x0213000F, 0x0212000F,
                          0x0024000F, 0x00240013, 0x00240012});
  config.properties[kEdsPropID_AEMode] = listed(3, {0, 1, 2, 3, 5, 9, 10, 11, 12, 13, 14, 15});
  config.properties[kEdsPropID_DriveMode] = listed(0, {0, 1});
  config.properties[kEdsPropID_ISOSpeed] = listed(0x48, {0x48, 0x50, 0x58, 0x60, 0x68});
  config.properties[kEdsPropID_MeteringMode] = listed(3, {3, 4, 5});
  // f/3.5 to f/22 in half stops, first member of each code pair.
  config.properties[kEdsPropID_Av] =
      listed(0x30, {0x24, 0x28, 0x2B, 0x30, 0x34, 0x38, 0x3C, 0x40, 0x44, 0x48, 0x4C, 0x50});
  // Bulb, 30" to 1/4000 in half stops, first member of each code pair.
  config.properties[kEdsPropID_Tv] =
      listed(0x68, {0x0C, 0x10, 0x14, 0x18, 0x1C, 0x20, 0x24, 0x28, 0x2C, 0x30, 0x34, 0x38,
                    0x3C, 0x40, 0x44, 0x48, 0x4C, 0x50, 0x54, 0x58, 0x5C, 0x60, 0x64, 0x68,
                    0x6C, 0x70, 0x74, 0x78, 0x7C, 0x80, 0x84, 0x88, 0x8C, 0x90, 0x94, 0x98});
  return config;
}

SimWorld defaultSimWorld() {
  SimWorld world;
  world.bodies.resize(2);
  world.bodies[0].config = defaultPtpBodyConfig();
  world.bodies[1].config = defaultLegacyBodyConfig();
  return world;
}
