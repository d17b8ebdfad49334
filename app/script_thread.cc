#include "app/script_thread.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <system_error>

#include "app/gps_site.h"
#include "app/status_line.h"
#include "camera/canon_camera.h"
#include "camera/canon_interface.h"
#include "camera/frame_record.h"
#include "output/output.h"
#include "platform/clock_discipline.h"
#include "platform/error.h"
#include "platform/serial_port.h"
#include "platform/terminal.h"
#include "script/script_parser.h"

namespace {

// Opens the COM port of |options| with its RTS line held inactive. Returns null after reporting
// the failure.
std::unique_ptr<platform::SerialLine> openComPort(const ProgramOptions& options) {
  // The name is built at its full length: any COM number and any device path fit.
  std::string name = !options.comPortPath.empty()
                         ? options.comPortPath
                         : "COM" + std::to_string(static_cast<uint32_t>(options.comPortNumber));
  std::string device =
      !options.comPortPath.empty()
          ? options.comPortPath
          : platform::comPortDevicePath(static_cast<uint32_t>(options.comPortNumber));
  std::unique_ptr<platform::SerialLine> port = platform::openSerialLine(device);
  if (port == nullptr) {
    std::string text = "Can't open port " + name;
    printSysError(text.c_str(), platform::lastError());
    return nullptr;
  }
  outputPrintf(Msg, "Open port %s\n", name.c_str());
  if (!port->readState()) {
    printSysError("GetCommState failure", platform::lastError());
    return nullptr;
  }
  if (!port->setRts(false)) {
    printSysError("GetCommState(RTS_CONTROL_DISABLE) failure", platform::lastError());
    return nullptr;
  }
  return port;
}

}  // namespace

uint32_t doScript(ProgramOptions* options) {
  if (options == nullptr || options->mode != RunMode::Script) {
    printErr("doScript: wrong params\n");
    return 1;
  }
  if (!options->scriptText) {
    printErr("Script data not found\n");
    return 10;
  }

  // The same reason and code as the list and info modes give when the SDK did not start.
  if (g_canonInterface == nullptr || g_canonInterface->initStatus() != 0) {
    printSdkError("Canon interface not ready", g_canonInterface == nullptr
                                                   ? EDS_ERR_NOT_INITIALIZED
                                                   : g_canonInterface->initStatus());
    return kSdkNotReadyExitCode;
  }

  std::unique_ptr<platform::SerialLine> port;
  if (options->comPortNumber >= 0 || !options->comPortPath.empty()) {
    port = openComPort(*options);
    if (port == nullptr) return 3;
  }

  // Every frame's fate is told as it becomes known; the record outlives the camera. Like the
  // log, a report that cannot be written is said once and the script runs without it.
  CFrameRecord frames;
  if (!options->reportPath.empty()) {
    std::string reason;
    if (!frames.openReport(options->reportPath, &reason)) {
      printErr("Report file '%s' not open: %s\n", options->reportPath.c_str(), reason.c_str());
    }
  }

  std::unique_ptr<CCanonCamera> camera = g_canonInterface->NewCamera(options->cameraIndex);
  if (camera == nullptr) {
    printSdkError("Camera not found!", g_canonInterface->lastError());
    return kNoCameraExitCode;
  }
  const EdsError session = camera->sessionStatus();
  if (session != 0) {
    printSdkError("Camera session did not open", session);
    camera.reset();
    port.reset();
    return kSessionNotOpenExitCode;
  }

  camera->setFrameRecord(&frames);
  camera->watchStop(options->stopEvent);

  EdsDeviceInfo device;
  std::memset(&device, 0, sizeof(device));
  camera->getDeviceInfo(&device);
  outputPrintf(Msg, "Open session with %s\n", device.szDeviceDescription);

  // Absolute waits are only as good as the system clock: its state goes to the log.
  const platform::ClockDiscipline clockState = platform::readClockDiscipline();
  printTrace("System clock: %s\n", platform::describeClockDiscipline(clockState).c_str());

  // The scan reads the text in place: it drops NUL bytes and needs two NUL end bytes, for which
  // the readers left room. Whatever memory is still wanted (the parser, a command's copy of its
  // rule text) may be refused: that is reported and ends the script in order.
  uint32_t result = 0;
  std::unique_ptr<gps::GpsClockWatch> gpsWatch;  // "-site gps": outlives the status line's reads
  bool stopped = false;
  std::unique_ptr<StatusLineClock> statusClock;  // on a terminal, long waits show a status line
  std::unique_ptr<CQuorvaleScriptParser> parser;
  try {
    ScriptClock* clock = options->scriptClock;  // null: the real clock
    if (platform::standardOutputIsTerminal()) {
      try {
        statusClock =
            std::make_unique<StatusLineClock>(clock != nullptr ? clock : systemScriptClock(),
                                              clockState, platform::terminalColumns());
        clock = statusClock.get();
        gpsWatch = startGpsClockWatch(*options);
        if (gpsWatch) statusClock->setGpsClock(gpsStatusText(gpsWatch.get()));
      } catch (const std::system_error&) {
        // No thread to draw it: the script runs without a status line.
      }
    }
    parser = std::make_unique<CQuorvaleScriptParser>(
        camera.get(), port.get(), options->consoleWindow, options->stopEvent, clock);
    if (statusClock) statusClock->setParser(parser.get());
    parser->eclipse().configure(options->eclipse);
    parser->setFrameRecord(&frames);
    std::string& text = *options->scriptText;
    if (text.empty()) {
      printErr("Can't init script stream\n");
      parser.reset();
      camera.reset();
      return 2;
    }
    const size_t size = text.size();
    text.append(2, '\0');
    parser->switchToText(&text[0], size);
    parser->yylex();
    // The frames still open are waited for (a stop ends the wait), bounded by when each is due.
    if (!camera->waitForOpenFrames()) stopped = true;
  } catch (uint32_t value) {
    if (value == 0) {
      stopped = true;
      outputText(Warn, "Termination excepltion\n");
    } else {
      printErr("doScript thread exception (value=%lu)\n", static_cast<unsigned long>(value));
      result = value;
    }
  } catch (int32_t failure) {
    printErr("Script scanner failure (%d)\n", static_cast<int>(failure));
    result = 2;
  } catch (const std::bad_alloc&) {
    printErr("Not enough memory to run the script\n");
    result = 2;
  }

  parser.reset();
  // What is still open now will not be heard of: the session closes.
  camera->abandonOpenFrames(stopped ? FrameWhy::kStopped : FrameWhy::kSessionClosed);
  frames.printCount();
  outputText(Msg, "Close session\n");
  camera.reset();
  port.reset();
  return result;
}
