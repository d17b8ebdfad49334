#include "app/rehearsal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "camera/sim/sim_backend.h"
#include "camera/sim/sim_world_file.h"
#include "output/output.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/file.h"
#include "script/eclipse_context.h"
#include "script/rehearsal_script_clock.h"
#include "script/value_parsing.h"

namespace {

constexpr uint64_t kMaxWorldFileSize = 1 << 20;

bool readWorldFile(const std::string& path, SimWorld* world) {
  uint64_t size = 0;
  if (!platform::fileSize(path, &size)) {
    printSysError(("World file '" + path + "' not found").c_str(), platform::lastError());
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  std::string text;
  if (in && size <= kMaxWorldFileSize) {
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (!in || size > kMaxWorldFileSize || in.bad()) {
    printErr("World file '%s' cannot be read\n", path.c_str());
    return false;
  }
  SimWorldFileError error;
  if (!parseSimWorldFile(text, readCommandLineMoment, world, &error)) {
    printErr("World file '%s' line %u: %s\n", path.c_str(), error.line, error.reason.c_str());
    return false;
  }
  return true;
}

std::string localText(uint64_t utc) {
  uint64_t local = 0;
  platform::CalendarTime t;
  std::memset(&t, 0, sizeof(t));
  if (!platform::utcToLocalFileTime(utc, &local) || !platform::fileTimeToCalendar(local, &t)) {
    return "?";
  }
  char text[kMomentTextSize];
  formatMoment(t, text);
  return text;
}

// "-at c2-60": the moment of a contact of the eclipse at the site of -site, or else of the script's
// site line, with the offset. Prints one error line when it cannot be given.
bool readContactStartMoment(const ProgramOptions& options, const ContactMoment& contact,
                            uint64_t* utcOut) {
  const char* option = options.atUtc ? "-atutc" : "-at";
  EclipseContext context;
  context.configure(options.eclipse);
  if (!context.hasSite() && options.scriptPath) {
    std::ifstream in(*options.scriptPath, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    eclipse::Site site;
    std::string error;
    if (findScriptSite(text, &site, &error)) {
      context.setScriptSite(site);
    } else if (!error.empty()) {
      printErr("%s %s: the script's site line: %s\n", option, options.atMoment->c_str(),
               error.c_str());
      return false;
    }
  }
  std::string error;
  if (!context.momentOf(contact, platform::utcNow(), utcOut, &error)) {
    printErr("%s %s: %s\n", option, options.atMoment->c_str(), error.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool readCommandLineMoment(const std::string& text, bool utc, uint64_t* utcOut) {
  if (text.empty() || text.size() > 64 ||
      text.find_first_not_of("0123456789:.- Tt") != std::string::npos ||
      text.find_first_of("0123456789") == std::string::npos) {
    return false;
  }
  std::string copy = text;
  platform::CalendarTime t =
      parseMomentFrom(&copy[0], utc ? platform::utcCalendarNow() : platform::localCalendarNow());
  uint64_t carry = 0;
  if (t.millisecond >= 1000) {
    carry = (t.millisecond / 1000) * platform::kFileTimeUnitsPerSecond;
    t.millisecond %= 1000;
  }
  uint64_t moment = 0;
  if (!platform::calendarToFileTime(t, &moment)) return false;
  moment += carry;
  if (utc) {
    *utcOut = moment;
    return true;
  }
  return platform::localToUtcFileTime(moment, utcOut);
}

bool Rehearsal::prepare(const ProgramOptions& options) {
  if (options.speed) {
    char* end = nullptr;
    const char* text = options.speed->c_str();
    speed_ = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(speed_ >= kMinSpeed && speed_ <= kMaxSpeed)) {
      printErr("-speed %s: the factor goes from 1 to 1000\n", text);
      return false;
    }
    if (!options.simulated) {
      printErr(
          "-speed works with the simulated cameras only (-sim); real cameras run in real time\n");
      return false;
    }
  }
  ContactMoment contact;
  if (options.atMoment && parseContactMoment(*options.atMoment, &contact)) {
    // A contact-relative moment ("c2-60"): the eclipse's own clock, not a calendar form.
    if (!readContactStartMoment(options, contact, &startUtc_)) return false;
    shifted_ = true;
  } else if (options.atMoment) {
    if (!readCommandLineMoment(*options.atMoment, options.atUtc, &startUtc_)) {
      printErr("%s %s: not a date or time\n", options.atUtc ? "-atutc" : "-at",
               options.atMoment->c_str());
      return false;
    }
    shifted_ = true;
  }
  world_ = defaultSimWorld();
  if (options.simWorldPath && !readWorldFile(*options.simWorldPath, &world_)) return false;
  return true;
}

std::unique_ptr<EdsBackend> Rehearsal::createSimBackend() const {
  return ::createSimBackend(world_, 1.0 / speed_, shifted_ ? startUtc_ : platform::utcNow());
}

ScriptClock* Rehearsal::startScriptClock() {
  if (!shifted_ && speed_ == 1.0) return nullptr;
  const uint64_t realNow = platform::utcNow();
  const uint64_t start = shifted_ ? startUtc_ : realNow;
  clock_.reset(new RehearsalScriptClock(systemScriptClock(), start, speed_));
  const double shift = (static_cast<double>(start) - static_cast<double>(realNow)) / 1e7;
  printTrace("Script clock: starts at %s (real time %s, shift %+.3f s), %g times real speed\n",
             localText(start).c_str(), localText(realNow).c_str(), shift, speed_);
  return clock_.get();
}
