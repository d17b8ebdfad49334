#include "script/script_parser.h"

#include <climits>
#include <cstring>

#include "camera/canon_camera.h"
#include "output/output.h"

namespace {

// Removes the NUL bytes from bytes[0, size), moving the rest up; returns the count left.
size_t dropNulBytes(char* bytes, size_t size) {
  char* out = static_cast<char*>(std::memchr(bytes, '\0', size));
  if (out == nullptr) return size;
  for (const char* in = out + 1; in < bytes + size; ++in) {
    if (*in != '\0') *out++ = *in;
  }
  return static_cast<size_t>(out - bytes);
}

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

void CQuorvaleScriptParser::switchToText(char* text, size_t size) {
  const size_t length = dropNulBytes(text, size);
  // The engine counts its buffer in int, end bytes included.
  if (length > static_cast<size_t>(INT_MAX) - 2) throw static_cast<int32_t>(-1);
  text[length] = '\0';
  text[length + 1] = '\0';
  switchToBuffer(text, static_cast<int>(length));
  text_ = text;
  textSize_ = length;
}

void CQuorvaleScriptParser::LexerOutput(const char* buf, int /*size*/) { doSkip(buf); }

int CQuorvaleScriptParser::LexerInput(char* buf, int maxSize) {
  for (;;) {
    const int count = CQuorvaleScriptParser_FlexLexer::LexerInput(buf, maxSize);
    if (count <= 0) return count;
    // A read of NUL bytes alone is not the end of the input: read on.
    const size_t kept = dropNulBytes(buf, static_cast<size_t>(count));
    if (kept > 0) return static_cast<int>(kept);
  }
}

void CQuorvaleScriptParser::doHeader() {
  if (camera == nullptr) {
    printErr("Camera not found!\n");
    throw static_cast<uint32_t>(1);
  }
  doCheckpoint(false);
}
