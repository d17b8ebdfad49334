// The terminal behind standard output, on POSIX.
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/terminal.h"

namespace platform {

bool standardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

size_t terminalColumns() {
  struct winsize size = {};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
  return size.ws_col;
}

}  // namespace platform
