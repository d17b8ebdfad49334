// Test support for the simulated backend's tests: a fixture that installs an empty simulated
// world without real waiting, and handlers that record every event they receive as a text line.
//
// Thread safety: the recorder is filled on the event thread and read by the test thread under its
// own mutex.
#ifndef QUORVALE_CAMERA_SIM_SIM_TEST_SUPPORT_H_
#define QUORVALE_CAMERA_SIM_SIM_TEST_SUPPORT_H_

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "camera/eds.h"
#include "camera/eds_backend.h"
#include "camera/sim/sim_backend.h"
#include "camera/sim/sim_world.h"

// Collects the events a camera's handlers receive, e.g. "state 0x302 1", "object 0x204",
// "property 0x101 0x40a 0". Object handlers release their reference as the program does.
class SimEventRecorder final {
 public:
  static EdsError onObject(EdsObjectEvent event, EdsBaseRef ref, void* context) {
    auto* self = static_cast<SimEventRecorder*>(context);
    self->add(line("object 0x%x", event, 0, 0, 1));
    EdsRelease(ref);
    return EDS_ERR_OK;
  }
  static EdsError onState(EdsStateEvent event, EdsUInt32 data, void* context) {
    static_cast<SimEventRecorder*>(context)->add(line("state 0x%x %u", event, data, 0, 2));
    return EDS_ERR_OK;
  }
  static EdsError onProperty(EdsPropertyEvent event, EdsPropertyID property, EdsUInt32 param,
                             void* context) {
    static_cast<SimEventRecorder*>(context)->add(
        line("property 0x%x 0x%x %u", event, property, param, 3));
    return EDS_ERR_OK;
  }

  std::vector<std::string> take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::move(lines_);
  }
  // True when any handler ran on |id|.
  bool ranOn(std::thread::id id) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::thread::id& seen : threads_) {
      if (seen == id) return true;
    }
    return false;
  }

 private:
  static std::string line(const char* fmt, unsigned a, unsigned b, unsigned c, int args) {
    char text[80];
    if (args == 1) std::snprintf(text, sizeof(text), fmt, a);
    if (args == 2) std::snprintf(text, sizeof(text), fmt, a, b);
    if (args == 3) std::snprintf(text, sizeof(text), fmt, a, b, c);
    return text;
  }
  void add(std::string text) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(std::move(text));
    threads_.push_back(std::this_thread::get_id());
  }

  std::mutex mutex_;
  std::vector<std::string> lines_;        // guarded by mutex_
  std::vector<std::thread::id> threads_;  // guarded by mutex_
};

// Installs an empty simulated world with time scale 0 and an initialised SDK.
class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto backend = std::make_unique<SimBackend>();
    sim_ = backend.get();
    sim_->setTimeScale(0.0);
    EdsSetBackend(std::move(backend));
    ASSERT_EQ(EDS_ERR_OK, EdsInitializeSDK());
  }
  void TearDown() override { EdsSetBackend(nullptr); }

  // The camera at |index| of a fresh camera list (the list is released again).
  EdsCameraRef cameraAt(EdsInt32 index) {
    EdsCameraListRef list = nullptr;
    EXPECT_EQ(EDS_ERR_OK, EdsGetCameraList(&list));
    EdsCameraRef camera = nullptr;
    EXPECT_EQ(EDS_ERR_OK, EdsGetChildAtIndex(list, index, &camera));
    EdsRelease(list);
    return camera;
  }

  // The camera at |index| with its session open and the recorder's handlers registered.
  EdsCameraRef openCamera(EdsInt32 index) {
    EdsCameraRef camera = cameraAt(index);
    EXPECT_EQ(EDS_ERR_OK, EdsOpenSession(camera));
    registerHandlers(camera);
    return camera;
  }

  void registerHandlers(EdsCameraRef camera) {
    EXPECT_EQ(EDS_ERR_OK, EdsSetObjectEventHandler(camera, kEdsObjectEvent_All,
                                                   &SimEventRecorder::onObject, &recorder_));
    EXPECT_EQ(EDS_ERR_OK, EdsSetCameraStateEventHandler(camera, kEdsStateEvent_All,
                                                        &SimEventRecorder::onState, &recorder_));
    EXPECT_EQ(EDS_ERR_OK, EdsSetPropertyEventHandler(camera, kEdsPropertyEvent_All,
                                                     &SimEventRecorder::onProperty, &recorder_));
  }

  // Every event delivered once the model has run out of due work.
  std::vector<std::string> events() {
    sim_->waitIdle();
    return recorder_.take();
  }

  EdsUInt32 property(EdsCameraRef camera, EdsPropertyID id) {
    EdsUInt32 value = 0xDEADBEEF;
    EXPECT_EQ(EDS_ERR_OK, EdsGetPropertyData(camera, id, 0, sizeof(value), &value));
    return value;
  }

  SimBackend* sim_ = nullptr;  // owned by the installed backend slot
  SimEventRecorder recorder_;
};

using Lines = std::vector<std::string>;

#endif  // QUORVALE_CAMERA_SIM_SIM_TEST_SUPPORT_H_
