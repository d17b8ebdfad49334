#include "camera/sim/sim_body_timing.h"

namespace {

constexpr EdsUInt32 kBulb = 0x0C;
constexpr uint32_t kBulbMs = 1000;
constexpr uint32_t kUnknownTvMs = 1000;
constexpr EdsUInt32 kJpegFormat = 1;  // the image type that stands for JPEG; others are RAW kinds

struct TvLength {
  EdsUInt32 code;
  uint32_t ms;
};

// How long the shutter stays open for each Tv code, rounded to whole model ms.
constexpr TvLength kTvLengths[] = {
    {0x10, 30000}, {0x13, 25000}, {0x14, 20000}, {0x15, 20000}, {0x18, 15000}, {0x1B, 13000},
    {0x1C, 10000}, {0x1D, 10000}, {0x20, 8000},  {0x23, 6000},  {0x24, 6000},  {0x25, 5000},
    {0x28, 4000},  {0x2B, 3200},  {0x2C, 3000},  {0x2D, 2500},  {0x30, 2000},  {0x33, 1600},
    {0x34, 1500},  {0x35, 1300},  {0x38, 1000},  {0x3B, 800},   {0x3C, 700},   {0x3D, 600},
    {0x40, 500},   {0x43, 400},   {0x44, 300},   {0x45, 300},   {0x48, 250},   {0x4B, 200},
    {0x4C, 167},   {0x4D, 167},   {0x50, 125},   {0x53, 100},   {0x54, 100},   {0x55, 77},
    {0x58, 67},    {0x5B, 50},    {0x5C, 50},    {0x5D, 40},    {0x60, 33},    {0x63, 25},
    {0x64, 22},    {0x65, 20},    {0x68, 17},    {0x6B, 13},    {0x6C, 11},    {0x6D, 10},
    {0x70, 8},     {0x73, 6},     {0x74, 6},     {0x75, 5},     {0x78, 4},     {0x7B, 3},
    {0x7C, 3},     {0x7D, 3},     {0x80, 2},     {0x83, 2},     {0x84, 1},     {0x85, 1},
    {0x88, 1},     {0x8B, 1},     {0x8C, 1},     {0x8D, 1},     {0x90, 1},     {0x93, 0},
    {0x94, 0},     {0x95, 0},     {0x98, 0},     {0x9B, 0},     {0x9C, 0},     {0x9D, 0},
    {0xA0, 0},
};

// Share of the full image that a part of pixel size |size| takes (the size field of the code).
double sizeShare(EdsUInt32 size, bool raw) {
  if (size == 0) return 1.0;                                         // L, full RAW
  if (size == 1 || size == 5 || size == 6) return raw ? 0.6 : 0.55;  // M, M1, M2, mRAW
  return raw ? 0.4 : 0.3;                                            // S, S1.., sRAW
}

}  // namespace

uint32_t simExposureMs(EdsUInt32 tv) {
  if (tv == kBulb) return kBulbMs;
  for (const TvLength& row : kTvLengths) {
    if (row.code == tv) return row.ms;
  }
  return kUnknownTvMs;
}

EdsUInt64 simImageBytes(const SimBodyConfig& body, EdsUInt32 quality) {
  const EdsUInt32 primarySize = (quality >> 24) & 0xFF;
  const EdsUInt32 primaryType = (quality >> 20) & 0xF;
  const EdsUInt32 secondarySize = (quality >> 8) & 0xF;
  const EdsUInt32 secondaryType = (quality >> 4) & 0xF;
  const bool primaryRaw = primaryType != kJpegFormat;
  double bytes = static_cast<double>(primaryRaw ? body.rawBytes : body.jpegBytes) *
                 sizeShare(primarySize, primaryRaw);
  if (secondaryType == kJpegFormat) {
    bytes += static_cast<double>(body.jpegBytes) * sizeShare(secondarySize, false);
  }
  return static_cast<EdsUInt64>(bytes + 0.5);
}

SimShotTiming simShotTiming(const SimBodyConfig& body, EdsUInt32 quality, EdsUInt32 tv) {
  SimShotTiming timing;
  timing.exposureMs = simExposureMs(tv);
  timing.processingMs = body.processingMs;
  timing.bytes = simImageBytes(body, quality);
  timing.writeMs = body.storeMs;
  if (body.writeBytesPerSecond > 0) {
    timing.writeMs = static_cast<uint32_t>((timing.bytes * 1000 + body.writeBytesPerSecond - 1) /
                                           body.writeBytesPerSecond);
  }
  timing.bufferFrames = body.bufferLimit;
  if (body.bufferBytes > 0 && timing.bytes > 0) {
    const EdsUInt64 frames = body.bufferBytes / timing.bytes;
    if (frames < timing.bufferFrames) timing.bufferFrames = static_cast<uint32_t>(frames);
  }
  if (timing.bufferFrames == 0) timing.bufferFrames = 1;
  return timing;
}
