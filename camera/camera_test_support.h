// Helpers for the camera tests: log and console captures, and a fixture that runs the camera code
// against simulated bodies with no real waiting. Not thread-safe: one test at a time.
#ifndef QUORVALE_CAMERA_CAMERA_TEST_SUPPORT_H_
#define QUORVALE_CAMERA_CAMERA_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <utility>

#include "camera/canon_camera.h"
#include "camera/canon_interface.h"
#include "camera/eds_backend.h"
#include "camera/error_text.h"
#include "camera/sim/sim_backend.h"
#include "camera/sim/sim_world.h"
#include "output/output.h"

namespace camera_test {

// Sends the log to a private file for its lifetime. take() returns the messages written since the
// last take() without time prefixes and banners, tagged when |withTags|; "$%p" reads "$REF".
class LogCapture {
 public:
  LogCapture() {
    std::random_device random;
    path_ = (std::filesystem::temp_directory_path() /
             ("quorvale_camera_test_" + std::to_string(random()) + ".log"))
                .string();
    setLogPathForTest(path_.c_str());
    openLogFile();
  }
  ~LogCapture() {
    closeLogFile();
    setLogPathForTest(nullptr);
    std::filesystem::remove(path_);
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::string take(bool withTags = false) {
    closeLogFile();
    std::ifstream in(path_);
    std::string line;
    std::string out;
    while (std::getline(in, line)) {
      // "HH:MM:SS.mmm TAG: text"
      if (line.size() < 18 || line[2] != ':' || line[8] != '.' || line[16] != ':') continue;
      const std::string tag = line.substr(13, 3);
      const std::string text = line.substr(18);
      if (text.rfind("Open log file at", 0) == 0 || text.rfind("Close log file at", 0) == 0) {
        continue;
      }
      out += (withTags ? tag + " " : std::string()) + text + "\n";
    }
    in.close();
    std::filesystem::remove(path_);
    openLogFile();
    return std::regex_replace(out, std::regex("\\$(0x)?[0-9a-fA-F]+|\\$\\(nil\\)"), "$REF");
  }

 private:
  std::string path_;
};

// The lines of |text| that start with one of |prefixes|, in order.
inline std::string linesStartingWith(const std::string& text,
                                     std::initializer_list<const char*> prefixes) {
  std::istringstream in(text);
  std::string line;
  std::string out;
  while (std::getline(in, line)) {
    for (const char* prefix : prefixes) {
      if (line.rfind(prefix, 0) == 0) {
        out += line + "\n";
        break;
      }
    }
  }
  return out;
}

// The calls |body| logged that start with one of |prefixes|, one a line; clears its log.
inline std::string callsOf(SimCamera* body, std::initializer_list<const char*> prefixes) {
  std::string log;
  for (const std::string& line : body->commandLog()) log += line + "\n";
  body->clearCommandLog();
  return linesStartingWith(log, prefixes);
}

// Directs the console streams to temporary files; out() and err() read what was written.
class ConsoleCapture {
 public:
  ConsoleCapture() : out_(std::tmpfile()), err_(std::tmpfile()) {
    setOutputStreamsForTest(out_, err_);
  }
  ~ConsoleCapture() {
    setOutputStreamsForTest(nullptr, nullptr);
    std::fclose(out_);
    std::fclose(err_);
  }
  ConsoleCapture(const ConsoleCapture&) = delete;
  ConsoleCapture& operator=(const ConsoleCapture&) = delete;

  std::string out() { return read(out_); }
  std::string err() { return read(err_); }

 private:
  static std::string read(FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, n);
    return text;
  }

  FILE* out_;
  FILE* err_;
};

// Two default bodies (0 PTP, 1 legacy) that never wait, installed, with the log captured.
class SimCameraTest : public testing::Test {
 protected:
  void SetUp() override {
    setSdkErrorTextSource(&edsErrorText);
    auto owned = std::make_unique<SimBackend>();
    sim_ = owned.get();
    sim_->setTimeScale(0.0);
    ptpBody_ = sim_->addCamera(defaultPtpBodyConfig());
    legacyBody_ = sim_->addCamera(defaultLegacyBodyConfig());
    EdsSetBackend(std::move(owned));
    log_ = std::make_unique<LogCapture>();
  }

  void TearDown() override {
    g_canonInterface = nullptr;
    camera_.reset();
    sdk_.reset();
    EdsSetBackend(nullptr);
    log_.reset();
  }

  // Creates the SDK interface; its construction traces are dropped.
  void start() {
    sdk_ = std::make_unique<CCanonInterface>();
    traces();
  }
  // start(), with the interface published as the program's g_canonInterface.
  void publish() {
    start();
    g_canonInterface = sdk_.get();
  }

  // Opens camera |index| as camera_, dropping its session traces and the calls it made.
  CCanonCamera* open(uint32_t index) {
    if (sdk_ == nullptr) start();
    camera_ = sdk_->NewCamera(index);
    traces();
    for (size_t i = 0; i < sim_->cameraCount(); ++i) sim_->camera(i)->clearCommandLog();
    return camera_.get();
  }

  // The traces written since the last call, after every pending event was delivered.
  std::string traces(bool withTags = false) {
    sim_->waitIdle();
    return log_->take(withTags);
  }

  SimBackend* sim_ = nullptr;
  SimCamera* ptpBody_ = nullptr;
  SimCamera* legacyBody_ = nullptr;
  std::unique_ptr<LogCapture> log_;
  std::unique_ptr<CCanonInterface> sdk_;
  std::unique_ptr<CCanonCamera> camera_;
};

}  // namespace camera_test

#endif  // QUORVALE_CAMERA_CAMERA_TEST_SUPPORT_H_
