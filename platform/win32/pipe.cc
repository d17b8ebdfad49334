// Windows implementation of the anonymous pipe: the C runtime's _pipe.
#include "platform/pipe.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/error.h"

namespace platform {

bool createPipe(int fds[2]) {
  constexpr unsigned kBufferSize = 4096;
  if (_pipe(fds, kBufferSize, _O_BINARY | _O_NOINHERIT) != 0) {
    setLastError(GetLastError());
    return false;
  }
  return true;
}

}  // namespace platform
