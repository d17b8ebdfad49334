// SetItem: the item codes of the set command (and of the items on shot and flash lines).
#ifndef QUORVALE_SCRIPT_SET_ITEM_H_
#define QUORVALE_SCRIPT_SET_ITEM_H_

#include <cstdint>

enum class SetItem : int32_t {
  Tv = 1,
  Av = 2,
  ISO = 3,
  ImageQuality = 4,
  AEMode = 5,
  DriveMode = 6,
  MeteringMode = 7,
  ShotTimeout = 100,
  TimeMultiplier = 101,
  AllocBufferTimeout = 102,
  BufferSize = 103,
  ShotComTime = 200,
};

#endif  // QUORVALE_SCRIPT_SET_ITEM_H_
