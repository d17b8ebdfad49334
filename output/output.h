// The output layer: every message of the program after start-up goes through here.
//
// Each message has a kind that picks its console stream and its tag in the optional log file
// "quorvale.log" beside the executable:
//   Msg -> standard output, "MSG"; Warn -> standard error, "WRN"; Error -> standard error, "ERR";
//   Debug, Debug2 -> log only, "DBG"; Trace -> log only, "TRC"; any higher kind -> log only, "???".
// Console text is written unchanged and flushed per message; the log gets a local-time prefix
// "HH:MM:SS.mmm TAG: " per message. Each log message reaches the system with one write as it is
// issued, so a program that is killed or crashes keeps every line it wrote; a thread of the log's
// own syncs the file to the disk soon after (at once after a quiet spell, then at most once a
// second: log_syncer.h), so a power cut takes at most the last second. Nothing that prints waits
// for the disk.
//
// Thread safety: every operation may be called from any thread. One recursive lock is held across
// the console write and the log write of a message, so messages never interleave. The lock is
// taken last: callers may hold other locks, but nothing else is locked while it is held (except
// the log file's own lock around the log write, which flushLogFile() takes alone, and under it
// for a moment the syncer's).
#ifndef QUORVALE_OUTPUT_OUTPUT_H_
#define QUORVALE_OUTPUT_OUTPUT_H_

#include <cstdint>
#include <cstdio>

enum OutputKind : uint32_t {
  Msg = 0,
  Warn = 1,
  Error = 2,
  Debug = 3,
  Debug2 = 4,
  Trace = 5,
};

// Writes |text| (NUL-terminated, may be null) as one message of |kind|. An empty text writes
// nothing anywhere.
void outputText(uint32_t kind, const char* text);

// Formats with printf rules into a 1024-byte buffer, then outputText(). A longer result is cut at
// 1023 bytes; when |format| ends with a line end, so does the cut text.
void outputPrintf(uint32_t kind, const char* format, ...) __attribute__((format(printf, 2, 3)));
void printMsg(const char* format, ...) __attribute__((format(printf, 1, 2)));
void printErr(const char* format, ...) __attribute__((format(printf, 1, 2)));
void printTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Error printers: "%s: %s\n" of kind Error with |text| and the readable text of |code|: the
// system's message (platform::errorText), the sound device's message (platform::soundErrorText),
// or the camera SDK's text (the function given to setSdkErrorTextSource; "Unknown error" until
// one is given).
void printSysError(const char* text, uint32_t code);
void printMciError(const char* text, uint32_t code);
void printSdkError(const char* text, uint32_t code);

// The camera layer hands its SDK error table to the output layer with this. |source| must return a
// text that lives for the whole program. Thread-safe; may be called more than once.
using SdkErrorTextSource = const char* (*)(uint32_t code);
void setSdkErrorTextSource(SdkErrorTextSource source);
// The source given last, or null.
SdkErrorTextSource sdkErrorTextSource();

// Opens "quorvale.log" beside the executable for appending (closing an open one first) and writes
// the open banner; on failure reports "Log file '%s' not open: %s\n" and goes on without a log.
// Called from the main thread only.
void openLogFile();
// Writes the close banner and closes the log; does nothing when no log is open.
void closeLogFile();

// Waits for a log write in progress, so that the log ends with whole messages, never for a
// console write (a console nobody reads may block one for ever) nor for the disk. For ending the
// process at once: every message written is with the system already.
void flushLogFile();

// True while a log file is open.
bool isLogFileOpen();

// Takes every message instead of the console and the log while installed (null removes it): a
// script check runs the script's commands and keeps what they would print. |interceptor| is
// called with the output lock held, on the thread that printed; it must not print itself.
using OutputInterceptor = void (*)(void* context, uint32_t kind, const char* text);
void setOutputInterceptor(OutputInterceptor interceptor, void* context);

// The live status line of a terminal: |text| (one line, no line end) is drawn over the current
// status line on standard output; the console is not logged. Any other console message first
// erases the status line, which stays erased until drawn again. clearStatusLine() erases it now.
// Only for a standard output that is a terminal; callers decide that.
void drawStatusLine(const char* text);
void clearStatusLine();

// Test seams: direct the console streams and the log to other files (nullptr restores stdout,
// stderr and the default log path). Not for production use.
void setOutputStreamsForTest(FILE* stdoutFile, FILE* stderrFile);
void setLogPathForTest(const char* path);

#endif  // QUORVALE_OUTPUT_OUTPUT_H_
