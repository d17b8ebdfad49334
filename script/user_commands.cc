// The parser's message, sound and prompt commands.
#include <string>

#include "output/output.h"
#include "script/audio_player.h"
#include "script/script_parser.h"
#include "script/value_parsing.h"

namespace {

constexpr char kPromptCaption[] = "Quorvale: Wait for user input";
constexpr char kDefaultPrompt[] = "Press OK to continue...";

}  // namespace

void CQuorvaleScriptParser::doSkip(const char* text) {
  checkStop();
  outputPrintf(Warn, "\nSkip: %s\n", text != nullptr ? text : "");
}

void CQuorvaleScriptParser::doSkipBytes(const char* text) {
  if (text == nullptr) return;
  for (const char* p = text; *p != '\0'; ++p) {
    const char byte[2] = {*p, '\0'};
    doSkip(byte);
  }
}

void CQuorvaleScriptParser::doPlay(const char* text) {
  checkStop();
  if (text == nullptr) return;
  std::string copy(text);
  char* name = &copy[0];
  trimBlanks(name);
  startSound(name);
}

void CQuorvaleScriptParser::doWaitUser(const char* text) {
  checkStop();
  if (text == nullptr || *text == '\0') return;
  std::string copy;
  char* value = copyValue(text, &copy);
  std::string prompt = kDefaultPrompt;
  if (value != nullptr) {
    unescapeText(value);
    prompt = value;
  }
  releaseCameraLock();
  doPrint("Wait for user input\n");
  clock_->waitForUser(kPromptCaption, prompt, stopEvent);
  // A prompt ended by the stop event ends the script here.
  checkStop();
}
