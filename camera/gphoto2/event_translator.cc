#include "camera/gphoto2/event_translator.h"

#include <cstdlib>

#include "camera/gphoto2/property_mapping.h"

namespace {

constexpr char kPropertyPrefix[] = "PTP Property ";
constexpr char kStatusPrefix[] = "Camera Status ";

bool startsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// "PTP Property d102 changed" (newer drivers append the old and new texts) -> 0xd102.
bool ptpPropertyCode(const std::string& text, uint32_t* code) {
  if (!startsWith(text, kPropertyPrefix)) return false;
  const char* hex = text.c_str() + std::char_traits<char>::length(kPropertyPrefix);
  char* end = nullptr;
  unsigned long value = std::strtoul(hex, &end, 16);
  if (end == hex || end - hex > 8 || std::string(end).compare(0, 8, " changed") != 0) return false;
  *code = static_cast<uint32_t>(value);
  return true;
}

// "Camera Status 1" -> 1.
bool cameraStatus(const std::string& text, long* status) {
  if (!startsWith(text, kStatusPrefix)) return false;
  const char* digits = text.c_str() + std::char_traits<char>::length(kStatusPrefix);
  char* end = nullptr;
  *status = std::strtol(digits, &end, 10);
  return end != digits && *end == '\0';
}

SdkEvent stateEvent(EdsStateEvent event, EdsUInt32 data) {
  SdkEvent out{SdkEvent::Kind::kState, event};
  out.data = data;
  return out;
}

SdkEvent objectEvent(EdsObjectEvent event, const Gp2Event& from) {
  SdkEvent out{SdkEvent::Kind::kObject, event};
  out.folder = from.folder;
  out.name = from.name;
  return out;
}

}  // namespace

void EventTranslator::onTrigger() {
  shots_.push_back(Shot());
  lastWasCompletion_ = false;
}

void EventTranslator::complete(std::vector<SdkEvent>* out) {
  if (lastWasCompletion_ || shots_.empty()) return;
  lastWasCompletion_ = true;
  if (!shots_.front().freed) {
    out->push_back(stateEvent(kEdsStateEvent_JobStatusChanged, 1));
    ++lateFiles_;
  }
  out->push_back(stateEvent(kEdsStateEvent_JobStatusChanged, 0));
  shots_.pop_front();
}

std::vector<SdkEvent> EventTranslator::translate(const Gp2Event& event) {
  std::vector<SdkEvent> out;
  switch (event.kind) {
    case Gp2Event::Kind::kTimeout:
      break;
    case Gp2Event::Kind::kFileAdded:
      lastWasCompletion_ = false;
      out.push_back(objectEvent(kEdsObjectEvent_DirItemCreated, event));
      if (lateFiles_ > 0) {
        --lateFiles_;  // the image of a shot already completed
      } else if (!shots_.empty() && !shots_.front().freed) {
        shots_.front().freed = true;
        out.push_back(stateEvent(kEdsStateEvent_JobStatusChanged, 1));
      }
      break;
    case Gp2Event::Kind::kFolderAdded:
      out.push_back(objectEvent(kEdsObjectEvent_FolderUpdateItems, event));
      break;
    case Gp2Event::Kind::kFileChanged:
      out.push_back(objectEvent(kEdsObjectEvent_DirItemInfoChanged, event));
      break;
    case Gp2Event::Kind::kCaptureComplete:
      complete(&out);
      break;
    case Gp2Event::Kind::kUnknown: {
      uint32_t ptpCode = 0;
      long status = 0;
      if (ptpPropertyCode(event.text, &ptpCode)) {
        EdsPropertyID property = propertyForPtpCode(ptpCode);
        if (property != 0) {
          SdkEvent change{SdkEvent::Kind::kProperty, kEdsPropertyEvent_PropertyChanged};
          change.property = property;
          out.push_back(change);
        }
      } else if (cameraStatus(event.text, &status)) {
        if (status == 0) {
          complete(&out);
        } else {
          lastWasCompletion_ = false;
        }
      }
      break;
    }
  }
  return out;
}
