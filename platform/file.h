// Files by path: the facts the program checks before reading a file, and the append-only file the
// log is written to.
//
// Thread safety: the free functions may be called from any thread. An AppendFile may be written
// and synced from different threads at once (the system orders them); its destruction must not
// overlap either.
#ifndef QUORVALE_PLATFORM_FILE_H_
#define QUORVALE_PLATFORM_FILE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Stores the size in bytes of the file at |path| and returns true when it exists; anything that is
// not a regular file (a directory, a device) counts as size 0. Returns false, with lastError() set,
// when the path cannot be examined.
bool fileSize(const std::string& path, uint64_t* size);

// A text file opened for appending, written without a buffer of the program's own: what append()
// has returned is with the system, so it stays in the file when the process is killed or crashes;
// syncData() asks the system to put it on the disk, so it survives a power cut as well.
// Line feeds are written as the system's line ends (CR LF on Windows).
class AppendFile {
 public:
  // Opens |path| for appending, creating it when missing (readable and writable as the user's file
  // mask allows); what the file holds stays. Returns null when it cannot, with |reason| set to the
  // C runtime's text for the failure (as fopen's failure would give it).
  static std::unique_ptr<AppendFile> open(const std::string& path, std::string* reason);

  virtual ~AppendFile() = default;  // closes the file

  // Appends the |count| texts |parts| (|lengths| bytes each) as one write of the system, so that
  // writes of other processes do not come between them. Returns false when the system did not take
  // them all (a full disk); what it took stays.
  virtual bool append(const char* const* parts, const size_t* lengths, size_t count) = 0;

  // Waits until what was appended is on the disk (fdatasync; FlushFileBuffers on Windows). Returns
  // false when the system reports a failure.
  virtual bool syncData() = 0;
};

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
