// POSIX implementation of the file facts.
#include "platform/file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

ReadFileResult readRegularFile(const std::string& path, uint64_t maxBytes, std::string* text) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    setLastError(static_cast<uint32_t>(errno));
    return ReadFileResult::kNotFound;
  }
  struct stat info;
  ReadFileResult result = ReadFileResult::kRead;
  if (fstat(fd, &info) != 0) {
    setLastError(static_cast<uint32_t>(errno));
    result = ReadFileResult::kNotFound;
  } else if (!S_ISREG(info.st_mode)) {
    result = ReadFileResult::kNotRegular;
  } else if (static_cast<uint64_t>(info.st_size) > maxBytes) {
    result = ReadFileResult::kTooLarge;
  } else {
    std::string bytes;
    char buffer[65536];
    for (;;) {
      const ssize_t n = read(fd, buffer, sizeof(buffer));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        setLastError(static_cast<uint32_t>(errno));
        result = ReadFileResult::kReadError;
        break;
      }
      if (n == 0) break;
      if (bytes.size() + static_cast<size_t>(n) > maxBytes) {
        result = ReadFileResult::kTooLarge;  // it grew since
        break;
      }
      bytes.append(buffer, static_cast<size_t>(n));
    }
    if (result == ReadFileResult::kRead) *text = std::move(bytes);
  }
  close(fd);
  return result;
}

}  // namespace platform
