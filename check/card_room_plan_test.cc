#include "check/card_room_plan.h"

#include <gtest/gtest.h>

namespace {

TEST(CardRoomPlanTest, ImagesFillTheFirstCardWithRoom) {
  CardRoomPlan cards;
  EXPECT_TRUE(cards.store(1000));  // room unknown: everything fits
  cards.setCards({100, 250});
  EXPECT_TRUE(cards.store(60));   // card 1: 40 left
  EXPECT_TRUE(cards.store(60));   // card 2: 190 left
  EXPECT_TRUE(cards.store(40));   // card 1 again, now full
  EXPECT_TRUE(cards.store(150));  // card 2: 40 left
  EXPECT_FALSE(cards.store(41));
  EXPECT_TRUE(cards.store(40));  // a smaller image still fits
  EXPECT_EQ(0u, cards.freeBytes());
  EXPECT_EQ(350u, cards.usedBytes());
}

}  // namespace
