#include "app/program_options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "output/output.h"

namespace {

bool isOneOf(const char* arg, std::initializer_list<const char*> forms) {
  for (const char* form : forms) {
    if (strcmp(arg, form) == 0) return true;
  }
  return false;
}

// A decimal integer as the C library reads one (leading blanks and a sign allowed, text without
// digits gives 0), held to the 32-bit range instead of overflowing.
int64_t decimalValue(const char* text) {
  errno = 0;
  long long value = strtoll(text, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return value;
}

}  // namespace

void parseArguments(int argc, const char* const* argv, ProgramOptions* options) {
  platform::Event* stopEvent = options->stopEvent;
  ScriptClock* scriptClock = options->scriptClock;
  *options = ProgramOptions();
  options->stopEvent = stopEvent;
  options->scriptClock = scriptClock;
  if (argc < 2 || argv == nullptr || argv[0] == nullptr || argv[1] == nullptr) return;

  for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
    const char* arg = argv[i];
    const bool hasValue = i + 1 < argc && argv[i + 1] != nullptr;
    if (isOneOf(arg, {"-h", "-help", "--help", "-?", "/?", "?"})) {
      options->mode = RunMode::Help;
      return;
    }
    if (isOneOf(arg, {"-l", "-list", "--list"})) {
      options->mode = RunMode::List;
      return;
    }
    if (isOneOf(arg, {"-i", "-info", "--info"})) {
      options->mode = RunMode::Info;
    } else if (isOneOf(arg, {"-log", "--log"})) {
      openLogFile();
    } else if (isOneOf(arg, {"-sim", "--sim"})) {
      options->simulated = true;
      if (hasValue && argv[i + 1][0] != '-') options->simWorldPath = argv[++i];
    } else if (isOneOf(arg, {"-check", "--check"})) {
      options->check = true;
    } else if (isOneOf(arg, {"-plot", "--plot"}) && hasValue) {
      options->check = true;
      options->plotPath = argv[++i];
    } else if (isOneOf(arg, {"-report", "--report"}) && hasValue) {
      options->reportPath = argv[++i];
    } else if (isOneOf(arg, {"-at", "--at", "-atutc", "--atutc"}) && hasValue) {
      options->atUtc = isOneOf(arg, {"-atutc", "--atutc"});
      options->atMoment = argv[++i];
    } else if (isOneOf(arg, {"-eclipse", "--eclipse"})) {
      options->eclipseListing = true;
      if (hasValue && argv[i + 1][0] != '-') options->eclipseDate = argv[++i];
    } else if (isOneOf(arg, {"-site", "--site"}) && hasValue) {
      options->site = argv[++i];
    } else if (isOneOf(arg, {"-elements", "--elements"}) && hasValue) {
      options->elementsPath = argv[++i];
    } else if (isOneOf(arg, {"-deltat", "--deltat"}) && hasValue) {
      options->deltaT = argv[++i];
    } else if (isOneOf(arg, {"-speed", "--speed"}) && hasValue) {
      options->speed = argv[++i];
    } else if (isOneOf(arg, {"-c", "-camera", "--camera"}) && hasValue) {
      options->cameraIndex = static_cast<int32_t>(decimalValue(argv[++i]));
      if (options->mode == RunMode::List) options->mode = RunMode::Info;
    } else if (isOneOf(arg, {"-s", "-script", "--script"}) && hasValue) {
      const char* path = argv[++i];
      options->mode = RunMode::Script;
      if (strcmp(path, "-") == 0) {
        options->scriptPath.reset();
      } else {
        options->scriptPath = path;
      }
    } else if (isOneOf(arg, {"-com", "--com"}) && hasValue) {
      const char* value = argv[++i];
      if (value[0] == '/') {
        options->comPortPath = value;
        options->comPortNumber = -1;
      } else {
        const int64_t n = decimalValue(value);
        options->comPortNumber =
            static_cast<int32_t>(n < 0 ? (n == INT32_MIN ? INT32_MAX : -n) : n);
        options->comPortPath.clear();
      }
    } else {
      // No such option, or an option that needs a value came last.
      options->mode = RunMode::BadArgument;
      options->badArgument = arg;
      return;
    }
  }
}
