#include "app/gps_site.h"

#include <chrono>
#include <system_error>

#include "eclipse/site.h"
#include "gps/gps_text.h"
#include "gps/gpsd_reader.h"
#include "output/output.h"

namespace {

// Asks gpsd (a person may wait up to the fix limit: say so first) and keeps what it gave.
gps::GpsReading readReceiver(ProgramOptions* options) {
  gps::GpsdAddress address;
  wantsGpsSite(*options, &address);
  if (gps::gpsdAvailable()) {
    printMsg("Reading the GPS receiver through gpsd at %s (up to %.0f s for a 3D fix)\n",
             gps::addressText(address).c_str(), gps::kFixLimitS);
  }
  gps::GpsReading reading = gps::readGpsd(address, gps::kFixLimitS);
  if (reading.status == gps::GpsStatus::kFix) {
    options->gpsFix = reading.fix;
    options->eclipse.site =
        eclipse::Site{reading.fix.latitudeDeg, reading.fix.longitudeDeg, reading.fix.heightM};
    printMsg("GPS fix: %s\n", gps::fixText(reading).c_str());
  }
  options->gpsClock = reading.clock;
  return reading;
}

// "the system clock is ... GPS time (...), more than 100 ms: ...".
std::string clockOffsetFinding(const gps::GpsClockOffset& clock) {
  return gps::clockOffsetText(clock) +
         ", more than 100 ms: absolute moments will be off by as much (docs/field_setup.md says "
         "how to keep the clock on GPS time)";
}

}  // namespace

std::string gpsClockLine(const gps::GpsClockOffset& clock, const platform::ClockDiscipline& state) {
  return "GPS time: " + gps::clockOffsetText(clock) + "; system clock " +
         platform::describeClockDiscipline(state);
}

bool wantsGpsSite(const ProgramOptions& options, gps::GpsdAddress* address) {
  return options.site.has_value() && gps::parseGpsSite(*options.site, address);
}

bool takeGpsSite(ProgramOptions* options) {
  const gps::GpsReading reading = readReceiver(options);
  if (reading.status != gps::GpsStatus::kFix) {
    printErr("-site gps: %s\n", gps::failureText(reading).c_str());
    return false;
  }
  printTrace("%s\n", gpsClockLine(reading.clock, platform::readClockDiscipline()).c_str());
  // Every absolute moment will be off by as much: a person must hear of it before the run.
  if (gps::clockOffsetTooLarge(reading.clock)) {
    outputPrintf(Warn, "Warning: %s\n", clockOffsetFinding(reading.clock).c_str());
  }
  return true;
}

std::vector<std::string> takeGpsSiteForCheck(ProgramOptions* options) {
  const gps::GpsReading reading = readReceiver(options);
  std::vector<std::string> findings;
  if (reading.status != gps::GpsStatus::kFix) {
    findings.push_back("-site gps: " + gps::failureText(reading));
  }
  if (reading.status != gps::GpsStatus::kNoDaemon &&
      reading.status != gps::GpsStatus::kUnavailable) {
    printMsg("%s\n", gpsClockLine(reading.clock, platform::readClockDiscipline()).c_str());
  }
  if (gps::clockOffsetTooLarge(reading.clock)) {
    findings.push_back(clockOffsetFinding(reading.clock));
  }
  return findings;
}

std::unique_ptr<gps::GpsClockWatch> startGpsClockWatch(const ProgramOptions& options) {
  gps::GpsdAddress address;
  if (!wantsGpsSite(options, &address)) return nullptr;
  try {
    auto watch = std::make_unique<gps::GpsClockWatch>(address);
    if (options.gpsClock) watch->take(*options.gpsClock, std::chrono::steady_clock::now());
    return watch;
  } catch (const std::system_error&) {
    return nullptr;  // no thread: the status line goes without GPS time
  }
}

std::function<std::string()> gpsStatusText(gps::GpsClockWatch* watch) {
  return [watch] {
    const std::string text = gps::shortClockOffsetText(watch->latest());
    return text.empty() ? std::string("GPS: no time") : text;
  };
}
