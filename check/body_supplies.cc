#include "check/body_supplies.h"

#include <utility>

#include "check/finding_texts.h"

void BodySupplies::start(double batteryPercent, double perShot, double perHour, uint64_t startUtc,
                         std::vector<uint64_t> cardFreeBytes) {
  battery_.start(batteryPercent, perShot, perHour, startUtc);
  cards_.setCards(std::move(cardFreeBytes));
  cardFreeAtStart_ = cards_.freeBytes();
  batteryEmptyShot_ = cardFullShot_ = 0;
}

bool BodySupplies::release(uint32_t shot, uint64_t utc, bool* levelChanged, std::string* finding) {
  finding->clear();
  if (battery_.release(utc, levelChanged)) return true;
  if (batteryEmptyShot_ == 0) {
    batteryEmptyShot_ = shot;
    *finding =
        batteryEmptyFinding(shot, battery_.startPercent(), battery_.perShot(), battery_.perHour());
  }
  return false;
}

bool BodySupplies::store(uint32_t shot, uint64_t bytes, const std::string& quality,
                         std::string* finding) {
  finding->clear();
  if (cards_.store(bytes)) return true;
  if (cardFullShot_ == 0) {
    cardFullShot_ = shot;
    *finding = cardFullFinding(shot, quality, bytes, cards_.freeBytes());
  }
  return false;
}

void BodySupplies::fillPlan(uint64_t endUtc, ScriptPlan* plan) const {
  plan->cardKnown = cards_.known();
  plan->cardFreeBytes = cardFreeAtStart_;
  plan->cardUsedBytes = cards_.usedBytes();
  plan->cardFullShot = cardFullShot_;
  plan->batteryKnown = battery_.known();
  if (!battery_.known()) return;
  plan->batteryStart = battery_.startPercent();
  plan->batteryPerShot = battery_.perShot();
  plan->batteryPerHour = battery_.perHour();
  plan->batteryEnd = battery_.levelAt(endUtc);
  plan->batteryEmptyShot = batteryEmptyShot_;
}
