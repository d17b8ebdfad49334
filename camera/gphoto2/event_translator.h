// Turns what gp_camera_wait_for_event reports into the SDK events the camera code expects.
//
// A PTP body's shot is accounted by two job-status changes (state event 0x302): nonzero data when
// the image is stored (the camera code gives the shot's buffer back), then 0 when the shot is
// complete. libgphoto2 reports a shot as "Camera Status 1" (busy), one file added per image (two
// for RAW + JPEG), and a capture-complete event (or "Camera Status 0"), in an order that differs
// between bodies. The translator keeps one record per triggered shot and emits, for each shot,
// exactly one nonzero and then one zero job-status change:
//  - the first file added for the oldest open shot frees it; further files of that shot only
//    produce their own new-item events;
//  - a completion frees the oldest open shot if no file did yet (its image then arrives late and
//    that late file frees nothing), then completes it;
//  - a completion that repeats the previous one (both texts for the same moment) counts once.
// Every file added is also a new directory item (object event 0x204), "PTP Property XXXX changed"
// a property change (0x101) for the properties the program knows.
//
// Thread safety: none; the session guards its translator with its state lock.
#ifndef QUORVALE_CAMERA_GPHOTO2_EVENT_TRANSLATOR_H_
#define QUORVALE_CAMERA_GPHOTO2_EVENT_TRANSLATOR_H_

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "camera/eds.h"
#include "camera/gphoto2/gphoto2_api.h"

// One SDK event to deliver. Object events name the camera file; the session turns it into a fresh
// directory-item reference at delivery.
struct SdkEvent {
  enum class Kind { kObject, kState, kProperty };
  SdkEvent(Kind k, uint32_t e) : kind(k), event(e) {}

  Kind kind;
  uint32_t event;
  EdsUInt32 data = 0;          // state events
  EdsPropertyID property = 0;  // property events
  std::string folder;          // object events
  std::string name;

  bool operator==(const SdkEvent& other) const {
    return kind == other.kind && event == other.event && data == other.data &&
           property == other.property && folder == other.folder && name == other.name;
  }
};

class EventTranslator {
 public:
  EventTranslator() = default;

  // A take-picture command was accepted by the body.
  void onTrigger();

  // The SDK events for one libgphoto2 event, in delivery order.
  std::vector<SdkEvent> translate(const Gp2Event& event);

  // Shots triggered and not yet completed.
  size_t openShots() const { return shots_.size(); }

 private:
  struct Shot {
    bool freed = false;
  };

  void complete(std::vector<SdkEvent>* out);

  std::deque<Shot> shots_;
  int lateFiles_ = 0;  // files still to come for shots completed before their image
  bool lastWasCompletion_ = false;
};

#endif  // QUORVALE_CAMERA_GPHOTO2_EVENT_TRANSLATOR_H_
