// The bodies of the default simulated world.
//
// Camera 0 is a PTP body ("Canon EOS 5D Mark IV (simulated)", port "sim:0", sub type 1) with a CF
// and an SD card; its Av and Tv descriptions use the second code of each pair (0x15, 0x1D, 0x23,
// 0x25, 0x2C, 0x43, ...), 1/3-stop steps. Camera 1 is a legacy body ("Canon EOS 350D (simulated)",
// port "sim:1", sub type 0) with one CF card; its Av and Tv descriptions use the first code of
// each pair (0x14, 0x1C, 0x24, 0x2B, 0x44, ...), 1/2-stop steps. Image quality codes are the
// ones each protocol is sent (PTP: "L" is 0x00130F0F; legacy: "L" is 0x0013000F).
//
// Thread safety: pure functions.
#ifndef QUORVALE_CAMERA_SIM_SIM_WORLD_H_
#define QUORVALE_CAMERA_SIM_SIM_WORLD_H_

#include "camera/sim/sim_body_config.h"

SimBodyConfig defaultPtpBodyConfig();
SimBodyConfig defaultLegacyBodyConfig();

#endif  // QUORVALE_CAMERA_SIM_SIM_WORLD_H_
