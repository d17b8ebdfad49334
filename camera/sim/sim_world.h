// The bodies of the default simulated world.
//
// Camera 0 is a PTP body ("Canon EOS 5D Mark IV (simulated)", port "sim:0", sub type 1) with a CF
// and an SD card; its Av and Tv descriptions use the second code of each pair (0x15, 0x1D, 0x23,
// 0x25, 0x2C, 0x43, ...), 1/3-stop steps. Camera 1 is a legacy body ("Canon EOS 350D (simulated)",
// port "sim:1", sub type 0) with one CF card; its Av and Tv descriptions use the first code of
// each pair (0x14, 0x1C, 0x24, 0x2B, 0x44, ...), 1/2-stop steps. Image quality codes are the
// ones each protocol is sent (PTP: "L" is 0x00130F0F; legacy: "L" is 0x0013000F).
//
// The bodies' figures (image sizes, buffer, card write speed, battery use, automatic power-off
// after one idle minute with a 10 s warning) are those of the real bodies, all in sim_world.cc;
// the world is deterministic: nothing in it depends on chance.
//
// Thread safety: pure functions.
#ifndef QUORVALE_CAMERA_SIM_SIM_WORLD_H_
#define QUORVALE_CAMERA_SIM_SIM_WORLD_H_

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "camera/eds.h"
#include "camera/sim/sim_body_config.h"
#include "camera/sim/sim_camera.h"

SimBodyConfig defaultPtpBodyConfig();
SimBodyConfig defaultLegacyBodyConfig();

// One body of a world with the faults planned for it.
struct SimBodyPlan {
  SimBodyConfig config;
  uint64_t addedAfterMs = 0;  // 0: there from the start; else joins after this many model ms
  EdsError sessionError = 0;  // the session is refused with this code
  std::map<EdsPropertyID, EdsError> readErrors;
  std::map<EdsPropertyID, EdsError> writeErrors;
  std::map<EdsPropertyID, EdsError> descErrors;
  EdsError uiLockResult = 0;
  EdsError takeRefusal = 0;    // every release is refused with this code
  EdsError extendRefusal = 0;  // the extend-shutdown command is refused with this code
  uint32_t eventDelayMs = 0;   // every event comes this late
  std::map<uint32_t, SimShotFault> shotFaults;  // by shot number
  uint32_t shutdownAfterShots = 0;              // 0: none
  std::optional<uint64_t> shutdownAtUtc;        // a moment of the script clock (file time)
  std::optional<uint64_t> backAfterMs;          // switched on again this long after shutting down
};

// A whole simulated world: its bodies, in camera order, and the SDK's own start.
struct SimWorld {
  std::vector<SimBodyPlan> bodies;
  EdsError initializeError = 0;  // EdsInitializeSDK answers this
};

// The default world: the PTP body, then the legacy body, with no faults.
SimWorld defaultSimWorld();

#endif  // QUORVALE_CAMERA_SIM_SIM_WORLD_H_
