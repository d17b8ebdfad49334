// Windows implementation of the file facts: GetFileAttributesExA.
#include "platform/file.h"

#include <windows.h>

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
