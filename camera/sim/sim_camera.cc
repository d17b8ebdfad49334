#include "camera/sim/sim_camera.h"

#include <cstring>

#include "camera/sim/sim_body_timing.h"
#include "camera/sim/sim_camera_state.h"
#include "camera/sim/sim_capture_model.h"
#include "camera/sim/sim_host.h"

SimCamera::SimCamera(SimHost* host, std::mutex* worldMutex, const SimBodyConfig& config)
    : host_(host), mutex_(worldMutex), state_(new State(config)) {
  state_->batterySinceMs = host_->modelNowMs();
}

SimCamera::~SimCamera() = default;

EdsDeviceInfo SimCamera::deviceInfo() const {
  std::lock_guard<std::mutex> lock(*mutex_);
  return deviceInfoLocked();
}

EdsDeviceInfo SimCamera::deviceInfoLocked() const {
  EdsDeviceInfo info;
  std::memset(&info, 0, sizeof(info));
  std::strncpy(info.szPortName, state_->config.portName.c_str(), sizeof(info.szPortName) - 1);
  std::strncpy(info.szDeviceDescription, state_->config.description.c_str(),
               sizeof(info.szDeviceDescription) - 1);
  info.deviceSubType = state_->config.deviceSubType;
  return info;
}

bool SimCamera::isPtp() const {
  std::lock_guard<std::mutex> lock(*mutex_);
  return state_->config.deviceSubType != 0;
}

void SimCamera::failOpenSession(EdsError code) {
  std::lock_guard<std::mutex> lock(*mutex_);
  state_->openFault = code;
}

namespace {

void setFault(std::map<EdsPropertyID, EdsError>* faults, EdsPropertyID property, EdsError code) {
  if (code == 0) {
    faults->erase(property);
  } else {
    (*faults)[property] = code;
  }
}

}  // namespace

void SimCamera::failPropertyRead(EdsPropertyID property, EdsError code) {
  std::lock_guard<std::mutex> lock(*mutex_);
  setFault(&state_->readFaults, property, code);
}

void SimCamera::failPropertyWrite(EdsPropertyID property, EdsError code) {
  std::lock_guard<std::mutex> lock(*mutex_);
  setFault(&state_->writeFaults, property, code);
}

void SimCamera::failPropertyDesc(EdsPropertyID property, EdsError code) {
  std::lock_guard<std::mutex> lock(*mutex_);
  setFault(&state_->descFaults, property, code);
}

void SimCamera::setUiLockResult(EdsError code) {
  std::lock_guard<std::mutex> lock(*mutex_);
  state_->uiLockResult = code;
}

void SimCamera::refuseTakePicture(EdsError code) {
  std::lock_guard<std::mutex> lock(*mutex_);
  state_->takeRefusal = code;
}

void SimCamera::refuseExtendShutdown(EdsError code) {
  std::lock_guard<std::mutex> lock(*mutex_);
  state_->extendRefusal = code;
}

void SimCamera::setVolumes(const std::vector<SimVolume>& volumes) {
  std::lock_guard<std::mutex> lock(*mutex_);
  state_->config.volumes = volumes;
}

void SimCamera::setBattery(EdsUInt32 raw) {
  std::lock_guard<std::mutex> lock(*mutex_);
  state_->config.battery = raw;
  state_->batteryUsed = 0.0;
  state_->batterySinceMs = host_->modelNowMs();
  host_->postPropertyEvent(this, kEdsPropertyEvent_PropertyChanged, kEdsPropID_BatteryLevel, 0,
                           state_->eventDelayMs);
}

void SimCamera::setPropertyValue(EdsPropertyID property, EdsUInt32 value) {
  std::lock_guard<std::mutex> lock(*mutex_);
  if (property == kEdsPropID_AvailableShots) return;  // follows the cards
  if (property == kEdsPropID_BatteryLevel) {
    state_->config.battery = value;
    state_->batteryUsed = 0.0;
    state_->batterySinceMs = host_->modelNowMs();
  } else {
    state_->config.properties[property].value = value;
  }
  host_->postPropertyEvent(this, kEdsPropertyEvent_PropertyChanged, property, 0,
                           state_->eventDelayMs);
}

void SimCamera::setBufferLimit(uint32_t shots) {
  std::lock_guard<std::mutex> lock(*mutex_);
  state_->config.bufferLimit = shots;
}

void SimCamera::setProcessingMs(uint32_t ms) {
  std::lock_guard<std::mutex> lock(*mutex_);
  state_->config.processingMs = ms;
}

void SimCamera::setStoreMs(uint32_t ms) {
  std::lock_guard<std::mutex> lock(*mutex_);
  state_->config.storeMs = ms;
}

void SimCamera::setAutoPowerOff(uint32_t idleMs, uint32_t warnSeconds) {
  std::lock_guard<std::mutex> lock(*mutex_);
  state_->autoOffIdleMs = idleMs;
  state_->autoOffWarnSeconds = warnSeconds;
  rearmAutoPowerOffLocked();
}

void SimCamera::rearmAutoPowerOffLocked() {
  State& s = *state_;
  s.idleGeneration += 1;
  if (s.autoOffIdleMs == 0 || !s.powered || host_->timeJumps()) return;
  uint64_t armed = s.idleGeneration;
  host_->schedule(s.autoOffIdleMs, [this, armed]() {
    std::lock_guard<std::mutex> lock(*mutex_);
    State& st = *state_;
    if (st.idleGeneration != armed || !st.powered) return;
    host_->postStateEvent(this, kEdsStateEvent_WillSoonShutDown, st.autoOffWarnSeconds, 0);
    host_->schedule(uint64_t{st.autoOffWarnSeconds} * 1000, [this, armed]() {
      std::lock_guard<std::mutex> relock(*mutex_);
      if (state_->idleGeneration == armed) shutDownLocked();
    });
  });
}

void SimCamera::failNextShot(EdsUInt32 error) {
  std::lock_guard<std::mutex> lock(*mutex_);
  state_->failNext = true;
  state_->failError = error;
}

void SimCamera::loseShotEvents(uint32_t shots, SimLostEvents what) {
  std::lock_guard<std::mutex> lock(*mutex_);
  state_->loseShots = shots;
  state_->loseWhat = what;
}

void SimCamera::delayEvents(uint32_t ms) {
  std::lock_guard<std::mutex> lock(*mutex_);
  state_->eventDelayMs = ms;
}

void SimCamera::planShotFault(uint32_t shot, const SimShotFault& fault) {
  std::lock_guard<std::mutex> lock(*mutex_);
  state_->shotFaults[shot] = fault;
}

void SimCamera::shutDownNow() {
  std::lock_guard<std::mutex> lock(*mutex_);
  shutDownLocked();
}

void SimCamera::shutDownAfterShots(uint32_t shots) {
  std::lock_guard<std::mutex> lock(*mutex_);
  if (shots == 0) {
    shutDownLocked();
  } else {
    state_->shutdownAfter = shots;
  }
}

void SimCamera::shutDownLocked() {
  if (!state_->powered) return;
  state_->powered = false;
  // The exposure in progress and the images in the buffer are gone with the power.
  state_->powerCycle += 1;
  state_->inBuffer = 0;
  state_->inBufferBytes = 0;
  state_->sensorFreeAtMs = 0;
  state_->processorFreeAtMs = 0;
  state_->writerFreeAtMs = 0;
  state_->session = false;
  state_->uiLocked = false;
  state_->shutdownAfter = 0;
  host_->postStateEvent(this, kEdsStateEvent_Shutdown, 0, state_->eventDelayMs);
  if (state_->comesBack) scheduleComeBackLocked(state_->comeBackMs);
}

void SimCamera::comeBackAfter(uint64_t ms) {
  std::lock_guard<std::mutex> lock(*mutex_);
  if (state_->powered) {
    state_->comesBack = true;
    state_->comeBackMs = ms;
  } else {
    scheduleComeBackLocked(ms);
  }
}

void SimCamera::scheduleComeBackLocked(uint64_t ms) {
  state_->comesBack = false;
  // After the shutdown event (delivered eventDelayMs after going off) on the same model clock.
  host_->schedule(static_cast<uint64_t>(state_->eventDelayMs) + ms, [this] {
    std::lock_guard<std::mutex> lock(*mutex_);
    if (state_->powered) return;
    state_->powered = true;
    logLocked("Switched on");
    host_->postCameraAdded();
  });
}

void SimCamera::fireStateEvent(EdsStateEvent event, EdsUInt32 data) {
  std::lock_guard<std::mutex> lock(*mutex_);
  host_->postStateEvent(this, event, data, 0);
}

void SimCamera::firePropertyEvent(EdsPropertyEvent event, EdsPropertyID property, EdsUInt32 param) {
  std::lock_guard<std::mutex> lock(*mutex_);
  host_->postPropertyEvent(this, event, property, param, 0);
}

void SimCamera::fireObjectEvent(EdsObjectEvent event) {
  std::lock_guard<std::mutex> lock(*mutex_);
  host_->postObjectEvent(this, event, 0);
}

bool SimCamera::sessionOpen() const {
  std::lock_guard<std::mutex> lock(*mutex_);
  return state_->session;
}

bool SimCamera::poweredOn() const {
  std::lock_guard<std::mutex> lock(*mutex_);
  return state_->powered;
}

bool SimCamera::uiLocked() const {
  std::lock_guard<std::mutex> lock(*mutex_);
  return state_->uiLocked;
}

EdsUInt32 SimCamera::propertyValue(EdsPropertyID property) const {
  std::lock_guard<std::mutex> lock(*mutex_);
  return propertyValueLocked(property);
}

uint32_t SimCamera::picturesStored() const {
  std::lock_guard<std::mutex> lock(*mutex_);
  return state_->stored;
}

uint32_t SimCamera::shotsInBuffer() const {
  std::lock_guard<std::mutex> lock(*mutex_);
  return state_->inBuffer;
}

std::vector<SimVolume> SimCamera::volumes() const {
  std::lock_guard<std::mutex> lock(*mutex_);
  return state_->config.volumes;
}

std::vector<std::string> SimCamera::commandLog() const {
  std::lock_guard<std::mutex> lock(*mutex_);
  return std::vector<std::string>(state_->log.begin(), state_->log.end());
}

void SimCamera::clearCommandLog() {
  std::lock_guard<std::mutex> lock(*mutex_);
  state_->log.clear();
}

void SimCamera::logLocked(const std::string& line) {
  if (state_->log.size() == kSimCommandLogLines) state_->log.pop_front();
  state_->log.push_back(line);
}

EdsUInt32 SimCamera::propertyValueLocked(EdsPropertyID property) const {
  if (property == kEdsPropID_BatteryLevel) return batteryLocked();
  if (property == kEdsPropID_AvailableShots) return availableShotsLocked();
  auto found = state_->config.properties.find(property);
  return found == state_->config.properties.end() ? 0 : found->second.value;
}

EdsUInt32 SimCamera::batteryLocked() const {
  const State& s = *state_;
  if (s.config.battery > 100) return s.config.battery;  // a raw reading the body passes on
  const uint64_t now = host_->modelNowMs();
  const double hours =
      static_cast<double>(now > s.batterySinceMs ? now - s.batterySinceMs : 0) / 3600000.0;
  const double level =
      static_cast<double>(s.config.battery) - s.batteryUsed - hours * s.config.batteryPerHour;
  return level <= 0.0 ? 0 : static_cast<EdsUInt32>(level + 0.5);
}

bool SimCamera::drainBatteryLocked() {
  State& s = *state_;
  const EdsUInt32 before = batteryLocked();
  if (s.config.battery <= 100 && (s.config.batteryPerShot > 0.0 || s.config.batteryPerHour > 0.0) &&
      before == 0) {
    shutDownLocked();
    return false;
  }
  s.batteryUsed += s.config.batteryPerShot;
  if (batteryLocked() != before) {
    host_->postPropertyEvent(this, kEdsPropertyEvent_PropertyChanged, kEdsPropID_BatteryLevel, 0,
                             s.eventDelayMs);
  }
  return true;
}

EdsUInt32 SimCamera::availableShotsLocked() const {
  const SimBodyConfig& config = state_->config;
  auto quality = config.properties.find(kEdsPropID_ImageQuality);
  EdsUInt64 bytes =
      simImageBytes(config, quality == config.properties.end() ? 0 : quality->second.value);
  if (bytes == 0) return 0;
  EdsUInt64 shots = 0;
  for (const SimVolume& volume : config.volumes) {
    if (volume.access == 1 || volume.access == 2) shots += volume.freeSpace / bytes;
  }
  return shots > 0xFFFFFFFFULL ? 0xFFFFFFFFU : static_cast<EdsUInt32>(shots);
}
