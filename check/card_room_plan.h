// CardRoomPlan: the room on a body's cards as a script's shots fill them, image by image at the
// image quality each shot is taken at. An image goes to the first card with room for it, as the
// bodies store them; one that no card holds fails.
//
// Thread safety: plain object, one thread.
#ifndef QUORVALE_CHECK_CARD_ROOM_PLAN_H_
#define QUORVALE_CHECK_CARD_ROOM_PLAN_H_

#include <cstdint>
#include <vector>

class CardRoomPlan final {
 public:
  // The free bytes of the writable cards, in the order the body fills them. None: room unknown,
  // every image fits.
  void setCards(std::vector<uint64_t> freeBytes);
  bool known() const { return !free_.empty(); }

  // Stores an image of |bytes|: true when a card has room for it (that card's room shrinks).
  bool store(uint64_t bytes);

  // The room left on all cards together, and what the stored images took.
  uint64_t freeBytes() const;
  uint64_t usedBytes() const { return used_; }

 private:
  std::vector<uint64_t> free_;
  uint64_t used_ = 0;
};

#endif  // QUORVALE_CHECK_CARD_ROOM_PLAN_H_
