#include "tests/e2e/virtual_camera.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace e2e {
namespace {

namespace fs = std::filesystem;

// The one versioned folder below |parent| (the driver folders are named after the library's
// version: lib/libgphoto2/2.5.34.1, lib/libgphoto2_port/0.12.2); empty when there is none.
std::string versionFolder(const fs::path& parent) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(parent, error)) {
    if (entry.is_directory()) return entry.path().string();
  }
  return "";
}

// The smallest file a JPEG reader accepts as an image: start and end of image.
constexpr char kTinyJpeg[] = "\xFF\xD8\xFF\xD9";

}  // namespace

VirtualCamera::VirtualCamera() {
  const char* prefix = std::getenv("QUORVALE_VUSB");
  if (prefix == nullptr || *prefix == '\0') {
    skipReason_ =
        "no virtual USB camera: QUORVALE_VUSB is not set (tools/test.sh <libgphoto2 archive>)";
    return;
  }
  prefix_ = prefix;
  if (versionFolder(fs::path(prefix_) / "lib" / "libgphoto2").empty() ||
      versionFolder(fs::path(prefix_) / "lib" / "libgphoto2_port").empty()) {
    skipReason_ = "no virtual USB camera: QUORVALE_VUSB=" + prefix_ + " holds no libgphoto2 build";
    return;
  }
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  fs::path card = fs::temp_directory_path() /
                  ("quorvale_vcam_" + std::to_string(random()) + "_" + std::to_string(counter++));
  fs::create_directories(card);
  for (const char* name : {"IMG_0001.JPG", "IMG_0002.JPG"}) {
    std::ofstream(card / name, std::ios::binary).write(kTinyJpeg, sizeof kTinyJpeg - 1);
  }
  card_ = card.string();
  available_ = true;
}

VirtualCamera::~VirtualCamera() {
  if (card_.empty()) return;
  std::error_code ignored;
  fs::remove_all(card_, ignored);
}

std::vector<std::pair<std::string, std::optional<std::string>>> VirtualCamera::environment() const {
  const fs::path lib = fs::path(prefix_) / "lib";
  return {{"LD_LIBRARY_PATH", lib.string()},
          {"IOLIBS", versionFolder(lib / "libgphoto2_port")},
          {"CAMLIBS", versionFolder(lib / "libgphoto2")},
          {"VCAMERADIR", card_},
          {"IOLIBS_PREFIX", std::nullopt},
          {"CAMLIBS_PREFIX", std::nullopt},
          {"LANGUAGE", std::nullopt}};
}

}  // namespace e2e
