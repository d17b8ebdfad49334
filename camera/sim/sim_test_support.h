// Test support for the simulated backend's tests: a fixture with an empty world that never waits,
// and handlers that record every event as a text line (under the recorder's own mutex).
#ifndef QUORVALE_CAMERA_SIM_SIM_TEST_SUPPORT_H_
#define QUORVALE_CAMERA_SIM_SIM_TEST_SUPPORT_H_

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
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
    static_cast<SimEventRecorder*>(context)->add("object " + hex(event));
    EdsRelease(ref);
    return EDS_ERR_OK;
  }
  static EdsError onState(EdsStateEvent event, EdsUInt32 data, void* context) {
    static_cast<SimEventRecorder*>(context)->add("state " + hex(event) + " " +
                                                 std::to_string(data));
    return EDS_ERR_OK;
  }
  static EdsError onProperty(EdsPropertyEvent event, EdsPropertyID property, EdsUInt32 param,
                             void* context) {
    static_cast<SimEventRecorder*>(context)->add("property " + hex(event) + " " + hex(property) +
                                                 " " + std::to_string(param));
    return EDS_ERR_OK;
  }

  std::vector<std::string> take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::move(lines_);
  }

 private:
  static std::string hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%x", value);
    return text;
  }
  void add(std::string text) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(std::move(text));
  }

  std::mutex mutex_;
  std::vector<std::string> lines_;  // guarded by mutex_
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

  // The camera at |index| with its session open and the recorder's handlers registered. Tests
  // need not release it: the backend frees what is left.
  EdsCameraRef openCamera(EdsInt32 index) {
    EdsCameraRef camera = cameraAt(index);
    EXPECT_EQ(EDS_ERR_OK, EdsOpenSession(camera));
    EXPECT_EQ(EDS_ERR_OK, EdsSetObjectEventHandler(camera, kEdsObjectEvent_All,
                                                   &SimEventRecorder::onObject, &recorder_));
    EXPECT_EQ(EDS_ERR_OK, EdsSetCameraStateEventHandler(camera, kEdsStateEvent_All,
                                                        &SimEventRecorder::onState, &recorder_));
    EXPECT_EQ(EDS_ERR_OK, EdsSetPropertyEventHandler(camera, kEdsPropertyEvent_All,
                                                     &SimEventRecorder::onProperty, &recorder_));
    return camera;
  }
  // Adds a body built from |config| as body_ and opens it.
  EdsCameraRef openNew(const SimBodyConfig& config) {
    body_ = sim_->addCamera(config);
    return openCamera(static_cast<EdsInt32>(sim_->cameraCount() - 1));
  }

  static EdsError shoot(EdsCameraRef camera) {
    return EdsSendCommand(camera, kEdsCameraCommand_TakePicture, 0);
  }
  // Takes a picture that the body accepts and returns the events it brought.
  std::vector<std::string> shotEvents(EdsCameraRef camera) {
    EXPECT_EQ(EDS_ERR_OK, shoot(camera));
    return events();
  }
  // Manual time: the events delivered by advancing |ms|.
  std::vector<std::string> after(uint32_t ms) {
    sim_->advanceTime(ms);
    return events();
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
  SimCamera* body_ = nullptr;  // the last body of openNew()
  SimEventRecorder recorder_;
};

using Lines = std::vector<std::string>;

#endif  // QUORVALE_CAMERA_SIM_SIM_TEST_SUPPORT_H_
