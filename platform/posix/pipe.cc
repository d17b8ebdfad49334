// POSIX implementation of the anonymous pipe.
#include "platform/pipe.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/error.h"

namespace platform {

bool createPipe(int fds[2]) {
  if (pipe2(fds, O_CLOEXEC) != 0) {
    setLastError(static_cast<uint32_t>(errno));
    return false;
  }
  return true;
}

}  // namespace platform
