#include "app/script_file.h"

#include <inttypes.h>

#include <cstring>
#include <memory>
#include <new>

#include "output/output.h"
#include "platform/error.h"
#include "platform/file.h"

namespace {

constexpr char kStdinName[] = "<stdin>";

bool sizeAccepted(const char* name, uint64_t size) {
  if (size < kMinScriptSize) {
    printErr("File '%s' too small: %" PRIu64 " bytes only\n", name, size);
    return false;
  }
  if (size > kMaxScriptSize) {
    printErr("File '%s' too large: %" PRIu64 " bytes\n", name, size);
    return false;
  }
  return true;
}

// Makes room for |size| bytes plus the appended line feed and the two end bytes that the scan
// appends in place; reports failure.
bool reserveText(const char* name, uint64_t size, std::string* buffer) {
  try {
    buffer->reserve(static_cast<size_t>(size) + 1024);
  } catch (const std::exception&) {
    printErr("Not enough memory to read file '%s'\n", name);
    return false;
  }
  return true;
}

struct FileCloser {
  void operator()(FILE* file) const { fclose(file); }
};

}  // namespace

bool readScriptFile(const std::string& path, std::optional<std::string>* text) {
  const char* name = path.c_str();
  uint64_t size = 0;
  if (!platform::fileSize(path, &size)) {
    const uint32_t error = platform::lastError();
    char caption[1024];
    snprintf(caption, sizeof(caption), "File '%s' not found", name);
    printSysError(caption, error);
    return false;
  }
  if (!sizeAccepted(name, size)) return false;

  std::string buffer;
  if (!reserveText(name, size, &buffer)) return false;
  std::unique_ptr<FILE, FileCloser> file(fopen(name, "rb"));
  if (file == nullptr) {
    printErr("Can't open file '%s'\n", name);
    return false;
  }
  buffer.resize(static_cast<size_t>(size));
  size_t done = 0;
  while (done < buffer.size()) {
    const size_t n = fread(&buffer[done], 1, buffer.size() - done, file.get());
    if (n == 0) {
      printErr("Error while read file '%s'\n", name);
      return false;
    }
    done += n;
  }
  buffer.push_back('\n');
  *text = std::move(buffer);
  return true;
}

bool readScriptStream(FILE* stream, std::optional<std::string>* text) {
  std::string buffer;
  char chunk[65536];
  for (;;) {
    const size_t n = fread(chunk, 1, sizeof(chunk), stream);
    if (n == 0) break;
    if (buffer.size() + n > kMaxScriptSize) {
      // Stop reading: what has come is already more than a script may hold.
      return sizeAccepted(kStdinName, buffer.size() + n);
    }
    try {
      buffer.append(chunk, n);
    } catch (const std::exception&) {
      printErr("Not enough memory to read file '%s'\n", kStdinName);
      return false;
    }
  }
  if (ferror(stream)) {
    printErr("Error while read file '%s'\n", kStdinName);
    return false;
  }
  if (buffer.empty()) {
    text->reset();
    return true;
  }
  if (!sizeAccepted(kStdinName, buffer.size())) return false;
  if (!reserveText(kStdinName, buffer.size(), &buffer)) return false;
  buffer.push_back('\n');
  *text = std::move(buffer);
  return true;
}
