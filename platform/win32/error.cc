// Windows implementation of the system error codes: GetLastError() values and the system's message
// table (FormatMessageA, English (United States) where the system has it).
#include "platform/error.h"

#include <windows.h>

namespace platform {

namespace {
thread_local uint32_t t_lastError = 0;

constexpr DWORD kEnglishUnitedStates = 0x0409;

// The message for |code| in |language|, without its line end; empty when there is none.
std::string formatSystemMessage(uint32_t code, DWORD language) {
  char buffer[1024];
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, language, buffer, sizeof(buffer), nullptr);
  std::string text(buffer, n);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

}  // namespace

uint32_t lastError() { return t_lastError; }

void setLastError(uint32_t code) { t_lastError = code; }

std::string errorText(uint32_t code) {
  std::string text = formatSystemMessage(code, kEnglishUnitedStates);
  // A system without the English message table answers in the user's language.
  if (text.empty() && GetLastError() == ERROR_RESOURCE_LANG_NOT_FOUND) {
    text = formatSystemMessage(code, 0);
  }
  return text;
}

}  // namespace platform
