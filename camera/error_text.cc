#include "camera/error_text.h"

namespace {

const char kUnknownError[] = "Unknown error";

const EdsErrorRow kEdsErrors[] = {
    {0x0, "OK"},
    {0x1, "Not implemented"},
    {0x2, "Internal error"},
    {0x3, "Memory allocation error"},
    {0x4, "Memory release error"},
    {0x5, "Operation canceled"},
    {0x6, "Version error"},
    {0x7, "Not supported"},
    {0x8, "Unexpected exception"},
    {0x9, "Protection violation"},
    {0xA, "Missing subcomponent"},
    {0xB, "Selection unavailable"},
    {0x20, "IO error"},
    {0x21, "Too many files open"},
    {0x22, "File does not exist"},
    {0x23, "Open error"},
    {0x24, "Close error"},
    {0x25, "Seek error"},
    {0x26, "Tell error"},
    {0x27, "Read error"},
    {0x28, "Write error"},
    {0x29, "Permission error"},
    {0x2A, "Disk full"},
    {0x2B, "File already exists"},
    {0x2C, "Format error"},
    {0x2D, "Invalid data"},
    {0x2E, "File naming error"},
    {0x40, "Directory does not exist"},
    {0x41, "I/O error"},
    {0x42, "No file in directory"},
    {0x43, "File in directory"},
    {0x44, "Directory full"},
    {0x50, "Property (and additional property information) unavailable"},
    {0x51, "Property mismatch"},
    {0x53, "Property not loaded"},
    {0x60, "Invalid function parameter"},
    {0x61, "Handle error"},
    {0x62, "Pointer error"},
    {0x63, "Index error"},
    {0x64, "Length error"},
    {0x65, "FN pointer error"},
    {0x66, "Sort FN error"},
    {0x80, "Device not found"},
    {0x81, "Device busy! Camera unstable!"},
    {0x82, "Device error"},
    {0x83, "Device emergency"},
    {0x84, "Device memory full"},
    {0x85, "Internal device error"},
    {0x86, "Device parameter invalid"},
    {0x87, "No disk"},
    {0x88, "Disk error"},
    {0x89, "The CF gate has been changed"},
    {0x8A, "The dial has been changed"},
    {0x8B, "Device not installed"},
    {0x8C, "Device connected in awake mode"},
    {0x8D, "Device not released"},
    {0xA0, "Stream I/O error"},
    {0xA1, "Stream open error"},
    {0xA2, "Stream already open"},
    {0xA3, "Failed to open stream"},
    {0xA4, "Failed to close stream"},
    {0xA5, "Stream seek error"},
    {0xA6, "Stream tell error"},
    {0xA7, "Failed to read stream"},
    {0xA8, "Failed to write stream"},
    {0xA9, "Permission error"},
    {0xAA, "Could not start reading thumbnail"},
    {0xAB, "Invalid stream option"},
    {0xAC, "Invalid stream termination"},
    {0xC0, "Port in use"},
    {0xC1, "Port disconnected"},
    {0xC2, "Incompatible device"},
    {0xC3, "Buffer full"},
    {0xC4, "USB bus error"},
    {0xD0, "Failed to lock the UI"},
    {0xD1, "Failed to unlock the UI"},
    {0xE0, "Unknown STI"},
    {0xE1, "Internal STI error"},
    {0xE2, "Device creation error"},
    {0xE3, "Device release error"},
    {0xE4, "Device startup failed"},
    {0xF0, "Enumeration terminated (there was no suitable enumeration item)"},
    {0xF1, "Called in a mode when the function could not be used"},
    {0xF2, "Handle not found"},
    {0xF3, "Invalid ID"},
    {0xF4, "Timeout"},
    {0xF5, "Not used"},
    {0x2003, "Session open error"},
    {0x2004, "Invalid transaction ID"},
    {0x2007, "Transfer problem"},
    {0x2008, "Storage error"},
    {0x200A, "Unsupported device property"},
    {0x200B, "Invalid object format code"},
    {0x2011, "Failed self-diagnosis"},
    {0x2012, "Failed in partial deletion"},
    {0x2014, "Unsupported format specification"},
    {0x2015, "Invalid object information"},
    {0x2016, "Invalid code format"},
    {0x2017, "Unknown vendor code"},
    {0x2018, "Capture already terminated"},
    {0x201A, "Invalid parent object"},
    {0x201B, "Invalid property format"},
    {0x201C, "Invalid property value"},
    {0x201E, "Session already open"},
    {0x201F, "Transaction canceled"},
    {0x2020, "Unsupported destination specification"},
    {0xA001, "Unknown command"},
    {0xA005, "Operation refused"},
    {0xA006, "Lens cover closed"},
    {0xA102, "Image data set not ready for live view"},
    {0x8D01, "Focus failed"},
    {0x8D02, "Reserved"},
    {0x8D03, "Currently configuring mirror up"},
    {0x8D04, "Currently cleaning sensor"},
    {0x8D05, "Currently performing silent operations"},
    {0x8D06, "Card not installed"},
    {0x8D07, "Error writing to card"},
    {0x8D08, "Card write protected"},
};

const char* const kCaptureErrors[] = {
    "Shooting failure",
    "The lens was closed",
    "General errors from the shooting mode, such as errors from the bulb or mirror-up mechanism",
    "Sensor cleaning",
    "Error because the camera was set for silent operation (in PF21)",
    "Prohibited settings using CFn-2, and no card inserted",
    "Card error (including CARD-FULL/No.-FULL)",
    "Write-protected",
};

}  // namespace

const char* edsErrorText(uint32_t code) {
  const uint32_t low = code & 0xFFFFu;
  for (const EdsErrorRow& row : kEdsErrors) {
    if (row.code == low) return row.text;
  }
  return kUnknownError;
}

const char* captureErrorText(uint32_t number) {
  constexpr uint32_t kRows = sizeof(kCaptureErrors) / sizeof(kCaptureErrors[0]);
  if (number >= 1 && number <= kRows) return kCaptureErrors[number - 1];
  return kUnknownError;
}

const char* shotResultText(uint32_t result) {
  if ((result & 0xFFFF0000u) == kCaptureErrorResult) return captureErrorText(result & 0xFFFFu);
  return edsErrorText(result);
}

const EdsErrorRow* edsErrorRows(size_t* count) {
  *count = sizeof(kEdsErrors) / sizeof(kEdsErrors[0]);
  return kEdsErrors;
}
