// The seven property value tables of the camera, the Av/Tv code pair tables and the Tv exposure
// table.
//
// Each table is built once, on first use, and never changes afterwards (function-local statics,
// so no order of static initialisation matters). The returned references live for the whole
// program.
//
// Thread safety: every function may be called from any thread.
#ifndef QUORVALE_CAMERA_PROPERTY_TABLES_H_
#define QUORVALE_CAMERA_PROPERTY_TABLES_H_

#include <cstdint>

#include "camera/property_table.h"

const PropertyTable& imageQualityTable();  // property 0x100, 32 rows
const PropertyTable& aeModeTable();        // property 0x400, 40 rows
const PropertyTable& driveModeTable();     // property 0x401, 53 rows
const PropertyTable& isoTable();           // property 0x402, 19 rows
const PropertyTable& meteringModeTable();  // property 0x403, 28 rows
const PropertyTable& avTable();            // property 0x405, 53 rows
const PropertyTable& tvTable();            // property 0x406, 167 rows

// Pairs of Av and Tv codes that share a display name; a body uses one member of each pair.
const CodePairTable& avCodePairs();
const CodePairTable& tvCodePairs();

// The time in milliseconds that the camera needs for a shot at Tv |code| (exposure plus the
// body's margin); 1000 for a code without a row.
uint32_t tvExposureMs(uint32_t code);

#endif  // QUORVALE_CAMERA_PROPERTY_TABLES_H_
