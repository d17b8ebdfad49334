// The camera subsystem's message tables: SDK error codes and capture error numbers to text.
//
// Thread safety: both functions are pure and may be called from any thread. The returned texts are
// string literals that live for the whole program.
#ifndef QUORVALE_CAMERA_ERROR_TEXT_H_
#define QUORVALE_CAMERA_ERROR_TEXT_H_

#include <cstddef>
#include <cstdint>

// The text of an SDK error code. Only the low 16 bits of |code| are compared (zero-extended) with
// the table's codes; the first match wins. A code without a row gives "Unknown error".
const char* edsErrorText(uint32_t code);

// The text of a capture error number reported by the camera (1-8); any other number gives
// "Unknown error".
const char* captureErrorText(uint32_t number);

// The rows of the SDK error table, in search order (for tests and diagnostics).
struct EdsErrorRow {
  uint32_t code;
  const char* text;
};
const EdsErrorRow* edsErrorRows(size_t* count);

#endif  // QUORVALE_CAMERA_ERROR_TEXT_H_
