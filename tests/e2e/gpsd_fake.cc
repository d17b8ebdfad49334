#include "tests/e2e/gpsd_fake.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <utility>
#include <vector>

#include "platform/child_process.h"
#include "platform/clock.h"

namespace e2e {
namespace {

constexpr uint64_t kSecond = platform::kFileTimeUnitsPerSecond;
constexpr int kEpochs = 150;  // longer than any test's wait: gpsfake would start the log again
// gpsfake's pause after each sentence: with its own few milliseconds per sentence, three
// sentences make an epoch of one second.
constexpr const char* kSentencePause = "0.332";

std::string sentence(const std::string& body) {
  unsigned sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  char tail[8];
  std::snprintf(tail, sizeof(tail), "*%02X\r\n", sum);
  return "$" + body + tail;
}

// The path of |name| in the usual program directories or on PATH; empty when there is none.
std::string findProgram(const std::string& name) {
  std::string dirs = "/usr/sbin:/usr/bin:/sbin:/bin";
  if (const char* path = std::getenv("PATH")) dirs = std::string(path) + ":" + dirs;
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? end : end - start);
    if (!dir.empty()) {
      const std::filesystem::path candidate = std::filesystem::path(dir) / name;
      std::error_code error;
      if (std::filesystem::is_regular_file(candidate, error)) return candidate.string();
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return "";
}

std::unique_ptr<platform::ChildProcess> startProgram(const std::string& path,
                                                     std::vector<std::string> arguments) {
  platform::ChildProcess::Options options;
  options.program = path;
  options.arguments = std::move(arguments);
  return platform::ChildProcess::start(options);
}

// Ends |child| the way a person would (SIGTERM: gpsfake then ends its gpsd), and waits for it.
void endChild(std::unique_ptr<platform::ChildProcess>* child) {
  if (*child == nullptr) return;
  int code = 0;
  if (!(*child)->wait(0, &code)) {
    (*child)->sendConsoleEvent(6);
    (*child)->wait(10000, &code);
  }
  child->reset();  // kills it if it still runs
}

int randomPort() {
  std::random_device device;
  return std::uniform_int_distribution<int>(30000, 60000)(device);
}

}  // namespace

std::string zaragozaNmea(NmeaFix fix, uint64_t firstUtc, int epochs) {
  std::string log;
  for (int i = 0; i < epochs; ++i) {
    platform::CalendarTime t{};
    platform::fileTimeToCalendar(firstUtc + static_cast<uint64_t>(i) * kSecond, &t);
    char hms[32];
    char dmy[16];
    std::snprintf(hms, sizeof(hms), "%02u%02u%02u.%02u", t.hour, t.minute, t.second,
                  t.millisecond / 10);
    std::snprintf(dmy, sizeof(dmy), "%02u%02u%02u", t.day, t.month, t.year % 100);
    const std::string time = hms;
    switch (fix) {
      case NmeaFix::k3D:
        log += sentence("GPRMC," + time + ",A,4138.928,N,00053.346,W,0.0,0.0," + dmy + ",,,A");
        log += sentence("GPGGA," + time + ",4138.928,N,00053.346,W,1,08,0.9,199.0,M,51.0,M,,");
        log += sentence("GPGSA,A,3,04,05,09,12,24,25,29,31,,,,,1.8,0.9,1.5");
        break;
      case NmeaFix::k2D:
        log += sentence("GPRMC," + time + ",A,4138.928,N,00053.346,W,0.0,0.0," + dmy + ",,,A");
        log += sentence("GPGGA," + time + ",4138.928,N,00053.346,W,1,03,2.1,,,,,,");
        log += sentence("GPGSA,A,2,04,05,09,,,,,,,,,,2.5,2.1,");
        break;
      case NmeaFix::kNone:
        log += sentence("GPRMC," + time + ",V,,,,,,," + dmy + ",,,N");
        log += sentence("GPGGA," + time + ",,,,,0,00,,,,,,,");
        log += sentence("GPGSA,A,1,,,,,,,,,,,,,,,");
        break;
    }
  }
  return log;
}

GpsdFake::GpsdFake() {
  std::random_device device;
  directory_ = (std::filesystem::temp_directory_path() /
                ("quorvale-gpsd-" + std::to_string(device()) + std::to_string(device())))
                   .string();
  std::filesystem::create_directories(directory_);
}

GpsdFake::~GpsdFake() {
  stop();
  std::error_code error;
  std::filesystem::remove_all(directory_, error);
}

void GpsdFake::stop() { endChild(&daemon_); }

std::string GpsdFake::siteValue() const { return "gps:127.0.0.1:" + std::to_string(port_); }

bool GpsdFake::startReceiver(NmeaFix fix, double shiftS, std::string* why) {
  const std::string gpsfake = findProgram("gpsfake");
  if (gpsfake.empty()) {
    *why = "gpsfake not found (tools/install_deps.sh installs gpsd-clients)";
    return false;
  }
  const std::string log = directory_ + "/receiver.nmea";
  const double pause = std::atof(kSentencePause);
  double lead = 1.2;  // seconds from gpsfake's start to its first sentence, as first guessed
  bool began = false;
  for (int attempt = 0; attempt < 6; ++attempt) {
    stop();
    port_ = randomPort();
    const uint64_t first = platform::utcNow() + static_cast<uint64_t>(lead * kSecond);
    const int64_t shift = static_cast<int64_t>(shiftS * static_cast<double>(kSecond));
    std::ofstream(log, std::ios::binary)
        << zaragozaNmea(fix, static_cast<uint64_t>(static_cast<int64_t>(first) + shift), kEpochs);
    daemon_ = startProgram(gpsfake,
                           {"-P", std::to_string(port_), "-c", kSentencePause, "-W", "600", log});
    if (daemon_ == nullptr) {
      *why = "gpsfake did not start";
      return false;
    }
    // Its gpsd is up (gpsfake waits for it) and the first sentence follows one pause later.
    if (!daemon_->waitForText("log cycle of", 20000)) continue;  // e.g. the port was taken
    began = true;
    const double fed = static_cast<double>(platform::utcNow()) / kSecond + pause;
    const double offset = fed - static_cast<double>(first) / kSecond;
    feedOffsetS_ = offset - shiftS;
    if (std::abs(offset) <= 0.03) return true;
    lead = std::max(0.3, lead + offset);
  }
  if (began) return true;  // aimed as well as this machine lets us: feedOffsetS() says how far
  stop();
  *why = "gpsfake's gpsd did not come up on 127.0.0.1";
  return false;
}

bool GpsdFake::startWithoutReceiver(std::string* why) {
  const std::string gpsd = findProgram("gpsd");
  if (gpsd.empty()) {
    *why = "gpsd not found (tools/install_deps.sh installs it)";
    return false;
  }
  for (int attempt = 0; attempt < 3; ++attempt) {
    stop();
    port_ = randomPort();
    // No device, only the control socket through which receivers could be added.
    daemon_ = startProgram(
        gpsd, {"-N", "-D", "3", "-F", directory_ + "/control", "-S", std::to_string(port_)});
    if (daemon_ == nullptr) break;
    if (daemon_->waitForText("gpsd:INFO: startup at", 20000)) return true;
  }
  stop();
  *why = "gpsd did not come up on 127.0.0.1";
  return false;
}

std::string siteWithoutGpsd() {
  // The discard port: below the range the fixtures draw from, and served by nothing on a machine
  // that runs these tests.
  return "gps:127.0.0.1:9";
}

bool gpsdRequired() {
  const char* value = std::getenv("QUORVALE_REQUIRE_GPSD");
  return value != nullptr && std::string(value) == "1";
}

}  // namespace e2e
