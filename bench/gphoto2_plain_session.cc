// The plain libgphoto2 program that gphoto2_session_bench measures the program against: what a
// direct user of the library does, with nothing of ours in between.
//
//   gphoto2_plain_session info       opens the first camera, reads the settings the info mode
//                                    shows (storage, battery, format, modes, ISO, Av, Tv,
//                                    available shots), prints them and closes it
//   gphoto2_plain_session shots <n> [<wait ms>]
//                                    opens it, takes n pictures one after the other and prints
//                                    each one's time from the trigger to the body's
//                                    capture-complete event, in microseconds, one per line
//
// Events are awaited in calls of <wait ms> each; 100 ms by default, as libgphoto2's own
// trigger-capture sample does.
#include <gphoto2/gphoto2.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kDefaultEventWaitMs = 100;
constexpr int kShotLimitMs = 5000;

const char* const kSettings[] = {"batterylevel",      "imageformat",  "autoexposuremode",
                                 "expprogram",        "drivemode",    "meteringmode",
                                 "exposuremetermode", "iso",          "f-number",
                                 "aperture",          "shutterspeed", "availableshots"};

void printSetting(Camera* camera, GPContext* context, const char* name) {
  CameraWidget* widget = nullptr;
  if (gp_camera_get_single_config(camera, name, &widget, context) != GP_OK) return;
  CameraWidgetType type;
  gp_widget_get_type(widget, &type);
  if (type == GP_WIDGET_TEXT || type == GP_WIDGET_RADIO || type == GP_WIDGET_MENU) {
    const char* value = nullptr;
    if (gp_widget_get_value(widget, &value) == GP_OK && value != nullptr) {
      std::printf("%s: %s\n", name, value);
    }
  }
  gp_widget_free(widget);
}

int info(Camera* camera, GPContext* context) {
  CameraStorageInformation* storages = nullptr;
  int count = 0;
  if (gp_camera_get_storageinfo(camera, &storages, &count, context) == GP_OK) {
    for (int i = 0; i < count; ++i) {
      std::printf("storage: %llu kB, %llu kB free\n",
                  static_cast<unsigned long long>(storages[i].capacitykbytes),
                  static_cast<unsigned long long>(storages[i].freekbytes));
    }
    std::free(storages);
  }
  for (const char* name : kSettings) printSetting(camera, context, name);
  return 0;
}

int shots(Camera* camera, GPContext* context, int count, int waitMs) {
  for (int i = 0; i < count; ++i) {
    const auto start = std::chrono::steady_clock::now();
    int rc = gp_camera_trigger_capture(camera, context);
    if (rc != GP_OK) {
      std::fprintf(stderr, "trigger: %s\n", gp_result_as_string(rc));
      return 1;
    }
    bool complete = false;
    while (!complete) {
      if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(kShotLimitMs)) {
        std::fprintf(stderr, "no capture-complete event\n");
        return 1;
      }
      CameraEventType type = GP_EVENT_TIMEOUT;
      void* data = nullptr;
      rc = gp_camera_wait_for_event(camera, waitMs, &type, &data, context);
      std::free(data);
      if (rc != GP_OK) {
        std::fprintf(stderr, "wait: %s\n", gp_result_as_string(rc));
        return 1;
      }
      complete = type == GP_EVENT_CAPTURE_COMPLETE;
    }
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    std::printf("%lld\n", static_cast<long long>(us.count()));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool infoMode = argc == 2 && std::strcmp(argv[1], "info") == 0;
  const bool shotMode = (argc == 3 || argc == 4) && std::strcmp(argv[1], "shots") == 0;
  if (!infoMode && !shotMode) {
    std::fprintf(stderr, "usage: %s info | shots <n> [<wait ms>]\n", argv[0]);
    return 2;
  }
  GPContext* context = gp_context_new();
  Camera* camera = nullptr;
  gp_camera_new(&camera);
  int rc = gp_camera_init(camera, context);
  if (rc != GP_OK) {
    std::fprintf(stderr, "init: %s\n", gp_result_as_string(rc));
    return 1;
  }
  const int waitMs = argc == 4 ? std::atoi(argv[3]) : kDefaultEventWaitMs;
  int result =
      infoMode ? info(camera, context) : shots(camera, context, std::atoi(argv[2]), waitMs);
  gp_camera_exit(camera, context);
  gp_camera_unref(camera);
  gp_context_unref(context);
  return result;
}
