// A fixed time zone (TZ) for one POSIX test, the previous one restored afterwards.
//
// Thread safety: changes the process's environment; for single-threaded test bodies only.
#ifndef QUORVALE_TESTS_SCOPED_TIME_ZONE_H_
#define QUORVALE_TESTS_SCOPED_TIME_ZONE_H_

#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>

namespace calendar_testing {

class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    old_ ? setenv("TZ", old_->c_str(), 1) : unsetenv("TZ");
    tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<std::string> old_;
};

}  // namespace calendar_testing

#endif  // QUORVALE_TESTS_SCOPED_TIME_ZONE_H_
