// Checking a serial device without opening it.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/error.h"
#include "platform/serial_port.h"

namespace platform {

bool probeSerialLine(const std::string& devicePath) {
  struct stat info;
  if (stat(devicePath.c_str(), &info) != 0) {
    setLastError(static_cast<uint32_t>(errno));
    return false;
  }
  if (!S_ISCHR(info.st_mode)) {
    setLastError(ENOTTY);
    return false;
  }
  if (access(devicePath.c_str(), R_OK | W_OK) != 0) {
    setLastError(static_cast<uint32_t>(errno));
    return false;
  }
  return true;
}

}  // namespace platform
