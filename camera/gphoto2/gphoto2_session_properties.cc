// The session's property reads, writes and descriptions.
#include "camera/gphoto2/gphoto2_session.h"

#include <gphoto2/gphoto2-port-result.h>

#include <cstring>
#include <string>
#include <vector>

#include "camera/gphoto2/gphoto2_errors.h"
#include "camera/gphoto2/property_mapping.h"

EdsError Gphoto2Session::readWidget(EdsPropertyID property, std::string* name, Gp2Widget* widget) {
  for (const std::string& candidate : widgetNamesFor(property)) {
    int rc = GP_OK;
    EdsError error = getWidget(candidate, widget, &rc);
    if (error == EDS_ERR_OK) {
      *name = candidate;
      return EDS_ERR_OK;
    }
    if (!isMissingWidget(rc) || error == EDS_ERR_SESSION_NOT_OPEN ||
        error == EDS_ERR_COMM_DISCONNECTED) {
      return error;
    }
  }
  if (!isOpen()) return EDS_ERR_SESSION_NOT_OPEN;
  return kEdsErrPropertyUnavailable;
}

EdsError Gphoto2Session::getProperty(EdsPropertyID property, EdsUInt32* value) {
  std::string name;
  Gp2Widget widget;
  if (isChoiceProperty(property)) {
    EdsError error = readWidget(property, &name, &widget);
    if (error != EDS_ERR_OK) return error;
    if (!codeFromChoiceText(property, widget.value, value)) *value = unknownValueFor(property);
    return EDS_ERR_OK;
  }
  switch (property) {
    case kEdsPropID_BatteryLevel:
    case kEdsPropID_AvailableShots: {
      EdsError error = readWidget(property, &name, &widget);
      if (error != EDS_ERR_OK) return error;
      bool ok = property == kEdsPropID_BatteryLevel ? batteryPercentFromText(widget.value, value)
                                                    : countFromText(widget.value, value);
      return ok ? EDS_ERR_OK : kEdsErrPropertyUnavailable;
    }
    case kEdsPropID_SaveTo: {
      int rc = GP_OK;
      EdsError error = getWidget(kCaptureTarget, &widget, &rc);
      if (error != EDS_ERR_OK && !isMissingWidget(rc)) return error;
      *value = error == EDS_ERR_OK && !isCardTarget(widget.value) ? 2 : 1;
      return EDS_ERR_OK;
    }
    case kEdsPropID_Capacity: {
      if (!isOpen()) return EDS_ERR_SESSION_NOT_OPEN;
      std::lock_guard<std::mutex> state(stateMutex_);
      *value = hostCapacity_;
      return EDS_ERR_OK;
    }
    default:
      return isOpen() ? kEdsErrPropertyUnavailable : EDS_ERR_SESSION_NOT_OPEN;
  }
}

EdsError Gphoto2Session::setSaveTo(EdsUInt32 value) {
  if (value != 1 && value != 2) return EDS_ERR_NOT_SUPPORTED;
  Gp2Widget widget;
  int rc = GP_OK;
  EdsError error = getWidget(kCaptureTarget, &widget, &rc);
  if (error != EDS_ERR_OK) {
    // A body without the setting stores on its card.
    return isMissingWidget(rc) ? (value == 1 ? EDS_ERR_OK : EDS_ERR_NOT_SUPPORTED) : error;
  }
  std::string choice;
  if (!targetChoice(widget, value == 1, &choice)) return kEdsErrInvalidPropertyValue;
  // A write the body does not need still costs: libgphoto2 then drains the body's events when
  // the session closes, which can take a few hundred milliseconds.
  if (widget.value == choice) return EDS_ERR_OK;
  return setWidget(kCaptureTarget, choice);
}

EdsError Gphoto2Session::setProperty(EdsPropertyID property, EdsUInt32 value) {
  if (isChoiceProperty(property)) {
    std::string name;
    Gp2Widget widget;
    EdsError error = readWidget(property, &name, &widget);
    if (error != EDS_ERR_OK) return error;
    if (widget.readOnly) return EDS_ERR_NOT_SUPPORTED;
    std::string choice;
    if (!choiceForCode(property, value, widget.choices, &choice)) {
      return kEdsErrInvalidPropertyValue;
    }
    return setWidget(name, choice);
  }
  switch (property) {
    case kEdsPropID_SaveTo:
      return setSaveTo(value);
    case kEdsPropID_Capacity: {
      // The host's free space, for bodies that save to the host; kept and read back only.
      if (!isOpen()) return EDS_ERR_SESSION_NOT_OPEN;
      std::lock_guard<std::mutex> state(stateMutex_);
      hostCapacity_ = value;
      return EDS_ERR_OK;
    }
    case kEdsPropID_BatteryLevel:
    case kEdsPropID_AvailableShots:
      return isOpen() ? EDS_ERR_NOT_SUPPORTED : EDS_ERR_SESSION_NOT_OPEN;
    default:
      return isOpen() ? kEdsErrPropertyUnavailable : EDS_ERR_SESSION_NOT_OPEN;
  }
}

EdsError Gphoto2Session::getPropertyDesc(EdsPropertyID property, EdsPropertyDesc* desc) {
  std::memset(desc, 0, sizeof *desc);
  if (!isChoiceProperty(property)) {
    return isOpen() ? kEdsErrPropertyUnavailable : EDS_ERR_SESSION_NOT_OPEN;
  }
  std::string name;
  Gp2Widget widget;
  EdsError error = readWidget(property, &name, &widget);
  if (error != EDS_ERR_OK) return error;
  const size_t max = sizeof desc->propDesc / sizeof desc->propDesc[0];
  std::vector<EdsInt32> codes = codesOfChoices(property, widget.choices, max);
  desc->form = 0;
  desc->access = widget.readOnly ? 0 : 1;
  desc->numElements = static_cast<EdsInt32>(codes.size());
  for (size_t i = 0; i < codes.size(); ++i) desc->propDesc[i] = codes[i];
  return EDS_ERR_OK;
}

EdsError Gphoto2Session::serialNumber(std::string* out) {
  Gp2Widget widget;
  int rc = GP_OK;
  EdsError error = getWidget("serialnumber", &widget, &rc);
  if (error != EDS_ERR_OK) return isMissingWidget(rc) ? EDS_ERR_NOT_SUPPORTED : error;
  if (widget.value.empty()) return EDS_ERR_NOT_SUPPORTED;
  *out = widget.value;
  return EDS_ERR_OK;
}
