// printMciError lives apart from the rest of the output layer so that only programs that play
// sounds link the sound player.
#include "output/output.h"
#include "platform/sound_player.h"

void printMciError(const char* text, uint32_t code) {
  printErr("%s: %s\n", text, platform::soundErrorText(code).c_str());
}
