// What a simulated camera body is made of when it is created: identity, cards, battery, property
// values and the codes each property allows, and the timing of its capture model.
//
// Plain data; copy freely. The default bodies of the simulated world come from sim_world.h.
#ifndef QUORVALE_CAMERA_SIM_SIM_BODY_CONFIG_H_
#define QUORVALE_CAMERA_SIM_SIM_BODY_CONFIG_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "camera/eds.h"

// One card slot. Access 1 and 2 are writable (images are stored there), 0 is read-only.
struct SimVolume {
  EdsUInt32 storageType = 2;
  EdsUInt32 access = 2;
  EdsUInt64 maxCapacity = 0;
  EdsUInt64 freeSpace = 0;
  std::string label;
};

// One property of a body: its current raw value and the codes its description lists. A property
// whose |allowed| list is empty accepts any value (0x0B, 0x40B); a read-only property refuses every
// write with EDS_ERR_NOT_SUPPORTED.
struct SimProperty {
  EdsUInt32 value = 0;
  std::vector<EdsInt32> allowed;
  bool readOnly = false;
};

struct SimBodyConfig {
  std::string portName;         // e.g. "sim:0"
  std::string description;      // e.g. "Canon EOS 5D Mark IV (simulated)"
  EdsUInt32 deviceSubType = 1;  // 0 = legacy protocol, otherwise PTP

  std::vector<SimVolume> volumes;  // 1 to 6 card volumes
  EdsUInt32 battery = 100;         // raw value of property 0x08 (0xFFFFFFFF allowed)

  // Every property of the body except 0x08 and 0x40A, which are derived (battery, free space).
  std::map<EdsPropertyID, SimProperty> properties;

  // Size of one stored image: the JPEG part and the RAW part (the image quality value decides
  // which parts a shot stores).
  EdsUInt64 jpegBytes = 8000000;
  EdsUInt64 rawBytes = 30000000;

  // Capture model, in model milliseconds (scaled by the backend's time scale).
  uint32_t bufferLimit = 8;     // shots the body holds before answering busy (0x81)
  uint32_t processingMs = 150;  // from the end of the exposure to the image leaving the buffer
  uint32_t storeMs = 100;       // from leaving the buffer to being stored on the card

  // Rehearsal realism (0 turns each off; the default world's values are in sim_world.cc).
  EdsUInt64 bufferBytes = 0;          // the buffer holds images up to this many bytes in all
  EdsUInt64 writeBytesPerSecond = 0;  // card write speed: storing takes size / speed
  double batteryPerShot = 0.0;        // battery percent one shot uses
  double batteryPerHour = 0.0;        // battery percent an hour switched on uses
  uint32_t autoPowerOffMs = 0;        // idle time before the power-off warning
  uint32_t autoPowerOffWarnSeconds = 0;
};

#endif  // QUORVALE_CAMERA_SIM_SIM_BODY_CONFIG_H_
