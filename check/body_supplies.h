// BodySupplies: what a script's releases take from the body, battery and card room, shot by shot;
// the first shot that finds either used up, with the finding's text; and the plan's figures.
//
// Thread safety: plain object, one thread.
#ifndef QUORVALE_CHECK_BODY_SUPPLIES_H_
#define QUORVALE_CHECK_BODY_SUPPLIES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "check/battery_plan.h"
#include "check/card_room_plan.h"
#include "check/script_plan.h"

class BodySupplies final {
 public:
  // The battery at |batteryPercent| (not planned when unknown: below 0 or above 100) with its use
  // per shot and per hour, from |startUtc|; the free bytes of the writable cards in the order the
  // body fills them (none: unknown).
  void start(double batteryPercent, double perShot, double perHour, uint64_t startUtc,
             std::vector<uint64_t> cardFreeBytes);

  // Shot |shot| released at |utc|: false when the battery is empty (the body switches off).
  // *levelChanged: the level the body reports changed. *finding: the finding the first time.
  bool release(uint32_t shot, uint64_t utc, bool* levelChanged, std::string* finding);

  // Shot |shot|'s image of |bytes| at |quality| (readable name) is stored: false when no card has
  // room for it. *finding: the finding the first time.
  bool store(uint32_t shot, uint64_t bytes, const std::string& quality, std::string* finding);

  // The plan's card and battery figures, the battery's as expected at |endUtc|.
  void fillPlan(uint64_t endUtc, ScriptPlan* plan) const;

 private:
  BatteryPlan battery_;
  CardRoomPlan cards_;
  uint64_t cardFreeAtStart_ = 0;
  uint32_t batteryEmptyShot_ = 0;
  uint32_t cardFullShot_ = 0;
};

#endif  // QUORVALE_CHECK_BODY_SUPPLIES_H_
