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

}  // namespace platform

#endif  // QUORVALE_PLATFORM_FILE_H_
