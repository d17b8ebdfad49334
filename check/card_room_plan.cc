#include "check/card_room_plan.h"

#include <utility>

void CardRoomPlan::setCards(std::vector<uint64_t> freeBytes) {
  free_ = std::move(freeBytes);
  used_ = 0;
}

bool CardRoomPlan::store(uint64_t bytes) {
  if (free_.empty()) return true;
  for (uint64_t& room : free_) {
    if (room >= bytes) {
      room -= bytes;
      used_ += bytes;
      return true;
    }
  }
  return false;
}

uint64_t CardRoomPlan::freeBytes() const {
  uint64_t sum = 0;
  for (uint64_t room : free_) sum += room;
  return sum;
}
