// Fuzz target: arbitrary bytes through the scanner and every command, on a simulated camera whose
// model never waits, a clock that never waits, a recording serial line, sound devices that refuse
// every file and a prompt whose input has ended. The first byte chooses after how many waits the
// stop event is set (or never), so the stop paths are explored too.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "camera/canon_camera.h"
#include "camera/error_text.h"
#include "camera/sim/sim_backend.h"
#include "camera/sim/sim_world.h"
#include "output/output.h"
#include "platform/serial_port.h"
#include "platform/sound_player.h"
#include "platform/user_prompt.h"
#include "script/script_parser.h"
#include "script/script_test_support.h"

namespace {

class SilentSoundDevice final : public platform::SoundDevice {
 public:
  uint32_t open(const std::string&) override { return platform::kSoundErrorDecoder | 2; }
  uint32_t playToEnd() override { return 0; }
  void close() override {}
};

std::unique_ptr<platform::SoundDevice> silentDevice() {
  return std::make_unique<SilentSoundDevice>();
}

class NullSerialLine final : public platform::SerialLine {
 public:
  bool readState() override { return true; }
  bool setRts(bool) override { return true; }
};

struct World {
  World() {
    auto backend = std::make_unique<SimBackend>();
    backend->setTimeScale(0.0);
    backend->addCamera(defaultPtpBodyConfig());
    EdsSetBackend(std::move(backend));
    EdsInitializeSDK();
    EdsCameraListRef list = nullptr;
    EdsGetCameraList(&list);
    EdsCameraRef ref = nullptr;
    EdsGetChildAtIndex(list, 0, &ref);
    EdsRelease(list);
    camera = std::make_unique<CCanonCamera>(ref, nullptr);
    FILE* sink = std::fopen("/dev/null", "w");
    setOutputStreamsForTest(sink, sink);
    setSdkErrorTextSource(edsErrorText);
    platform::setSoundDeviceFactoryForTest(&silentDevice);
    FILE* noInput = std::fopen("/dev/null", "r");
    platform::setPromptDescriptorsForTest(fileno(noInput), fileno(sink));
  }
  std::unique_ptr<CCanonCamera> camera;
  NullSerialLine port;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World* world = new World();
  if (size == 0) return 0;
  const uint8_t control = data[0];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  platform::Event stop(true, false);
  script_testing::FakeScriptClock clock(133944624000000000ULL);
  int waits = 0;
  if (control & 1) {
    const int stopAfter = (control >> 1) & 7;
    clock.onWait = [&stop, &waits, stopAfter] {
      if (waits++ == stopAfter) stop.set();
    };
  }
  // Camera options that a previous input changed must not slow this one down.
  world->camera->setShotTimeout(450);
  world->camera->setTimeMultiplier(1.0);
  world->camera->setAllocBufferTimeout(50);
  world->camera->setBufferSize(5);
  CQuorvaleScriptParser parser(world->camera.get(), (control & 2) ? &world->port : nullptr, nullptr,
                               &stop, &clock);
  script_testing::runScript(&parser, text);
  return 0;
}
