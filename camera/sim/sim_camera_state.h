// The state of a simulated body, shared by the body's own code, its capture model and the backend
// that delivers its events. Internal to camera/sim/.
//
// Thread safety: every field is guarded by the backend's world mutex.
#ifndef QUORVALE_CAMERA_SIM_SIM_CAMERA_STATE_H_
#define QUORVALE_CAMERA_SIM_SIM_CAMERA_STATE_H_

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "camera/eds.h"
#include "camera/sim/sim_body_config.h"
#include "camera/sim/sim_camera.h"

struct SimObject;

// Handlers the program registered for one camera reference, by event code (a specific code, or
// the code that stands for every event of the kind).
struct SimHandlers {
  std::map<EdsObjectEvent, std::pair<EdsObjectEventHandler, void*>> object;
  std::map<EdsStateEvent, std::pair<EdsStateEventHandler, void*>> state;
  std::map<EdsPropertyEvent, std::pair<EdsPropertyEventHandler, void*>> property;
};

struct SimCamera::State {
  explicit State(const SimBodyConfig& s)
      : config(s), autoOffIdleMs(s.autoPowerOffMs), autoOffWarnSeconds(s.autoPowerOffWarnSeconds) {}

  SimBodyConfig config;  // identity, volumes, battery, properties, sizes and timing as they now are

  bool powered = true;
  // Counts the times the body went off: the steps of a shot taken before belong to a body that
  // lost them (the exposure in progress, the images not yet written).
  uint64_t powerCycle = 0;
  bool session = false;
  bool uiLocked = false;

  // Faults.
  EdsError openFault = 0;
  EdsError uiLockResult = 0;
  EdsError takeRefusal = 0;
  EdsError extendRefusal = 0;
  std::map<EdsPropertyID, EdsError> readFaults;
  std::map<EdsPropertyID, EdsError> writeFaults;
  std::map<EdsPropertyID, EdsError> descFaults;

  // Capture model.
  uint32_t inBuffer = 0;
  EdsUInt64 inBufferBytes = 0;  // bytes of the images in the buffer
  uint64_t writerFreeAtMs = 0;  // model time the card is done with the images accepted
  bool cardFull = false;        // a shot found no room; releases are refused until there is
  double batteryUsed = 0.0;     // percent the shots have used since the level was set
  uint64_t batterySinceMs = 0;  // model time the level was set (or the body made)
  uint32_t stored = 0;
  uint64_t sensorFreeAtMs = 0;     // model time the current exposures end
  uint64_t processorFreeAtMs = 0;  // model time the last accepted image leaves the buffer
  bool failNext = false;
  EdsUInt32 failError = 0;
  uint32_t loseShots = 0;
  SimLostEvents loseWhat = SimLostEvents::kCompletion;
  uint32_t eventDelayMs = 0;
  uint32_t shutdownAfter = 0;                   // 0: no shutdown planned
  uint32_t releases = 0;                        // take-picture commands received
  std::map<uint32_t, SimShotFault> shotFaults;  // by release number
  uint32_t nextShotDelayMs = 0;                 // extra lateness of the shot being released
  bool comesBack = false;                       // switched on again comeBackMs after going off
  uint64_t comeBackMs = 0;

  // Automatic power-off; a step is current while |idleGeneration| is unchanged since it was armed.
  uint32_t autoOffIdleMs;
  uint32_t autoOffWarnSeconds;
  uint64_t idleGeneration = 0;

  std::deque<std::string> log;  // at most kSimCommandLogLines, oldest first

  // The program's side: its camera reference (null when it holds none), a number that changes
  // with every new reference, the handlers registered on it, and handler calls now running.
  SimObject* ref = nullptr;
  uint64_t refEpoch = 0;
  SimHandlers handlers;
  int deliveries = 0;
};

#endif  // QUORVALE_CAMERA_SIM_SIM_CAMERA_STATE_H_
