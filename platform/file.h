// Files by path: the facts the program checks before reading a file.
//
// Thread safety: every function may be called from any thread.
#ifndef QUORVALE_PLATFORM_FILE_H_
#define QUORVALE_PLATFORM_FILE_H_

#include <cstdint>
#include <string>

namespace platform {

// Stores the size in bytes of the file at |path| and returns true when it exists; anything that is
// not a regular file (a directory, a device) counts as size 0. Returns false, with lastError() set,
// when the path cannot be examined.
bool fileSize(const std::string& path, uint64_t* size);

enum class ReadFileResult {
  kRead,        // *text holds the whole file
  kNotFound,    // the path cannot be opened or examined; lastError() says why
  kNotRegular,  // a directory, a device, a pipe: nothing was read from it
  kTooLarge,    // more than the bytes allowed, whatever the file's size claimed
  kReadError,   // reading failed; lastError() says why
};

// Reads the regular file at |path|, at most |maxBytes| bytes, into |text|. The file is opened
// without blocking (a FIFO neither blocks nor is read) and looked at through its open handle, so
// what is read is what was checked; no more than |maxBytes| + 1 bytes are ever read.
ReadFileResult readRegularFile(const std::string& path, uint64_t maxBytes, std::string* text);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_FILE_H_
