// gpsd for the end-to-end tests: the real daemon, fed by gpsd's own replay tool (gpsfake) with an
// NMEA log the test chooses, or started with no receiver at all. Each instance listens on its own
// port of 127.0.0.1; the program under test is pointed at it with "-site gps:127.0.0.1:<port>".
//
// The log's time stamps follow the moment they are fed: gpsfake feeds its first sentence one
// pause after it says that the log's cycle begins, whether or not a client watches, and gpsd
// reads the receiver live. The fixture stamps the first epoch a little ahead, sees when the feed
// really began and starts again, aiming better, when that is more than 30 ms off; what is left
// is told by feedOffsetS().
//
#ifndef QUORVALE_TESTS_E2E_GPSD_FAKE_H_
#define QUORVALE_TESTS_E2E_GPSD_FAKE_H_

#include <cstdint>
#include <memory>
#include <string>

namespace platform {
class ChildProcess;
}

namespace e2e {

enum class NmeaFix { k3D, k2D, kNone };

// The receiver's position in the logs: Zaragoza, 41.6488 N 0.8891 W, 199 m above mean sea level
// with a geoid separation of 51 m (250 m above the ellipsoid).
// One epoch a second (RMC, GGA, GSA) from |firstUtc| (a UTC file time), |epochs| of them.
std::string zaragozaNmea(NmeaFix fix, uint64_t firstUtc, int epochs);

class GpsdFake {
 public:
  GpsdFake();
  ~GpsdFake();
  GpsdFake(const GpsdFake&) = delete;
  GpsdFake& operator=(const GpsdFake&) = delete;

  // Starts gpsd through gpsfake with a Zaragoza log of |fix| whose clock is |shiftS| seconds off
  // the system clock (negative: behind). Returns false with *why set when gpsd cannot start.
  bool startReceiver(NmeaFix fix, double shiftS, std::string* why);

  // Starts gpsd with no receiver. Returns false with *why set when it cannot start.
  bool startWithoutReceiver(std::string* why);

  // "gps:127.0.0.1:<port>": the "-site" value that points at this gpsd.
  std::string siteValue() const;

  // The system clock minus the receiver's time stamps as the sentences were fed: the offset that
  // a correct reading of this receiver states (within gpsd's and the pipe's few milliseconds).
  double feedOffsetS() const { return feedOffsetS_; }

 private:
  void stop();

  int port_ = 0;
  double feedOffsetS_ = 0.0;
  std::string directory_;
  std::unique_ptr<platform::ChildProcess> daemon_;  // gpsfake (with its gpsd), or gpsd
};

// The "-site" value of a port where nothing listens.
std::string siteWithoutGpsd();

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

namespace e2e {}  // namespace e2e

#endif  // QUORVALE_TESTS_E2E_GPSD_FAKE_H_
