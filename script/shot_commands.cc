// The shot, COM flash, lock and unlock commands.
#include <cstdio>

#include "camera/canon_camera.h"
#include "camera/error_text.h"
#include "camera/frame_record.h"
#include "output/output.h"
#include "platform/error.h"
#include "platform/serial_port.h"
#include "script/script_parser.h"

namespace {

// "Internal device error": the result of a shot without a camera.
constexpr EdsError kNoCameraShotResult = 0x85;

}  // namespace

void CQuorvaleScriptParser::doShot() {
  // A shot that has begun is always taken: the stop check follows it.
  EdsError result = kNoCameraShotResult;
  uint64_t frame = 0;
  if (camera != nullptr) {
    if (frameRecord_ != nullptr && shotLines_.available()) {
      frameRecord_->noteScriptLine(shotLines_.lineAt(matchOffset()));
    }
    cameraLock.Lock();
    result = camera->takePicture();
    frame = camera->lastFrame();
    cameraLock.Unlock();
  }
  if (result == 0) {
    ++shotCount;
    char line[64];
    std::snprintf(line, sizeof(line), "Shot #%u: ok\n", shotCount);
    doPrint(line);
    // After its line: a fate already known to differ is said right after it.
    if (frameRecord_ != nullptr && frame != 0) frameRecord_->onReportedOk(frame, shotCount);
    return;
  }
  // A stopped wait leaves the shot's fate open: the stop itself is what the script says.
  if (result != kShotWaitStopped) printErr("Shot error: %s\n", shotResultText(result));
  checkStop();
}

void CQuorvaleScriptParser::doComFlash() {
  checkStop();
  if (comPort == nullptr) {
    printErr("COM port not open\n");
    return;
  }
  releaseCameraLock();
  if (!comPort->readState()) {
    printSysError("doComFlash: GetCommState failure", platform::lastError());
    return;
  }
  if (!comPort->setRts(true)) {
    printSysError("doComFlash: GetCommState (RTS_CONTROL_ENABLE) failure", platform::lastError());
    return;
  }
  // The pulse may last days: a stop ends it like any other wait, with the line lowered first.
  const bool stopped = clock_->holdPulse(stopEvent, shotComTime) != platform::kWaitTimeout;
  if (!comPort->setRts(false)) {
    printSysError("doComFlash: GetCommState (RTS_CONTROL_DISABLE) failure", platform::lastError());
    if (stopped) checkStop();
    return;
  }
  doPrint("ComFlash\n");  // after a stop its check ends the script instead
}

void CQuorvaleScriptParser::doLockUI() {
  cameraLock.Lock();
  doPrint("Camera locked\n");
}

void CQuorvaleScriptParser::doUnlockUI() {
  releaseCameraLock();
  doPrint("Camera unlocked\n");
}
