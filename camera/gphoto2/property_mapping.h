// Which libgphoto2 widget holds each SDK property, and how a property code becomes a widget choice
// and back. All matching goes by meaning: an exposure time, an f-number, an ISO speed, an image
// format's parts, or a mode's name in any of the spellings the drivers use (compared without case,
// blanks, '-' and '_').
//
// Thread safety: pure functions over constant tables.
#ifndef QUORVALE_CAMERA_GPHOTO2_PROPERTY_MAPPING_H_
#define QUORVALE_CAMERA_GPHOTO2_PROPERTY_MAPPING_H_

#include <cstdint>
#include <string>
#include <vector>

#include "camera/eds.h"

// The code a read answers when the widget's text has no SDK code: one the camera code shows as
// unknown ("?", or "???" for image quality, whose codes it decodes by their bits).
EdsUInt32 unknownValueFor(EdsPropertyID property);

// The widget names that may hold |property|, most likely first (drivers differ: "aperture" on EOS
// bodies, "f-number" on others). Empty for properties that are not widget choices.
std::vector<std::string> widgetNamesFor(EdsPropertyID property);

// True for the seven properties whose values are choices: Tv, Av, ISO, image quality, AE mode,
// drive mode and metering mode.
bool isChoiceProperty(EdsPropertyID property);

// The SDK code of a widget text; false when the text has none.
bool codeFromChoiceText(EdsPropertyID property, const std::string& text, EdsUInt32* code);

// The first of |choices| that stands for |code|; false when the code has no meaning for the
// property or the body offers no such value.
bool choiceForCode(EdsPropertyID property, EdsUInt32 code, const std::vector<std::string>& choices,
                   std::string* choice);

// The codes of |choices| in their order, each once, those without a code left out, at most |max|.
std::vector<EdsInt32> codesOfChoices(EdsPropertyID property,
                                     const std::vector<std::string>& choices, size_t max);

// Battery level in percent from the driver's text ("75%", "Full", "Half", "Low", "Empty").
bool batteryPercentFromText(const std::string& text, EdsUInt32* percent);
// A count from a numeric widget text ("512").
bool countFromText(const std::string& text, EdsUInt32* count);

// The SDK property for a PTP device property code reported in an event ("PTP Property d102
// changed" is 0xd102, Tv), or 0 when the program has none for it.
EdsPropertyID propertyForPtpCode(uint32_t ptpCode);

#endif  // QUORVALE_CAMERA_GPHOTO2_PROPERTY_MAPPING_H_
