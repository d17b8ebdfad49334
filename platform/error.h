// System error codes of the platform seam.
//
// Every platform operation that can fail returns false (or a documented failure value) and records
// the reason as a system error code for the calling thread, readable with lastError() as the
// program reads GetLastError() elsewhere. Nothing above the seam sees errno or OS types: callers pass
// the code on to printSysError(), which turns it into text with errorText().
//
// Thread safety: the last error is per thread; errorText() may be called from any thread.
#ifndef QUORVALE_PLATFORM_ERROR_H_
#define QUORVALE_PLATFORM_ERROR_H_

#include <cstdint>
#include <string>

namespace platform {

// The system error code recorded by the calling thread's most recent failing platform operation.
uint32_t lastError();

// Records |code| as the calling thread's last error (used by the platform implementations).
void setLastError(uint32_t code);

// The system's message for |code| (strerror text on POSIX), without a line end. Never fails; an
// unknown code yields the system's "Unknown error N" text, a code without any text an empty string.
std::string errorText(uint32_t code);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_ERROR_H_
