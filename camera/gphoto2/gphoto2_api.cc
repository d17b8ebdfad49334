#include "camera/gphoto2/gphoto2_api.h"

#include <gphoto2/gphoto2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

// A locale directory that holds no catalogue: binding libgphoto2's text domains to it keeps the
// driver's texts (widget choices, event texts) untranslated whatever the user's LANGUAGE says, so
// that the backend's matching works on any desktop. The process locale is left alone.
constexpr char kNoCatalogueDir[] = "/nonexistent/quorvale/no-translations";

Gp2Event::Kind eventKind(CameraEventType type) {
  switch (type) {
    case GP_EVENT_UNKNOWN:
      return Gp2Event::Kind::kUnknown;
    case GP_EVENT_FILE_ADDED:
      return Gp2Event::Kind::kFileAdded;
    case GP_EVENT_FOLDER_ADDED:
      return Gp2Event::Kind::kFolderAdded;
    case GP_EVENT_CAPTURE_COMPLETE:
      return Gp2Event::Kind::kCaptureComplete;
    case GP_EVENT_FILE_CHANGED:
      return Gp2Event::Kind::kFileChanged;
    default:
      return Gp2Event::Kind::kTimeout;
  }
}

// Owns a widget tree returned by libgphoto2.
class WidgetHolder {
 public:
  WidgetHolder() = default;
  WidgetHolder(const WidgetHolder&) = delete;
  WidgetHolder& operator=(const WidgetHolder&) = delete;
  ~WidgetHolder() {
    if (widget_ != nullptr) gp_widget_free(widget_);
  }
  CameraWidget** out() { return &widget_; }
  CameraWidget* get() const { return widget_; }

 private:
  CameraWidget* widget_ = nullptr;
};

class LibCamera final : public Gphoto2Camera {
 public:
  LibCamera(Camera* camera, GPContext* context) : camera_(camera), context_(context) {}
  LibCamera(const LibCamera&) = delete;
  LibCamera& operator=(const LibCamera&) = delete;
  ~LibCamera() override {
    if (initialised_) gp_camera_exit(camera_, context_);
    gp_camera_unref(camera_);
    gp_context_unref(context_);
  }

  int init() override {
    int rc = gp_camera_init(camera_, context_);
    initialised_ = rc == GP_OK;
    return rc;
  }

  int exit() override {
    initialised_ = false;
    return gp_camera_exit(camera_, context_);
  }

  int getWidget(const std::string& name, Gp2Widget* out) override {
    WidgetHolder holder;
    int rc = gp_camera_get_single_config(camera_, name.c_str(), holder.out(), context_);
    if (rc != GP_OK) return rc;
    CameraWidget* widget = holder.get();
    CameraWidgetType type;
    if ((rc = gp_widget_get_type(widget, &type)) != GP_OK) return rc;
    int readOnly = 0;
    gp_widget_get_readonly(widget, &readOnly);
    out->readOnly = readOnly != 0;
    out->choices.clear();
    switch (type) {
      case GP_WIDGET_TEXT:
      case GP_WIDGET_RADIO:
      case GP_WIDGET_MENU: {
        const char* text = nullptr;
        if ((rc = gp_widget_get_value(widget, &text)) != GP_OK) return rc;
        out->value = text != nullptr ? text : "";
        int count = gp_widget_count_choices(widget);
        for (int i = 0; i < count; ++i) {
          const char* choice = nullptr;
          if (gp_widget_get_choice(widget, i, &choice) == GP_OK && choice != nullptr) {
            out->choices.push_back(choice);
          }
        }
        return GP_OK;
      }
      case GP_WIDGET_TOGGLE:
      case GP_WIDGET_DATE: {
        int number = 0;
        if ((rc = gp_widget_get_value(widget, &number)) != GP_OK) return rc;
        out->value = std::to_string(number);
        return GP_OK;
      }
      case GP_WIDGET_RANGE: {
        float number = 0;
        if ((rc = gp_widget_get_value(widget, &number)) != GP_OK) return rc;
        char text[64];
        std::snprintf(text, sizeof text, "%g", static_cast<double>(number));
        out->value = text;
        return GP_OK;
      }
      default:
        return GP_ERROR_NOT_SUPPORTED;
    }
  }

  int setWidget(const std::string& name, const std::string& value) override {
    WidgetHolder holder;
    int rc = gp_camera_get_single_config(camera_, name.c_str(), holder.out(), context_);
    if (rc != GP_OK) return rc;
    CameraWidget* widget = holder.get();
    CameraWidgetType type;
    if ((rc = gp_widget_get_type(widget, &type)) != GP_OK) return rc;
    switch (type) {
      case GP_WIDGET_TEXT:
      case GP_WIDGET_RADIO:
      case GP_WIDGET_MENU:
        rc = gp_widget_set_value(widget, value.c_str());
        break;
      case GP_WIDGET_TOGGLE:
      case GP_WIDGET_DATE: {
        int number = std::atoi(value.c_str());
        rc = gp_widget_set_value(widget, &number);
        break;
      }
      case GP_WIDGET_RANGE: {
        float number = std::strtof(value.c_str(), nullptr);
        rc = gp_widget_set_value(widget, &number);
        break;
      }
      default:
        return GP_ERROR_NOT_SUPPORTED;
    }
    if (rc != GP_OK) return rc;
    return gp_camera_set_single_config(camera_, name.c_str(), widget, context_);
  }

  int triggerCapture() override { return gp_camera_trigger_capture(camera_, context_); }

  int waitForEvent(int timeoutMs, Gp2Event* out) override {
    CameraEventType type = GP_EVENT_TIMEOUT;
    void* data = nullptr;
    int rc = gp_camera_wait_for_event(camera_, timeoutMs, &type, &data, context_);
    *out = Gp2Event();
    if (rc == GP_OK) {
      out->kind = eventKind(type);
      if (type == GP_EVENT_UNKNOWN && data != nullptr) {
        out->text = static_cast<const char*>(data);
      } else if ((type == GP_EVENT_FILE_ADDED || type == GP_EVENT_FOLDER_ADDED ||
                  type == GP_EVENT_FILE_CHANGED) &&
                 data != nullptr) {
        const CameraFilePath* path = static_cast<const CameraFilePath*>(data);
        out->folder = path->folder;
        out->name = path->name;
      }
    }
    std::free(data);
    return rc;
  }

  int storageInfo(std::vector<Gp2Storage>* out) override {
    CameraStorageInformation* info = nullptr;
    int count = 0;
    int rc = gp_camera_get_storageinfo(camera_, &info, &count, context_);
    if (rc != GP_OK) return rc;
    out->clear();
    for (int i = 0; i < count; ++i) {
      const CameraStorageInformation& one = info[i];
      Gp2Storage storage;
      if (one.fields & GP_STORAGEINFO_LABEL) storage.label = one.label;
      if (one.fields & GP_STORAGEINFO_STORAGETYPE) storage.type = one.type;
      if (one.fields & GP_STORAGEINFO_ACCESS) {
        storage.access = one.access == GP_STORAGEINFO_AC_READWRITE ? Gp2Storage::Access::kReadWrite
                         : one.access == GP_STORAGEINFO_AC_READONLY_WITH_DELETE
                             ? Gp2Storage::Access::kReadOnlyWithDelete
                             : Gp2Storage::Access::kReadOnly;
      }
      if (one.fields & GP_STORAGEINFO_MAXCAPACITY) storage.capacityKbytes = one.capacitykbytes;
      if (one.fields & GP_STORAGEINFO_FREESPACEKBYTES) storage.freeKbytes = one.freekbytes;
      out->push_back(storage);
    }
    std::free(info);
    return GP_OK;
  }

 private:
  Camera* camera_;
  GPContext* context_;
  bool initialised_ = false;
};

class LibApi final : public Gphoto2Api {
 public:
  LibApi() { gp_init_localedir(kNoCatalogueDir); }
  LibApi(const LibApi&) = delete;
  LibApi& operator=(const LibApi&) = delete;
  ~LibApi() override {
    if (abilities_ != nullptr) gp_abilities_list_free(abilities_);
    if (ports_ != nullptr) gp_port_info_list_free(ports_);
  }

  // As gp_camera_autodetect, but over the lists kept for newCamera: loading the camera drivers
  // is the costly part of a session's start, and it is done once. The port list is read afresh,
  // since it names the bodies plugged in now.
  int autodetect(std::vector<Gp2CameraEntry>* out) override {
    out->clear();
    std::lock_guard<std::mutex> guard(mutex_);
    if (ports_ != nullptr) gp_port_info_list_free(ports_);
    ports_ = nullptr;
    GPContext* context = gp_context_new();
    CameraList* list = nullptr;
    int rc = loadLists(context);
    if (rc == GP_OK) rc = gp_list_new(&list);
    if (rc == GP_OK) rc = gp_abilities_list_detect(abilities_, ports_, list, context);
    if (rc >= GP_OK) {
      int count = gp_list_count(list);
      for (int i = 0; i < count; ++i) {
        const char* model = nullptr;
        const char* port = nullptr;
        gp_list_get_name(list, i, &model);
        gp_list_get_value(list, i, &port);
        // "usb:" alone is the generic USB entry, not a body.
        if (model != nullptr && port != nullptr && std::strcmp(port, "usb:") != 0) {
          out->push_back({model, port});
        }
      }
      rc = GP_OK;
    }
    if (list != nullptr) gp_list_free(list);
    gp_context_unref(context);
    return rc;
  }

  int newCamera(const Gp2CameraEntry& entry, std::unique_ptr<Gphoto2Camera>* out) override {
    std::lock_guard<std::mutex> guard(mutex_);
    GPContext* context = gp_context_new();
    int rc = loadLists(context);
    Camera* camera = nullptr;
    if (rc == GP_OK) rc = gp_camera_new(&camera);
    if (rc == GP_OK) rc = bind(camera, entry);
    if (rc != GP_OK) {
      if (camera != nullptr) gp_camera_unref(camera);
      gp_context_unref(context);
      return rc;
    }
    out->reset(new LibCamera(camera, context));
    return GP_OK;
  }

 private:
  // REQUIRES: mutex_ held.
  int loadLists(GPContext* context) {
    if (abilities_ == nullptr) {
      int rc = gp_abilities_list_new(&abilities_);
      if (rc == GP_OK) rc = gp_abilities_list_load(abilities_, context);
      if (rc != GP_OK) {
        if (abilities_ != nullptr) gp_abilities_list_free(abilities_);
        abilities_ = nullptr;
        return rc;
      }
    }
    if (ports_ == nullptr) {
      int rc = gp_port_info_list_new(&ports_);
      if (rc == GP_OK) rc = gp_port_info_list_load(ports_);
      if (rc < GP_OK) {
        if (ports_ != nullptr) gp_port_info_list_free(ports_);
        ports_ = nullptr;
        return rc;
      }
    }
    return GP_OK;
  }

  // REQUIRES: mutex_ held and the lists loaded.
  int bind(Camera* camera, const Gp2CameraEntry& entry) {
    int model = gp_abilities_list_lookup_model(abilities_, entry.model.c_str());
    if (model < GP_OK) return model;
    CameraAbilities abilities;
    int rc = gp_abilities_list_get_abilities(abilities_, model, &abilities);
    if (rc != GP_OK) return rc;
    if ((rc = gp_camera_set_abilities(camera, abilities)) != GP_OK) return rc;
    int port = gp_port_info_list_lookup_path(ports_, entry.port.c_str());
    if (port < GP_OK) return port;
    GPPortInfo info;
    if ((rc = gp_port_info_list_get_info(ports_, port, &info)) != GP_OK) return rc;
    return gp_camera_set_port_info(camera, info);
  }

  std::mutex mutex_;
  CameraAbilitiesList* abilities_ = nullptr;  // guarded by mutex_
  GPPortInfoList* ports_ = nullptr;           // guarded by mutex_
};

}  // namespace

std::unique_ptr<Gphoto2Api> createLibGphoto2Api() { return std::make_unique<LibApi>(); }
