// POSIX implementation of the system error codes: errno values and strerror texts.
#include "platform/error.h"

#include <string.h>

namespace platform {

namespace {
thread_local uint32_t t_lastError = 0;
}  // namespace

uint32_t lastError() { return t_lastError; }

void setLastError(uint32_t code) { t_lastError = code; }

std::string errorText(uint32_t code) {
  char buffer[1024];
  buffer[0] = '\0';
  // The GNU strerror_r returns the text, either in |buffer| or a static string.
  const char* text = strerror_r(static_cast<int>(code), buffer, sizeof(buffer));
  return text != nullptr ? std::string(text) : std::string();
}

}  // namespace platform
