#include "app/check_mode.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "app/gps_site.h"
#include "app/rehearsal.h"
#include "app/script_file.h"
#include "app/script_thread.h"
#include "app/sdk_setup.h"
#include "app/usage.h"
#include "camera/canon_camera.h"
#include "camera/canon_interface.h"
#include "camera/error_text.h"
#include "camera/sim/sim_world.h"
#include "check/plan_backend.h"
#include "check/plan_eclipse.h"
#include "check/plan_plot.h"
#include "check/plan_report.h"
#include "check/script_planner.h"
#include "output/output.h"
#include "platform/clock.h"
#include "platform/clock_discipline.h"
#include "platform/error.h"
#include "platform/event.h"
#include "platform/serial_port.h"
#include "script/script_parser.h"

namespace {

// The body of camera |index| of the simulated world (a real body is taken alike).
SimBodyPlan plannedBody(const SimWorld& world, int32_t index) {
  if (index >= 0 && static_cast<size_t>(index) < world.bodies.size()) {
    return world.bodies[static_cast<size_t>(index)];
  }
  SimBodyPlan body;
  body.config = defaultPtpBodyConfig();
  return body;
}

// The free bytes of the cards the body fills, in order: the simulated body's own cards, or a real
// body's free space as one.
std::vector<uint64_t> plannedCards(const SimBodyConfig& body, bool simulated,
                                   CCanonCamera* camera) {
  std::vector<uint64_t> cards;
  if (simulated) {
    for (const SimVolume& volume : body.volumes) {
      if (volume.access == 1 || volume.access == 2) cards.push_back(volume.freeSpace);
    }
  } else if (camera->getVolumeCapacity() > 0) {
    cards.push_back(camera->getFreeSpace());
  }
  return cards;
}

// Opens camera |index| behind the planning layer: the chosen backend, or the simulated one when a
// real camera does not answer (*simulatedFigures then true). Null when there is none at all.
std::unique_ptr<CCanonCamera> openPlannedCamera(const ProgramOptions& options,
                                                const Rehearsal& rehearsal, ScriptPlanner* planner,
                                                bool* simulatedFigures) {
  *simulatedFigures = options.simulated;
  startCameraSdkWith(createPlanBackend(
      options.simulated ? rehearsal.createSimBackend() : createCameraBackend(false), planner));
  std::unique_ptr<CCanonCamera> camera = g_canonInterface->NewCamera(options.cameraIndex);
  if (options.simulated || (camera != nullptr && camera->sessionStatus() == 0)) return camera;
  camera.reset();
  stopCameraSdk();
  *simulatedFigures = true;
  startCameraSdkWith(createPlanBackend(rehearsal.createSimBackend(), planner));
  return g_canonInterface->NewCamera(options.cameraIndex);
}

void checkComPort(const ProgramOptions& options, ScriptPlanner* planner) {
  const std::string name =
      !options.comPortPath.empty()
          ? options.comPortPath
          : "COM" + std::to_string(static_cast<uint32_t>(options.comPortNumber));
  const std::string device =
      !options.comPortPath.empty()
          ? options.comPortPath
          : platform::comPortDevicePath(static_cast<uint32_t>(options.comPortNumber));
  std::string what;
  if (!platform::probeSerialLine(device, &what)) {
    if (!what.empty()) {
      planner->addFinding(0, 0,
                          "-com " + name + ": not a serial line (" + device + " is " + what +
                              "): a run cannot pulse a flash on it");
    } else {
      planner->addFinding(0, 0,
                          "-com " + name + ": the port cannot be opened (" + device + ": " +
                              platform::errorText(platform::lastError()) + ")");
    }
  }
}

}  // namespace

int runCheckMode(ProgramOptions* options, const Rehearsal& rehearsal) {
  writeBanner(stdout);
  if (options->scriptPath.has_value()) {
    if (!readScriptFile(*options->scriptPath, &options->scriptText)) return 2;
  } else {
    if (!readScriptStream(stdin, &options->scriptText)) return 2;
  }
  if (!options->scriptText) {
    printErr("Script data not found\n");
    return 10;
  }
  const std::string scriptName = options->scriptPath.value_or("<stdin>");
  gps::GpsdAddress gpsd;
  const std::vector<std::string> gpsFindings =
      wantsGpsSite(*options, &gpsd) ? takeGpsSiteForCheck(options) : std::vector<std::string>();
  const platform::ClockDiscipline clockState = platform::readClockDiscipline();

  uint64_t start = platform::utcNow();
  rehearsal.shiftedStart(&start);

  // Memory that is refused (the parser, the plan, a command's copy of its rule text) ends the
  // check in order: the scan, the camera and the SDK go first, then the report of it.
  try {
    const SimBodyPlan body = plannedBody(rehearsal.world(), options->cameraIndex);
    ScriptPlanner planner(start, body.config, body.eventDelayMs);
    for (const std::string& finding : gpsFindings) planner.addFinding(0, 0, finding);
    bool simulatedFigures = false;
    std::unique_ptr<CCanonCamera> camera =
        openPlannedCamera(*options, rehearsal, &planner, &simulatedFigures);
    if (g_canonInterface == nullptr || g_canonInterface->initStatus() != 0) {
      // As the run would end: one reason, one code.
      printSdkError("Canon interface not ready", g_canonInterface == nullptr
                                                     ? EDS_ERR_NOT_INITIALIZED
                                                     : g_canonInterface->initStatus());
      camera.reset();
      stopCameraSdk();
      return static_cast<int>(kSdkNotReadyExitCode);
    }
    if (camera == nullptr) {
      printSdkError("Camera not found!", g_canonInterface->lastError());
      stopCameraSdk();
      return static_cast<int>(kNoCameraExitCode);
    }
    EdsDeviceInfo device;
    std::memset(&device, 0, sizeof(device));
    camera->getDeviceInfo(&device);
    // A run without a session runs no line: there is no plan to make.
    const EdsError session = camera->sessionStatus();
    EdsUInt32 available = 0;
    const int64_t availableShots =
        session == 0 && camera->readProperty(kEdsPropID_AvailableShots, &available) == 0
            ? static_cast<int64_t>(available)
            : int64_t{-1};
    if (session != 0) {
      planner.addFinding(0, 0,
                         std::string("the camera's session does not open (") +
                             edsErrorText(session) + "): a run ends at once with exit code " +
                             std::to_string(kSessionNotOpenExitCode));
    }
    EdsUInt32 battery = 0;
    const bool batteryRead =
        session == 0 && camera->readProperty(kEdsPropID_BatteryLevel, &battery) == 0;
    planner.setSupplies(batteryRead ? static_cast<double>(battery) : -1.0,
                        session == 0 ? plannedCards(body.config, simulatedFigures, camera.get())
                                     : std::vector<uint64_t>{});

    const bool withPort = options->comPortNumber >= 0 || !options->comPortPath.empty();
    if (withPort) checkComPort(*options, &planner);

    platform::Event neverSet(/*manualReset=*/true, false);
    if (session == 0) {
      // The scan reads the text in place (dropping NUL bytes), and so does the planner.
      std::string& text = *options->scriptText;
      const size_t size = text.size();
      text.append(2, '\0');
      CQuorvaleScriptParser parser(camera.get(), withPort ? planner.serialLine() : nullptr, nullptr,
                                   &neverSet, planner.clock());
      parser.eclipse().configure(options->eclipse);
      planner.setParser(&parser);
      planner.setCamera(camera.get());
      parser.switchToText(&text[0], size);
      planner.install();
      try {
        parser.yylex();
      } catch (uint32_t) {
        // The header without a camera; cannot happen with a camera at hand.
      } catch (int32_t failure) {
        planner.uninstall();
        printErr("Script scanner failure (%d)\n", static_cast<int>(failure));
      }
      planner.uninstall();
      planner.setEclipse(planEclipse(&parser.eclipse(), start));
      planner.setParser(nullptr);
    }
    camera.reset();
    stopCameraSdk();

    ScriptPlan plan = planner.finish(clockState, availableShots);
    plan.camera = device.szDeviceDescription;
    plan.simulatedFigures = simulatedFigures && !options->simulated;
    writeCheckReport(plan, scriptName,
                     [](const std::string& piece) { outputText(Msg, piece.c_str()); });
    if (!options->plotPath.empty() && !writePlanPlot(plan, scriptName, options->plotPath)) {
      return 2;
    }
    return checkExitCode(plan);
  } catch (const std::bad_alloc&) {
    stopCameraSdk();
    printErr("Not enough memory to check the script\n");
    return 2;
  }
}
