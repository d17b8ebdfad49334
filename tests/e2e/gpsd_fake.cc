#include "tests/e2e/gpsd_fake.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
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

// One epoch a second (RMC, GGA, GSA) from |firstUtc| (a UTC file time) at Zaragoza: 199 m above
// mean sea level with a geoid separation of 51 m.
std::string zaragozaNmea(NmeaFix fix, uint64_t firstUtc) {
  const char* const kEpoch[][3] = {
      {",A,4138.928,N,00053.346,W,0.0,0.0,", ",4138.928,N,00053.346,W,1,08,0.9,199.0,M,51.0,M,,",
       "GPGSA,A,3,04,05,09,12,24,25,29,31,,,,,1.8,0.9,1.5"},
      {",A,4138.928,N,00053.346,W,0.0,0.0,", ",4138.928,N,00053.346,W,1,03,2.1,,,,,,",
       "GPGSA,A,2,04,05,09,,,,,,,,,,2.5,2.1,"},
      {",V,,,,,,,", ",,,,,0,00,,,,,,,", "GPGSA,A,1,,,,,,,,,,,,,,,"}};
  const auto& epoch = kEpoch[static_cast<int>(fix)];
  std::string log;
  for (int i = 0; i < kEpochs; ++i) {
    platform::CalendarTime t{};
    platform::fileTimeToCalendar(firstUtc + static_cast<uint64_t>(i) * kSecond, &t);
    char time[32];
    char date[16];
    std::snprintf(time, sizeof(time), "%02u%02u%02u.%02u", t.hour, t.minute, t.second,
                  t.millisecond / 10);
    std::snprintf(date, sizeof(date), "%02u%02u%02u", t.day, t.month, t.year % 100);
    log += sentence("GPRMC," + std::string(time) + epoch[0] + date +
                    (fix == NmeaFix::kNone ? ",,,N" : ",,,A"));
    log += sentence("GPGGA," + std::string(time) + epoch[1]);
    log += sentence(epoch[2]);
  }
  return log;
}

// The path of |name| on PATH or in the usual program directories; empty when there is none.
std::string findProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(std::string(path ? path : "") + ":/usr/sbin:/usr/bin:/sbin:/bin");
  std::error_code error;
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const std::filesystem::path candidate = std::filesystem::path(dir) / name;
    if (!dir.empty() && std::filesystem::is_regular_file(candidate, error)) return candidate;
  }
  return "";
}

// Ends |daemon| as a person would (SIGTERM: gpsfake then ends its gpsd) and waits for it.
void end(std::unique_ptr<platform::ChildProcess>* daemon) {
  int code = 0;
  if (*daemon != nullptr && !(*daemon)->wait(0, &code)) {
    (*daemon)->sendConsoleEvent(6);
    (*daemon)->wait(10000, &code);
  }
  daemon->reset();  // kills it if it still runs
}

// Starts |program| on a port of its own ("PORT" in |arguments|) in place of |daemon|; true when
// |ready| comes on its output within 20 s.
bool restart(std::unique_ptr<platform::ChildProcess>* daemon, int* port, const std::string& program,
             std::vector<std::string> arguments, const char* ready) {
  end(daemon);
  std::random_device device;
  *port = std::uniform_int_distribution<int>(30000, 60000)(device);
  platform::ChildProcess::Options options;
  options.program = program;
  options.arguments = std::move(arguments);
  for (std::string& argument : options.arguments) {
    if (argument == "PORT") argument = std::to_string(*port);
  }
  *daemon = platform::ChildProcess::start(options);
  return *daemon != nullptr && (*daemon)->waitForText(ready, 20000);
}

}  // namespace

GpsdFake::GpsdFake() {
  std::random_device device;
  directory_ = (std::filesystem::temp_directory_path() /
                ("quorvale-gpsd-" + std::to_string(device()) + std::to_string(device())))
                   .string();
  std::filesystem::create_directories(directory_);
}

GpsdFake::~GpsdFake() {
  end(&daemon_);
  std::error_code error;
  std::filesystem::remove_all(directory_, error);
}

bool GpsdFake::startReceiver(NmeaFix fix, double shiftS, std::string* why) {
  const std::string gpsfake = findProgram("gpsfake");
  *why = gpsfake.empty() ? "gpsfake not found (tools/install_deps.sh installs gpsd-clients)"
                         : "gpsfake's gpsd did not come up on 127.0.0.1";
  if (gpsfake.empty()) return false;
  const std::string log = directory_ + "/receiver.nmea";
  double lead = 1.2;  // seconds from gpsfake's start to its first sentence, as first guessed
  bool began = false;
  for (int attempt = 0; attempt < 6; ++attempt) {
    const uint64_t first = platform::utcNow() + static_cast<uint64_t>(lead * kSecond);
    const int64_t shift = static_cast<int64_t>(shiftS * static_cast<double>(kSecond));
    std::ofstream(log, std::ios::binary)
        << zaragozaNmea(fix, static_cast<uint64_t>(static_cast<int64_t>(first) + shift));
    // Its gpsd is up (gpsfake waits for it) and the first sentence follows one pause later.
    if (!restart(&daemon_, &port_, gpsfake, {"-P", "PORT", "-c", kSentencePause, "-W", "600", log},
                 "log cycle of")) {
      continue;  // e.g. the port was taken
    }
    began = true;
    const double fed =
        static_cast<double>(platform::utcNow()) / kSecond + std::atof(kSentencePause);
    const double offset = fed - static_cast<double>(first) / kSecond;
    feedOffsetS_ = offset - shiftS;
    if (std::abs(offset) <= 0.03) return true;
    lead = std::max(0.3, lead + offset);
  }
  return began;  // aimed as well as this machine lets us: feedOffsetS() says how far
}

bool GpsdFake::startWithoutReceiver(std::string* why) {
  const std::string gpsd = findProgram("gpsd");
  *why = gpsd.empty() ? "gpsd not found (tools/install_deps.sh installs it)"
                      : "gpsd did not come up on 127.0.0.1";
  for (int attempt = 0; attempt < 3 && !gpsd.empty(); ++attempt) {
    // No device, only the control socket through which receivers could be added.
    if (restart(&daemon_, &port_, gpsd,
                {"-N", "-D", "3", "-F", directory_ + "/control", "-S", "PORT"},
                "gpsd:INFO: startup at")) {
      return true;
    }
  }
  return false;
}

bool gpsdRequired() {
  const char* value = std::getenv("QUORVALE_REQUIRE_GPSD");
  return value != nullptr && std::string(value) == "1";
}

}  // namespace e2e
