// A fake of the libgphoto2 slice for tests: one or more bodies that answer like the ptp2 driver
// does for a Canon EOS body (the widget names and choice texts it shows, the events it reports
// after a trigger, busy answers and a body that is unplugged).
//
// Tests keep a shared pointer to a FakeBody and change it while the backend uses it.
//
// Thread safety: FakeBody is guarded by its own mutex; the fakes may be used from any thread.
#ifndef QUORVALE_CAMERA_GPHOTO2_FAKE_GPHOTO2_API_H_
#define QUORVALE_CAMERA_GPHOTO2_FAKE_GPHOTO2_API_H_

#include <gphoto2/gphoto2-port-result.h>
#include <gphoto2/gphoto2-result.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "camera/gphoto2/gphoto2_api.h"

class FakeBody {
 public:
  FakeBody() {
    widgets_["shutterspeed"] = {
        "1/125",
        {"bulb",  "30",     "25",     "20",     "15",     "13",     "10",     "8",     "6",
         "5",     "4",      "3.2",    "2.5",    "2",      "1.6",    "1.3",    "1",     "0.8",
         "0.6",   "0.5",    "0.4",    "0.3",    "1/4",    "1/5",    "1/6",    "1/8",   "1/10",
         "1/13",  "1/15",   "1/20",   "1/25",   "1/30",   "1/40",   "1/50",   "1/60",  "1/80",
         "1/100", "1/125",  "1/160",  "1/200",  "1/250",  "1/320",  "1/400",  "1/500", "1/640",
         "1/800", "1/1000", "1/1250", "1/1600", "1/2000", "1/2500", "1/3200", "1/4000"},
        false};
    widgets_["aperture"] = {"5.6",
                            {"4", "4.5", "5", "5.6", "6.3", "7.1", "8", "9", "10", "11", "13", "14",
                             "16", "18", "20", "22"},
                            false};
    widgets_["iso"] = {
        "100",
        {"Auto", "100",  "125",  "160",  "200",  "250",  "320",  "400",  "500",  "640",
         "800",  "1000", "1250", "1600", "2000", "2500", "3200", "4000", "5000", "6400"},
        false};
    widgets_["imageformat"] = {
        "Large Fine JPEG",
        {"Large Fine JPEG", "Large Normal JPEG", "Medium Fine JPEG", "Medium Normal JPEG",
         "Small Fine JPEG", "Small Normal JPEG", "RAW + Large Fine JPEG", "RAW"},
        false};
    widgets_["autoexposuremode"] = {
        "Manual",
        {"P", "TV", "AV", "Manual", "Bulb", "A_DEP", "DEP", "Custom", "Lock", "Green",
         "Night Portrait", "Sports", "Portrait", "Landscape", "Closeup", "Flash Off"},
        true};
    widgets_["drivemode"] = {"Single",
                             {"Single", "Continuous", "Timer 10 sec", "Timer 2 sec",
                              "Continuous high speed", "Continuous low speed", "Single: Silent"},
                             false};
    widgets_["meteringmode"] = {
        "Evaluative", {"Spot", "Evaluative", "Partial", "Center-weighted average"}, false};
    widgets_["capturetarget"] = {"Internal RAM", {"Internal RAM", "Memory card"}, false};
    widgets_["uilock"] = {"0", {}, false};
    widgets_["batterylevel"] = {"75%", {}, true};
    widgets_["availableshots"] = {"512", {}, true};
    widgets_["serialnumber"] = {"082021001234", {}, true};
  }

  // The PTP property code the body reports when a widget changes.
  static const char* ptpCodeOf(const std::string& widget) {
    static const std::map<std::string, const char*> kCodes = {
        {"aperture", "d101"},         {"shutterspeed", "d102"}, {"iso", "d103"},
        {"autoexposuremode", "d105"}, {"drivemode", "d106"},    {"meteringmode", "d107"},
        {"imageformat", "d120"},      {"capturetarget", "d11c"}};
    auto it = kCodes.find(widget);
    return it == kCodes.end() ? nullptr : it->second;
  }

  int init() {
    std::lock_guard<std::mutex> guard(mutex_);
    log_.push_back("init");
    if (initResult_ != GP_OK) return initResult_;
    open_ = true;
    return GP_OK;
  }

  int exit() {
    std::lock_guard<std::mutex> guard(mutex_);
    log_.push_back("exit");
    open_ = false;
    return unplugged_ ? GP_ERROR_IO : GP_OK;
  }

  int getWidget(const std::string& name, Gp2Widget* out) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (int rc = answer()) return rc;
    auto it = widgets_.find(name);
    if (it == widgets_.end()) return GP_ERROR_BAD_PARAMETERS;
    *out = it->second;
    return GP_OK;
  }

  int setWidget(const std::string& name, const std::string& value) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (int rc = answer()) return rc;
    auto it = widgets_.find(name);
    if (it == widgets_.end()) return GP_ERROR_BAD_PARAMETERS;
    const std::vector<std::string>& choices = it->second.choices;
    if (!choices.empty() && std::find(choices.begin(), choices.end(), value) == choices.end()) {
      return GP_ERROR_BAD_PARAMETERS;
    }
    log_.push_back("set " + name + "=" + value);
    it->second.value = value;
    if (const char* code = ptpCodeOf(name)) {
      queueLocked(Gp2Event::Kind::kUnknown, std::string("PTP Property ") + code + " changed");
    }
    return GP_OK;
  }

  // A shot as an EOS body reports it: busy, its RAW and JPEG files, then idle again.
  int triggerCapture() {
    std::lock_guard<std::mutex> guard(mutex_);
    if (int rc = answer()) return rc;
    ++shots_;
    log_.push_back("trigger");
    std::string number = std::to_string(1000 + shots_);
    queueLocked(Gp2Event::Kind::kUnknown, "Camera Status 1");
    queueLocked(Gp2Event::Kind::kUnknown, "PTP Property d11b changed");
    queueFileLocked("IMG_" + number + ".CR2");
    queueFileLocked("IMG_" + number + ".JPG");
    queueLocked(Gp2Event::Kind::kCaptureComplete, "");
    return GP_OK;
  }

  int waitForEvent(int timeoutMs, Gp2Event* out) {
    std::lock_guard<std::mutex> guard(mutex_);
    ++polls_;
    if (unplugged_) return GP_ERROR_IO;
    *out = Gp2Event();
    if (!events_.empty()) {
      *out = events_.front();
      events_.pop_front();
    }
    return GP_OK;
  }

  int storageInfo(std::vector<Gp2Storage>* out) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (int rc = answer()) return rc;
    Gp2Storage card;
    card.label = "EOS_DIGITAL";
    card.capacityKbytes = 31250000;
    card.freeKbytes = 15625000;
    *out = {card};
    return GP_OK;
  }

  // Test controls.
  void setInitResult(int result) {
    locked([&] { initResult_ = result; });
  }
  void setBusyAnswers(int count) {
    locked([&] { busyAnswers_ = count; });
  }
  void unplug() {
    locked([&] { unplugged_ = true; });
  }
  void removeWidget(const std::string& name) {
    locked([&] { widgets_.erase(name); });
  }
  void setWidgetValue(const std::string& name, const std::string& value) {
    locked([&] { widgets_[name].value = value; });
  }
  void queue(Gp2Event::Kind kind, const std::string& text) {
    locked([&] { queueLocked(kind, text); });
  }
  std::string widgetValue(const std::string& name) {
    std::lock_guard<std::mutex> guard(mutex_);
    return widgets_[name].value;
  }
  std::vector<std::string> log() {
    std::lock_guard<std::mutex> guard(mutex_);
    return log_;
  }
  bool isOpen() {
    std::lock_guard<std::mutex> guard(mutex_);
    return open_;
  }
  int polls() {
    std::lock_guard<std::mutex> guard(mutex_);
    return polls_;
  }

 private:
  template <typename F>
  void locked(F f) {
    std::lock_guard<std::mutex> guard(mutex_);
    f();
  }

  // REQUIRES: mutex_ held. The answer of an unplugged or busy body, or GP_OK.
  int answer() {
    if (unplugged_) return GP_ERROR_IO_USB_FIND;
    if (busyAnswers_ > 0) {
      --busyAnswers_;
      return GP_ERROR_CAMERA_BUSY;
    }
    return GP_OK;
  }

  void queueLocked(Gp2Event::Kind kind, const std::string& text) {
    Gp2Event event;
    event.kind = kind;
    event.text = text;
    events_.push_back(event);
  }

  void queueFileLocked(const std::string& name) {
    Gp2Event event;
    event.kind = Gp2Event::Kind::kFileAdded;
    event.folder = "/store_00020001/DCIM/100CANON";
    event.name = name;
    events_.push_back(event);
  }

  std::mutex mutex_;
  std::map<std::string, Gp2Widget> widgets_;
  std::deque<Gp2Event> events_;
  std::vector<std::string> log_;
  int initResult_ = GP_OK;
  int busyAnswers_ = 0;
  int shots_ = 0;
  int polls_ = 0;
  bool unplugged_ = false;
  bool open_ = false;
};

class FakeGphoto2Camera final : public Gphoto2Camera {
 public:
  explicit FakeGphoto2Camera(std::shared_ptr<FakeBody> body) : body_(std::move(body)) {}
  int init() override { return body_->init(); }
  int exit() override { return body_->exit(); }
  int getWidget(const std::string& name, Gp2Widget* out) override {
    return body_->getWidget(name, out);
  }
  int setWidget(const std::string& name, const std::string& value) override {
    return body_->setWidget(name, value);
  }
  int triggerCapture() override { return body_->triggerCapture(); }
  int waitForEvent(int timeoutMs, Gp2Event* out) override {
    return body_->waitForEvent(timeoutMs, out);
  }
  int storageInfo(std::vector<Gp2Storage>* out) override { return body_->storageInfo(out); }

 private:
  std::shared_ptr<FakeBody> body_;
};

class FakeGphoto2Api final : public Gphoto2Api {
 public:
  // Adds a body on the bus.
  void plug(const Gp2CameraEntry& entry, std::shared_ptr<FakeBody> body) {
    std::lock_guard<std::mutex> guard(mutex_);
    bodies_.emplace_back(entry, std::move(body));
  }
  // Takes the body on |port| off the bus (it is no longer listed).
  void remove(const std::string& port) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (auto it = bodies_.begin(); it != bodies_.end(); ++it) {
      if (it->first.port == port) {
        bodies_.erase(it);
        return;
      }
    }
  }
  void setAutodetectResult(int result) {
    std::lock_guard<std::mutex> guard(mutex_);
    autodetectResult_ = result;
  }

  int autodetect(std::vector<Gp2CameraEntry>* out) override {
    std::lock_guard<std::mutex> guard(mutex_);
    out->clear();
    if (autodetectResult_ != GP_OK) return autodetectResult_;
    for (const auto& body : bodies_) out->push_back(body.first);
    return GP_OK;
  }

  int newCamera(const Gp2CameraEntry& entry, std::unique_ptr<Gphoto2Camera>* out) override {
    std::lock_guard<std::mutex> guard(mutex_);
    for (const auto& body : bodies_) {
      if (body.first.port == entry.port) {
        out->reset(new FakeGphoto2Camera(body.second));
        return GP_OK;
      }
    }
    return GP_ERROR_MODEL_NOT_FOUND;
  }

 private:
  std::mutex mutex_;
  std::vector<std::pair<Gp2CameraEntry, std::shared_ptr<FakeBody>>> bodies_;
  int autodetectResult_ = GP_OK;
};

#endif  // QUORVALE_CAMERA_GPHOTO2_FAKE_GPHOTO2_API_H_
