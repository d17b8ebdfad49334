// POSIX implementation of the file facts and of the append-only file.
#include "platform/file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

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

namespace {

class PosixAppendFile final : public AppendFile {
 public:
  explicit PosixAppendFile(int fd) : fd_(fd) {}
  ~PosixAppendFile() override { close(fd_); }
  PosixAppendFile(const PosixAppendFile&) = delete;
  PosixAppendFile& operator=(const PosixAppendFile&) = delete;

  bool append(const char* const* parts, const size_t* lengths, size_t count) override {
    std::vector<iovec> pieces;
    pieces.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      if (lengths[i] > 0) pieces.push_back({const_cast<char*>(parts[i]), lengths[i]});
    }
    size_t first = 0;
    while (first < pieces.size()) {
      const int n = static_cast<int>(std::min<size_t>(pieces.size() - first, IOV_MAX));
      const ssize_t written = writev(fd_, &pieces[first], n);
      if (written < 0) {
        if (errno == EINTR) continue;
        setLastError(static_cast<uint32_t>(errno));
        return false;
      }
      if (written == 0) return false;
      // A short write (a disk nearly full, a signal): go on after what was taken.
      size_t left = static_cast<size_t>(written);
      while (first < pieces.size() && left >= pieces[first].iov_len) {
        left -= pieces[first].iov_len;
        ++first;
      }
      if (left > 0) {
        pieces[first].iov_base = static_cast<char*>(pieces[first].iov_base) + left;
        pieces[first].iov_len -= left;
      }
    }
    return true;
  }

  bool syncData() override {
    while (fdatasync(fd_) != 0) {
      if (errno == EINTR) continue;
      setLastError(static_cast<uint32_t>(errno));
      return false;
    }
    return true;
  }

 private:
  const int fd_;
};

}  // namespace

std::unique_ptr<AppendFile> AppendFile::open(const std::string& path, std::string* reason) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    *reason = std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<PosixAppendFile>(fd);
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
