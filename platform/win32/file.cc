// Windows implementation of the file facts (GetFileAttributesExA) and of the append-only file (the
// C runtime's unbuffered text-mode file, FlushFileBuffers).
#include "platform/file.h"

#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/error.h"

namespace platform {

bool fileSize(const std::string& path, uint64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    setLastError(GetLastError());
    return false;
  }
  const bool directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  *size = directory ? 0 : (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

namespace {

class Win32AppendFile final : public AppendFile {
 public:
  explicit Win32AppendFile(int fd) : fd_(fd) {}
  ~Win32AppendFile() override { _close(fd_); }
  Win32AppendFile(const Win32AppendFile&) = delete;
  Win32AppendFile& operator=(const Win32AppendFile&) = delete;

  bool append(const char* const* parts, const size_t* lengths, size_t count) override {
    // One write for the whole: the runtime turns its line feeds into CR LF as it goes.
    std::string whole;
    for (size_t i = 0; i < count; ++i) whole.append(parts[i], lengths[i]);
    size_t done = 0;
    while (done < whole.size()) {
      const size_t chunk = std::min<size_t>(whole.size() - done, INT_MAX / 2);
      const int written = _write(fd_, whole.data() + done, static_cast<unsigned>(chunk));
      if (written <= 0) {
        setLastError(static_cast<uint32_t>(GetLastError()));
        return false;
      }
      done += static_cast<size_t>(written);
    }
    return true;
  }

  bool syncData() override {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd_));
    if (handle == INVALID_HANDLE_VALUE || !FlushFileBuffers(handle)) {
      setLastError(GetLastError());
      return false;
    }
    return true;
  }

 private:
  const int fd_;
};

}  // namespace

std::unique_ptr<AppendFile> AppendFile::open(const std::string& path, std::string* reason) {
  const int fd = _open(path.c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_TEXT | _O_NOINHERIT,
                       _S_IREAD | _S_IWRITE);
  if (fd < 0) {
    *reason = std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<Win32AppendFile>(fd);
}

ReadFileResult readRegularFile(const std::string& path, uint64_t maxBytes, std::string* text) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    setLastError(GetLastError());
    return ReadFileResult::kNotFound;
  }
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
    return ReadFileResult::kNotRegular;
  }
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    setLastError(GetLastError());
    return ReadFileResult::kNotFound;
  }
  ReadFileResult result = ReadFileResult::kRead;
  LARGE_INTEGER size;
  if (GetFileType(file) != FILE_TYPE_DISK) {
    result = ReadFileResult::kNotRegular;  // a console, a pipe, a serial line
  } else if (!GetFileSizeEx(file, &size)) {
    setLastError(GetLastError());
    result = ReadFileResult::kReadError;
  } else if (static_cast<uint64_t>(size.QuadPart) > maxBytes) {
    result = ReadFileResult::kTooLarge;
  } else {
    std::string bytes;
    char buffer[65536];
    for (;;) {
      DWORD n = 0;
      if (!ReadFile(file, buffer, sizeof(buffer), &n, nullptr)) {
        setLastError(GetLastError());
        result = ReadFileResult::kReadError;
        break;
      }
      if (n == 0) break;
      if (bytes.size() + n > maxBytes) {
        result = ReadFileResult::kTooLarge;  // it grew since
        break;
      }
      bytes.append(buffer, n);
    }
    if (result == ReadFileResult::kRead) *text = std::move(bytes);
  }
  CloseHandle(file);
  return result;
}

}  // namespace platform
