// The body's answers to the SDK operations (the Eds*-facing half of SimCamera).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "camera/sim/sim_camera.h"
#include "camera/sim/sim_camera_state.h"
#include "camera/sim/sim_capture_model.h"
#include "camera/sim/sim_host.h"

namespace {

std::string format(const char* fmt, unsigned a, unsigned b) {
  char text[96];
  std::snprintf(text, sizeof(text), fmt, a, b);
  return text;
}

std::string withResult(const std::string& call, EdsError code) {
  char text[32];
  std::snprintf(text, sizeof(text), " -> 0x%x", code);
  return call + text;
}

}  // namespace

EdsError SimCamera::openSessionLocked() {
  State& s = *state_;
  EdsError code = EDS_ERR_OK;
  if (!s.powered) {
    code = EDS_ERR_COMM_DISCONNECTED;
  } else if (s.openFault != 0) {
    code = s.openFault;
  } else {
    s.session = true;
    rearmAutoPowerOffLocked();
  }
  logLocked(withResult("OpenSession", code));
  return code;
}

EdsError SimCamera::closeSessionLocked() {
  State& s = *state_;
  EdsError code = EDS_ERR_OK;
  if (!s.powered) {
    code = EDS_ERR_COMM_DISCONNECTED;
  } else if (!s.session) {
    code = EDS_ERR_SESSION_NOT_OPEN;
  } else {
    s.session = false;
    s.uiLocked = false;
  }
  logLocked(withResult("CloseSession", code));
  return code;
}

void SimCamera::releasedLocked() {
  State& s = *state_;
  if (s.session) logLocked("CloseSession (camera released)");
  s.session = false;
  s.uiLocked = false;
}

EdsError SimCamera::getPropertyLocked(EdsPropertyID property, EdsUInt32 size, void* out) {
  State& s = *state_;
  EdsError code = EDS_ERR_OK;
  bool known = property == kEdsPropID_BatteryLevel || property == kEdsPropID_AvailableShots ||
               s.config.properties.count(property) != 0;
  if (!s.powered) {
    code = EDS_ERR_COMM_DISCONNECTED;
  } else if (!s.session) {
    code = EDS_ERR_SESSION_NOT_OPEN;
  } else if (out == nullptr || size < sizeof(EdsUInt32)) {
    code = EDS_ERR_INVALID_PARAMETER;
  } else if (s.readFaults.count(property) != 0) {
    code = s.readFaults[property];
  } else if (!known) {
    code = EDS_ERR_NOT_SUPPORTED;
  } else {
    EdsUInt32 value = propertyValueLocked(property);
    std::memcpy(out, &value, sizeof(value));
  }
  logLocked(withResult(format("GetPropertyData 0x%x", property, 0), code));
  return code;
}

EdsError SimCamera::setPropertyLocked(EdsPropertyID property, EdsUInt32 size, const void* data) {
  State& s = *state_;
  EdsUInt32 value = 0;
  if (data != nullptr && size >= sizeof(value)) std::memcpy(&value, data, sizeof(value));
  EdsError code = EDS_ERR_OK;
  auto found = s.config.properties.find(property);
  if (!s.powered) {
    code = EDS_ERR_COMM_DISCONNECTED;
  } else if (!s.session) {
    code = EDS_ERR_SESSION_NOT_OPEN;
  } else if (data == nullptr || size < sizeof(value)) {
    code = EDS_ERR_INVALID_PARAMETER;
  } else if (s.writeFaults.count(property) != 0) {
    code = s.writeFaults[property];
  } else if (found == s.config.properties.end() || found->second.readOnly) {
    code = EDS_ERR_NOT_SUPPORTED;
  } else {
    const std::vector<EdsInt32>& allowed = found->second.allowed;
    if (!allowed.empty() &&
        std::find(allowed.begin(), allowed.end(), static_cast<EdsInt32>(value)) == allowed.end()) {
      code = kSimErrInvalidPropertyValue;
    }
  }
  logLocked(withResult(format("SetPropertyData 0x%x 0x%x", property, value), code));
  if (code != EDS_ERR_OK) return code;

  rearmAutoPowerOffLocked();
  EdsUInt32 shotsBefore = availableShotsLocked();
  found->second.value = value;
  host_->postPropertyEvent(this, kEdsPropertyEvent_PropertyChanged, property, 0, s.eventDelayMs);
  if (availableShotsLocked() != shotsBefore) {
    host_->postPropertyEvent(this, kEdsPropertyEvent_PropertyChanged, kEdsPropID_AvailableShots, 0,
                             s.eventDelayMs);
  }
  return code;
}

EdsError SimCamera::getPropertyDescLocked(EdsPropertyID property, EdsPropertyDesc* out) {
  State& s = *state_;
  EdsError code = EDS_ERR_OK;
  auto found = s.config.properties.find(property);
  bool derived = property == kEdsPropID_BatteryLevel || property == kEdsPropID_AvailableShots;
  if (!s.powered) {
    code = EDS_ERR_COMM_DISCONNECTED;
  } else if (!s.session) {
    code = EDS_ERR_SESSION_NOT_OPEN;
  } else if (out == nullptr) {
    code = EDS_ERR_INVALID_PARAMETER;
  } else if (s.descFaults.count(property) != 0) {
    code = s.descFaults[property];
  } else if (found == s.config.properties.end() && !derived) {
    code = EDS_ERR_NOT_SUPPORTED;
  } else {
    std::memset(out, 0, sizeof(*out));
    bool readOnly = derived || found->second.readOnly;
    out->form = 0;
    out->access = readOnly ? 0 : 1;
    if (!derived) {
      const std::vector<EdsInt32>& allowed = found->second.allowed;
      size_t count = std::min<size_t>(allowed.size(), 128);
      std::copy(allowed.begin(), allowed.begin() + count, out->propDesc);
      out->numElements = static_cast<EdsInt32>(count);
    }
  }
  logLocked(withResult(format("GetPropertyDesc 0x%x", property, 0), code));
  return code;
}

EdsError SimCamera::volumeCountLocked(EdsUInt32* out) {
  State& s = *state_;
  EdsError code = EDS_ERR_OK;
  if (!s.powered) {
    code = EDS_ERR_COMM_DISCONNECTED;
  } else if (!s.session) {
    code = EDS_ERR_SESSION_NOT_OPEN;
  } else {
    *out = static_cast<EdsUInt32>(s.config.volumes.size());
  }
  logLocked(withResult("GetChildCount", code));
  return code;
}

EdsError SimCamera::volumeInfoLocked(size_t index, EdsVolumeInfo* out) {
  State& s = *state_;
  EdsError code = EDS_ERR_OK;
  if (!s.powered) {
    code = EDS_ERR_COMM_DISCONNECTED;
  } else if (index >= s.config.volumes.size()) {
    code = EDS_ERR_INVALID_HANDLE;  // the card was taken out since
  } else {
    const SimVolume& volume = s.config.volumes[index];
    std::memset(out, 0, sizeof(*out));
    out->storageType = volume.storageType;
    out->access = volume.access;
    out->maxCapacity = volume.maxCapacity;
    out->freeSpaceInBytes = volume.freeSpace;
    std::strncpy(out->szVolumeLabel, volume.label.c_str(), sizeof(out->szVolumeLabel) - 1);
  }
  logLocked(withResult(format("GetVolumeInfo %u", static_cast<unsigned>(index), 0), code));
  return code;
}

EdsError SimCamera::sendCommandLocked(EdsCameraCommand command, EdsInt32 param) {
  State& s = *state_;
  EdsError code = EDS_ERR_OK;
  if (!s.powered) {
    code = EDS_ERR_COMM_DISCONNECTED;
  } else if (!s.session) {
    code = EDS_ERR_SESSION_NOT_OPEN;
  } else if (command == kEdsCameraCommand_TakePicture) {
    code = takePlannedPictureLocked(param);
  } else if (command == kEdsCameraCommand_ExtendShutDownTimer) {
    code = s.extendRefusal;
  } else {
    code = EDS_ERR_NOT_SUPPORTED;
  }
  logLocked(withResult(format("SendCommand %u", command, 0), code));
  if (code == EDS_ERR_OK) rearmAutoPowerOffLocked();
  return code;
}

EdsError SimCamera::takePlannedPictureLocked(EdsInt32 param) {
  State& s = *state_;
  s.releases += 1;
  auto planned = s.shotFaults.find(s.releases);
  if (planned == s.shotFaults.end()) return SimCaptureModel::takePicture(this, param);
  const SimShotFault fault = planned->second;
  s.shotFaults.erase(planned);
  if (fault.busy) return EDS_ERR_DEVICE_BUSY;
  // The one-shot faults are put in place for this shot only and restored afterwards.
  const bool failNext = s.failNext;
  const EdsUInt32 failError = s.failError;
  const uint32_t loseShots = s.loseShots;
  const SimLostEvents loseWhat = s.loseWhat;
  if (fault.captureError != 0) {
    s.failNext = true;
    s.failError = fault.captureError;
  }
  if (fault.lostCompletion || fault.lostAll) {
    s.loseShots = 1;
    s.loseWhat = fault.lostAll ? SimLostEvents::kAll : SimLostEvents::kCompletion;
  }
  s.nextShotDelayMs = fault.lateMs;
  EdsError code = SimCaptureModel::takePicture(this, param);
  s.nextShotDelayMs = 0;
  if (fault.captureError != 0) {
    s.failNext = failNext;
    s.failError = failError;
  }
  if (fault.lostCompletion || fault.lostAll) {
    s.loseShots = loseShots;
    s.loseWhat = loseWhat;
  }
  return code;
}

EdsError SimCamera::sendStatusCommandLocked(EdsCameraStatusCommand command, EdsInt32 param) {
  State& s = *state_;
  EdsError code = EDS_ERR_OK;
  if (!s.powered) {
    code = EDS_ERR_COMM_DISCONNECTED;
  } else if (!s.session) {
    code = EDS_ERR_SESSION_NOT_OPEN;
  } else if (command == kEdsCameraStatusCommand_UILock) {
    code = s.uiLockResult;
    if (code == EDS_ERR_OK) s.uiLocked = true;
  } else if (command == kEdsCameraStatusCommand_UIUnLock) {
    s.uiLocked = false;
  } else {
    code = EDS_ERR_NOT_SUPPORTED;
  }
  logLocked(withResult(format("SendStatusCommand %u", command, 0), code));
  if (code == EDS_ERR_OK) rearmAutoPowerOffLocked();
  return code;
}
