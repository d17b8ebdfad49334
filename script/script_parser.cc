#include "script/script_parser.h"

#include "camera/canon_camera.h"
#include "output/output.h"

namespace {

CMtObject* lockableOf(CCanonCamera* camera) {
  return camera != nullptr ? static_cast<CMtObject*>(camera) : nullptr;
}

}  // namespace

CQuorvaleScriptParser::CQuorvaleScriptParser(CCanonCamera* camera, platform::SerialLine* comPort,
                                             void* ownerWindow, platform::Event* stopEvent,
                                             ScriptClock* clock)
    : camera(camera),
      cameraLock(lockableOf(camera), false),
      stopEvent(stopEvent),
      ownerWindow(ownerWindow),
      waitTimer(new platform::WaitableTimer()),
      comPort(comPort),
      clock_(clock != nullptr ? clock : systemScriptClock()) {}

CQuorvaleScriptParser::~CQuorvaleScriptParser() {
  releaseCameraLock();
  waitTimer.reset();
}

void CQuorvaleScriptParser::LexerOutput(const char* buf, int /*size*/) { doSkip(buf); }

void CQuorvaleScriptParser::doHeader() {
  if (camera == nullptr) {
    printErr("Camera not found!\n");
    throw static_cast<uint32_t>(1);
  }
  doCheckpoint(false);
}
