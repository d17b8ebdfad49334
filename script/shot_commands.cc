// The shot, COM flash, lock and unlock commands.
#include <cstdio>

#include "camera/canon_camera.h"
#include "camera/error_text.h"
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
  if (camera != nullptr) {
    cameraLock.Lock();
    result = camera->takePicture();
    cameraLock.Unlock();
  }
  if (result == 0) {
    ++shotCount;
    char line[64];
    std::snprintf(line, sizeof(line), "Shot #%u: ok\n", shotCount);
    doPrint(line);
    return;
  }
  printErr("Shot error: %s\n", shotResultText(result));
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
