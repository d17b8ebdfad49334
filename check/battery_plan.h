// BatteryPlan: a body's battery level as a script's shots and hours use it, as the bodies report
// it (whole percent, rounded): a release at a reported 0 % switches the body off.
//
// Thread safety: plain object, one thread.
#ifndef QUORVALE_CHECK_BATTERY_PLAN_H_
#define QUORVALE_CHECK_BATTERY_PLAN_H_

#include <cstdint>

class BatteryPlan final {
 public:
  // A level of |percent| at |startUtc| that each release lowers by |perShot| and each hour by
  // |perHour| (percent). A level above 100 (mains power, or a reading the body passes on) or no
  // use at all: the battery is not planned.
  void start(double percent, double perShot, double perHour, uint64_t startUtc);
  bool known() const { return known_; }
  double startPercent() const { return startPercent_; }
  double perShot() const { return perShot_; }
  double perHour() const { return perHour_; }

  // The level the body reports at |utc| (0 to 100).
  uint32_t levelAt(uint64_t utc) const;

  // A release at |utc|: false when the battery is empty (the body switches off instead; later
  // releases find it off). *levelChanged tells whether the reported level changed with the shot.
  bool release(uint64_t utc, bool* levelChanged);
  bool empty() const { return empty_; }

 private:
  bool known_ = false;
  bool empty_ = false;
  double startPercent_ = 0.0;
  double perShot_ = 0.0;
  double perHour_ = 0.0;
  uint64_t startUtc_ = 0;
  double used_ = 0.0;  // by the releases so far
};

#endif  // QUORVALE_CHECK_BATTERY_PLAN_H_
