#include "app/program.h"

#include <atomic>
#include <cstdio>
#include <system_error>
#include <thread>

#include "app/camera_info.h"
#include "app/camera_list.h"
#include "app/check_mode.h"
#include "app/console_control_handler.h"
#include "app/eclipse_listing.h"
#include "app/eclipse_options.h"
#include "app/gps_site.h"
#include "app/rehearsal.h"
#include "app/script_file.h"
#include "app/script_thread.h"
#include "app/sdk_setup.h"
#include "app/usage.h"
#include "output/output.h"
#include "platform/clock.h"
#include "platform/console_control.h"
#include "platform/error.h"
#include "platform/event.h"
#include "platform/process.h"

namespace {

constexpr uint32_t kWaitLoopMs = 50;

// The program-wide stop event: manual reset, never reset once set. It lives for the whole process
// because the signal thread may still look at it while main returns.
platform::Event& stopEvent() {
  static platform::Event* event = new platform::Event(/*manualReset=*/true, false);
  return *event;
}

// The script thread's body: highest priority the system grants, then the script.
void scriptThreadMain(ProgramOptions* options, std::atomic<uint32_t>* exitCode,
                      platform::Event* done) {
  if (!platform::raiseCurrentThreadToTimeCritical()) {
    const std::string reason = platform::errorText(platform::lastError());
    printTrace("Script thread keeps its priority: %s\n", reason.c_str());
  }
  exitCode->store(doScript(options));
  done->set();
}

int runMode(ProgramOptions* options, Rehearsal* rehearsal) {
  switch (options->mode) {
    case RunMode::List:
      return listCameras();
    case RunMode::Info:
      return printCameraInfo(options->cameraIndex);
    case RunMode::Script:
      return runScriptMode(options, rehearsal);
    default:
      return 1;
  }
}

// "-eclipse": the listing at the moment of -at / -atutc, or now. A script or a check with it is a
// bad command line: the listing is a mode of its own.
int runEclipseMode(ProgramOptions* options) {
  if (options->mode == RunMode::Script || options->mode == RunMode::Info || options->check) {
    options->mode = RunMode::BadArgument;
    options->badArgument = "-eclipse";
    return printUsage(*options, stderr);
  }
  uint64_t now = platform::utcNow();
  if (options->atMoment && !readCommandLineMoment(*options->atMoment, options->atUtc, &now)) {
    printErr("%s %s: not a date or time\n", options->atUtc ? "-atutc" : "-at",
             options->atMoment->c_str());
    return 1;
  }
  writeBanner(stdout);
  gps::GpsdAddress gpsd;
  if (wantsGpsSite(*options, &gpsd) && !takeGpsSite(options)) return 1;
  return runEclipseListing(*options, now);
}

}  // namespace

int runScriptMode(ProgramOptions* options, Rehearsal* rehearsal) {
  writeBanner(stdout);
  if (options->scriptPath.has_value()) {
    if (!readScriptFile(*options->scriptPath, &options->scriptText)) return 2;
  } else {
    outputText(Warn, "\nRead script from stdin\n");
    if (!readScriptStream(stdin, &options->scriptText)) return 2;
  }
  gps::GpsdAddress gpsd;
  if (wantsGpsSite(*options, &gpsd) && !takeGpsSite(options)) return 1;

  platform::Event& stop = stopEvent();
  options->stopEvent = &stop;
  setConsoleStopEvent(&stop);

  if (rehearsal != nullptr) options->scriptClock = rehearsal->startScriptClock();

  std::atomic<uint32_t> exitCode{0};
  platform::Event done(/*manualReset=*/true, false);
  std::thread thread;
  try {
    thread = std::thread(&scriptThreadMain, options, &exitCode, &done);
  } catch (const std::system_error& e) {
    printSysError("Can't create script thread", static_cast<uint32_t>(e.code().value()));
    return 3;
  }

  platform::Waitable* handles[] = {&done, &stop};
  for (;;) {
    const uint32_t result = platform::waitAny(handles, 2, kWaitLoopMs);
    if (result != platform::kWaitTimeout) break;
  }
  // After a stop the script thread still ends in order (every wait of it watches the stop event);
  // the text, the camera SDK and the log stay until it has.
  thread.join();
  options->scriptText.reset();
  return static_cast<int>(exitCode.load());
}

int runProgram(int argc, const char* const* argv) {
  platform::ensureStandardStreams();
  platform::blockConsoleSignals();
  platform::ignoreBrokenPipes();
  platform::initTimeLocale();
  platform::installConsoleControlHandler(&consoleCtrlHandler);

  ProgramOptions options;
  parseArguments(argc, argv, &options);
  if (options.mode == RunMode::Help || options.mode == RunMode::BadArgument) {
    const int code = printUsage(options, stderr);
    closeLogFile();
    return code;
  }

  if (!prepareEclipseOptions(&options)) {
    closeLogFile();
    return 1;
  }
  if (options.eclipseListing) {
    const int code = runEclipseMode(&options);
    closeLogFile();
    return code;
  }

  Rehearsal rehearsal;
  if (!rehearsal.prepare(options)) {
    closeLogFile();
    return 1;
  }
  if (options.check && options.mode != RunMode::Script) {
    options.mode = RunMode::BadArgument;
    options.badArgument = "-check";
    const int code = printUsage(options, stderr);
    closeLogFile();
    return code;
  }
  if (options.check) {
    const int code = runCheckMode(&options, rehearsal);
    closeLogFile();
    return code;
  }
  startCameraSdkWith(options.simulated ? rehearsal.createRunBackend() : createCameraBackend(false));
  const int code = runMode(&options, &rehearsal);
  stopCameraSdk();
  closeLogFile();
  return code;
}
