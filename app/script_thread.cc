#include "app/script_thread.h"

#include "output/output.h"

// Interim: the script interpreter arrives with its own code.
uint32_t doScript(const ProgramOptions*) {
  printErr("Scripts are not available in this build\n");
  return 1;
}
