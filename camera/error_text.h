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

// A shot that the body ended with a capture error results in captureErrorResult(number): a code
// outside the SDK's codes (their high byte is 0x00-0x03 or 0x80-0x83) that keeps the number (one
// above 0xFFFF is kept as 0xFFFF, which has no text either).
constexpr uint32_t kCaptureErrorResult = 0xCE000000u;
constexpr uint32_t captureErrorResult(uint32_t number) {
  return kCaptureErrorResult | (number > 0xFFFFu ? 0xFFFFu : number);
}

// The text of a shot's result: the capture error's text for a captureErrorResult(), else the SDK
// code's text.
const char* shotResultText(uint32_t result);

// The rows of the SDK error table, in search order (for tests and diagnostics).
struct EdsErrorRow {
  uint32_t code;
  const char* text;
};
const EdsErrorRow* edsErrorRows(size_t* count);

#endif  // QUORVALE_CAMERA_ERROR_TEXT_H_
