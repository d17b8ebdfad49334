// gpsd for the end-to-end tests: the real daemon, fed by gpsd's own replay tool (gpsfake) with an
// NMEA log of a receiver at Zaragoza (41.6488 N 0.8891 W, 250 m above the ellipsoid), or started
// with no receiver at all. Each instance listens on its own port of 127.0.0.1.
//
// gpsfake feeds the log's first sentence one pause after it says that the log's cycle begins, and
// gpsd reads it live: the fixture stamps the first epoch a little ahead and starts again, aiming
// better, while the feed began more than 30 ms off its stamps; what is left is feedOffsetS().
#ifndef QUORVALE_TESTS_E2E_GPSD_FAKE_H_
#define QUORVALE_TESTS_E2E_GPSD_FAKE_H_

#include <memory>
#include <string>

namespace platform {
class ChildProcess;
}

namespace e2e {

enum class NmeaFix { k3D, k2D, kNone };

class GpsdFake {
 public:
  GpsdFake();
  ~GpsdFake();
  GpsdFake(const GpsdFake&) = delete;
  GpsdFake& operator=(const GpsdFake&) = delete;

  // Starts gpsd through gpsfake with a log of |fix| whose clock is |shiftS| seconds off the
  // system clock (negative: behind). Returns false with *why set when gpsd cannot start.
  bool startReceiver(NmeaFix fix, double shiftS, std::string* why);

  // Starts gpsd with no receiver. Returns false with *why set when it cannot start.
  bool startWithoutReceiver(std::string* why);

  // "gps:127.0.0.1:<port>": the "-site" value that points at this gpsd.
  std::string siteValue() const { return "gps:127.0.0.1:" + std::to_string(port_); }

  // The system clock minus the receiver's time stamps as the sentences were fed: the offset that
  // a correct reading of this receiver states (within gpsd's and the pipe's few milliseconds).
  double feedOffsetS() const { return feedOffsetS_; }

 private:
  int port_ = 0;
  double feedOffsetS_ = 0.0;
  std::string directory_;
  std::unique_ptr<platform::ChildProcess> daemon_;  // gpsfake (with its gpsd), or gpsd
};

// The "-site" value of a port where nothing listens (the discard port, below the fixtures').
inline std::string siteWithoutGpsd() { return "gps:127.0.0.1:9"; }

// True where gpsd must start (QUORVALE_REQUIRE_GPSD=1, as CI sets it): a fixture that cannot
// start it fails the test instead of skipping it.
bool gpsdRequired();

}  // namespace e2e

// In a test body: skips the test with one line when |started| is false, or fails it where gpsd is
// required.
#define QUORVALE_SKIP_WITHOUT_GPSD(started, why)                           \
  do {                                                                     \
    if (!(started)) {                                                      \
      if (::e2e::gpsdRequired()) FAIL() << "gpsd cannot start: " << (why); \
      GTEST_SKIP() << "gpsd cannot start: " << (why);                      \
    }                                                                      \
  } while (0)

#endif  // QUORVALE_TESTS_E2E_GPSD_FAKE_H_
