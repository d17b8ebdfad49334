#include "app/rehearsal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/script_file.h"
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

bool readWorldFile(const std::string& path, uint64_t scriptStartUtc, SimWorld* world) {
  std::string text;
  switch (platform::readRegularFile(path, kMaxWorldFileSize, &text)) {
    case platform::ReadFileResult::kRead:
      break;
    case platform::ReadFileResult::kNotFound:
      printSysError(("World file '" + path + "' not found").c_str(), platform::lastError());
      return false;
    case platform::ReadFileResult::kNotRegular:
      printErr("World file '%s' is not a regular file\n", path.c_str());
      return false;
    case platform::ReadFileResult::kTooLarge:
      printErr("World file '%s' too large: more than %llu bytes\n", path.c_str(),
               static_cast<unsigned long long>(kMaxWorldFileSize));
      return false;
    case platform::ReadFileResult::kReadError:
      printSysError(("World file '" + path + "' cannot be read").c_str(), platform::lastError());
      return false;
  }
  SimWorldFileError error;
  const SimMomentReader readMoment = [scriptStartUtc](const std::string& value, bool utc,
                                                      uint64_t* out) {
    return readMomentAt(value, utc, scriptStartUtc, out);
  };
  if (!parseSimWorldFile(text, readMoment, world, &error)) {
    printErr("World file '%s' line %u: %s\n", path.c_str(), error.line, error.reason.c_str());
    return false;
  }
  return true;
}

// The pace of a faster rehearsal is the simulated bodies' model time.
class SimRehearsalPace final : public RehearsalPace {
 public:
  explicit SimRehearsalPace(SimBackend* sim) : sim_(sim) {}
  double nowMs() override { return sim_->modelTimeMs(); }
  void hurryUntil(double untilMs, double factor) override { sim_->hurry(factor, untilMs); }
  void endHurry() override { sim_->endHurry(); }
  double realMsUntil(double ms) override { return sim_->realMsUntil(ms); }

 private:
  SimBackend* const sim_;
};

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
    // The script itself is read (and refused when unreadable) later; here only its site counts.
    std::string text;
    platform::readRegularFile(*options.scriptPath, kMaxScriptSize, &text);
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

bool readMomentAt(const std::string& text, bool utc, uint64_t nowUtc, uint64_t* utcOut) {
  if (!isMomentForm(text)) return false;
  platform::CalendarTime now;
  std::memset(&now, 0, sizeof(now));
  uint64_t nowLocal = 0;
  if (utc ? !platform::fileTimeToCalendar(nowUtc, &now)
          : !platform::utcToLocalFileTime(nowUtc, &nowLocal) ||
                !platform::fileTimeToCalendar(nowLocal, &now)) {
    return false;
  }
  std::string copy = text;
  platform::CalendarTime t = parseMomentFrom(&copy[0], now);
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

bool readCommandLineMoment(const std::string& text, bool utc, uint64_t* utcOut) {
  return readMomentAt(text, utc, platform::utcNow(), utcOut);
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
  // The world's moments are moments of the script clock: a date left out is its date.
  const uint64_t scriptStart = shifted_ ? startUtc_ : platform::utcNow();
  if (options.simWorldPath && !readWorldFile(*options.simWorldPath, scriptStart, &world_)) {
    return false;
  }
  return true;
}

std::unique_ptr<EdsBackend> Rehearsal::createSimBackend() const {
  return ::createSimBackend(world_, 1.0 / speed_, shifted_ ? startUtc_ : platform::utcNow());
}

std::unique_ptr<EdsBackend> Rehearsal::createRunBackend() {
  // The model runs in real time; the script clock hurries it through the script's waits.
  std::unique_ptr<SimBackend> sim =
      ::createSimBackend(world_, 1.0, shifted_ ? startUtc_ : platform::utcNow());
  if (speed_ > 1.0) pace_.reset(new SimRehearsalPace(sim.get()));
  return sim;
}

ScriptClock* Rehearsal::startScriptClock() {
  if (!shifted_ && speed_ == 1.0) return nullptr;
  const uint64_t realNow = platform::utcNow();
  const uint64_t start = shifted_ ? startUtc_ : realNow;
  if (pace_ != nullptr) {
    clock_.reset(new RehearsalScriptClock(systemScriptClock(), start, pace_.get(), speed_));
  } else {
    clock_.reset(new RehearsalScriptClock(systemScriptClock(), start));
  }
  const double shift = (static_cast<double>(start) - static_cast<double>(realNow)) / 1e7;
  printTrace("Script clock: starts at %s (real time %s, shift %+.3f s), waits %g times faster\n",
             localText(start).c_str(), localText(realNow).c_str(), shift, speed_);
  return clock_.get();
}
