// The numeric meaning of the SDK's Tv, Av and ISO codes, and the parsing of the texts that
// libgphoto2's drivers show for them ("1/250", "30", "15\"", "3\"2", "0.3", "f/5.6", "5.6", "400",
// "bulb", "Auto"). The backend matches a code to a widget choice by this meaning, never by the
// choice's position or spelling.
//
// Thread safety: constant tables and pure functions.
#ifndef QUORVALE_CAMERA_GPHOTO2_EXPOSURE_TABLE_H_
#define QUORVALE_CAMERA_GPHOTO2_EXPOSURE_TABLE_H_

#include <cstddef>
#include <string>

#include "camera/eds.h"

// One Tv code: its exposure in seconds (numerator / denominator), or bulb.
struct TvRow {
  EdsUInt32 code;
  int numerator;
  int denominator;
  bool bulb;
  double seconds() const { return static_cast<double>(numerator) / denominator; }
};

// One Av code and its f-number in tenths (f/5.6 is 56).
struct AvRow {
  EdsUInt32 code;
  int fNumberTenths;
};

struct IsoRow {
  EdsUInt32 code;
  int iso;
};

// The rows, in ascending code order: 74 Tv codes, 53 Av codes, 19 ISO speeds.
const TvRow* tvRows(size_t* count);
const AvRow* avRows(size_t* count);
const IsoRow* isoRows(size_t* count);

// Of two codes that stand for the same value, the one the backend reports: the third-stop member
// (0x15 rather than 0x14 for 20 s, 0x0D rather than 0x0C for f/1.2).
bool isPreferredTvCode(EdsUInt32 code);
bool isPreferredAvCode(EdsUInt32 code);

// Parsed texts. Each returns false for a text that does not state a value of its kind.
enum class ExposureKind { kTimed, kBulb, kAuto };
bool parseShutterText(const std::string& text, ExposureKind* kind, double* seconds);
bool parseApertureText(const std::string& text, double* fNumber);
// |iso| 0 means automatic ISO.
bool parseIsoText(const std::string& text, int* iso);

// True when two positive values name the same stop: they differ by less than half the narrowest
// gap between neighbouring codes, which still absorbs the rounding of displayed values ("7.1" for
// f/7.13, "0.3" for 0.31 s).
bool sameShutterValue(double a, double b);
bool sameApertureValue(double a, double b);

#endif  // QUORVALE_CAMERA_GPHOTO2_EXPOSURE_TABLE_H_
