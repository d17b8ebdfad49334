// POSIX implementation of the file facts.
#include "platform/file.h"

#include <errno.h>
#include <sys/stat.h>

#include "platform/error.h"

namespace platform {

bool fileSize(const std::string& path, uint64_t* size) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    setLastError(static_cast<uint32_t>(errno));
    return false;
  }
  *size = S_ISREG(info.st_mode) ? static_cast<uint64_t>(info.st_size) : 0;
  return true;
}

}  // namespace platform
