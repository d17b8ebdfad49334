#include "script/audio_player.h"

#include <atomic>
#include <cstdio>
#include <system_error>
#include <thread>
#include <utility>

#include "output/output.h"
#include "platform/sound_player.h"

namespace {

std::atomic<uint32_t> g_runningPlayers{0};
SoundStarter g_starter;  // set before a script runs, read by its thread only

}  // namespace

uint32_t audioPlayerThread(const std::string& name) {
  char text[1024];
  std::unique_ptr<platform::SoundDevice> device = platform::createSoundDevice();
  uint32_t code = device->open(name);
  if (code != 0) {
    std::snprintf(text, sizeof(text), "Can't open '%s'", name.c_str());
    printMciError(text, code);
    device->close();
    return 1;
  }
  code = device->playToEnd();
  if (code != 0) {
    std::snprintf(text, sizeof(text), "Can't play '%s'", name.c_str());
    printMciError(text, code);
  } else {
    outputPrintf(Msg, "PLAY: %s\n", name.c_str());
  }
  device->close();
  return 0;
}

bool startAudioPlayer(const std::string& name) {
  ++g_runningPlayers;
  try {
    std::thread([name] {
      audioPlayerThread(name);
      --g_runningPlayers;
    }).detach();
  } catch (const std::system_error& e) {
    --g_runningPlayers;
    printSysError("Can't create thread for audio player", static_cast<uint32_t>(e.code().value()));
    return false;
  }
  return true;
}

uint32_t runningAudioPlayers() { return g_runningPlayers.load(); }

bool startSound(const std::string& name) {
  return g_starter ? g_starter(name) : startAudioPlayer(name);
}

void setSoundStarter(SoundStarter starter) { g_starter = std::move(starter); }
