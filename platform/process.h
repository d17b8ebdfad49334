// Facts about the running process and its threads.
//
// Thread safety: every function may be called from any thread.
#ifndef QUORVALE_PLATFORM_PROCESS_H_
#define QUORVALE_PLATFORM_PROCESS_H_

#include <cstdint>
#include <string>

namespace platform {

// The full path of the running executable, or an empty text when it cannot be found.
std::string executablePath();

// The directory of the running executable with its trailing separator, or an empty text when the
// executable's path cannot be found.
std::string executableDirectory();

// Raises the calling thread to the highest scheduling priority the system grants (real-time FIFO
// when permitted). Returns false, with lastError() set, when the system refuses; the thread then
// keeps its priority.
bool raiseCurrentThreadToTimeCritical();

// Gives each of the standard input, output and error that the process was started without the
// null device, so that nothing the program opens later takes its place (a log file or a serial
// line must never receive console text). Call first thing in main, before anything is opened.
void ensureStandardStreams();

// The most memory the process has held in RAM at once so far (its peak resident set), in bytes;
// 0 where the system does not tell.
uint64_t peakMemoryBytes();

// Ends the process at once with |code|: no destructors, no exit handlers, no stream flushing.
[[noreturn]] void exitProcessNow(int code);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_PROCESS_H_
