// The output layer: console streams, the log file and the one lock over both.
#include "output/output.h"

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <mutex>
#include <string>

#include "mt/mt_critical_section.h"
#include "mt/mt_locker.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/process.h"

namespace {

constexpr size_t kFormatBufferSize = 1024;
constexpr char kLogFileName[] = "quorvale.log";

// The program-wide output state. Created on first use (before main, by the first message or log
// operation) and deliberately never destroyed, so threads that outlive main can still write.
struct OutputState {
  CMtCriticalSection outputLock;
  // Guards the log stream's writes and its life, nothing else: it is never held across a console
  // write, so flushLogFile() cannot be kept waiting by a console nobody reads. Taken after
  // outputLock.
  std::mutex logLock;
  // Changed only with outputLock and logLock held; read with either.
  FILE* logFile = nullptr;
  // Guarded by outputLock.
  FILE* out = stdout;
  FILE* err = stderr;
  std::string logPathOverride;
  OutputInterceptor interceptor = nullptr;
  void* interceptorContext = nullptr;
  bool statusLineShown = false;
};

OutputState& state() {
  static OutputState* s = new OutputState();
  return *s;
}

// Owned by the camera layer; read without the output lock.
std::atomic<SdkErrorTextSource> g_sdkErrorTextSource{nullptr};

const char* tagOf(uint32_t kind) {
  static const char* const kTags[] = {"MSG", "WRN", "ERR", "DBG", "DBG", "TRC", "???"};
  return kTags[kind];
}

// The path of the log file: beside the executable, or what a test chose.
std::string logPath() {
  OutputState& s = state();
  if (!s.logPathOverride.empty()) return s.logPathOverride;
  return platform::executableDirectory() + kLogFileName;
}

void writeBanner(const char* format) {
  const platform::CalendarTime t = platform::localCalendarNow();
  outputPrintf(Trace, format, t.year, t.month, t.day, t.hour, t.minute, t.second);
}

// Erases the status line when one is shown. REQUIRES: outputLock held.
void eraseStatusLineLocked(OutputState& s) {
  if (!s.statusLineShown) return;
  fputs("\r\x1b[K", s.out);
  fflush(s.out);
  s.statusLineShown = false;
}

void outputVPrintf(uint32_t kind, const char* format, va_list args) {
  char buffer[kFormatBufferSize];
  // vsnprintf cuts a longer result at 1023 bytes and terminates it.
  const int length = vsnprintf(buffer, sizeof(buffer), format, args);
  if (length < 0) buffer[0] = '\0';
  // A cut message keeps its line end, so the next message starts on a line of its own.
  const size_t formatLength = strlen(format);
  if (length >= static_cast<int>(sizeof(buffer)) && formatLength > 0 &&
      format[formatLength - 1] == '\n') {
    buffer[sizeof(buffer) - 2] = '\n';
  }
  outputText(kind, buffer);
}

}  // namespace

void outputText(uint32_t kind, const char* text) {
  OutputState& s = state();
  CMtLocker lock(&s.outputLock);
  if (kind > 5) kind = 6;
  const size_t n = text != nullptr ? strlen(text) : 0;
  if (n == 0) return;
  if (s.interceptor != nullptr) {
    s.interceptor(s.interceptorContext, kind, text);
    return;
  }

  FILE* console = nullptr;
  if (kind == Msg) console = s.out;
  if (kind == Warn || kind == Error) console = s.err;
  if (console != nullptr) {
    eraseStatusLineLocked(s);
    fwrite(text, 1, n, console);
    fflush(console);
  }

  if (s.logFile != nullptr) {
    // The stamp is read only for the log: the console text of a timed step goes out first.
    const platform::CalendarTime now = platform::localCalendarNow();
    std::lock_guard<std::mutex> logLock(s.logLock);
    const char* start = (n > 1 && text[0] == '\n') ? text + 1 : text;
    fprintf(s.logFile, "%02u:%02u:%02u.%03u %3s: ", now.hour, now.minute, now.second,
            now.millisecond, tagOf(kind));
    fputs(start, s.logFile);
    if (text[n - 1] != '\n') fputc('\n', s.logFile);
  }
}

void outputPrintf(uint32_t kind, const char* format, ...) {
  va_list args;
  va_start(args, format);
  outputVPrintf(kind, format, args);
  va_end(args);
}

void printMsg(const char* format, ...) {
  va_list args;
  va_start(args, format);
  outputVPrintf(Msg, format, args);
  va_end(args);
}

void printErr(const char* format, ...) {
  va_list args;
  va_start(args, format);
  outputVPrintf(Error, format, args);
  va_end(args);
}

void printTrace(const char* format, ...) {
  va_list args;
  va_start(args, format);
  outputVPrintf(Trace, format, args);
  va_end(args);
}

void printSysError(const char* text, uint32_t code) {
  printErr("%s: %s\n", text, platform::errorText(code).c_str());
}

void printSdkError(const char* text, uint32_t code) {
  const SdkErrorTextSource source = g_sdkErrorTextSource.load();
  const char* errorText = source != nullptr ? source(code) : nullptr;
  printErr("%s: %s\n", text, errorText != nullptr ? errorText : "Unknown error");
}

void setSdkErrorTextSource(SdkErrorTextSource source) { g_sdkErrorTextSource.store(source); }

SdkErrorTextSource sdkErrorTextSource() { return g_sdkErrorTextSource.load(); }

void openLogFile() {
  OutputState& s = state();
  CMtLocker lock(&s.outputLock);
  if (s.logFile != nullptr) closeLogFile();
  const std::string path = logPath();
  FILE* file = fopen(path.c_str(), "a+t");  // text mode: the system's line ends
  {
    std::lock_guard<std::mutex> logLock(s.logLock);
    s.logFile = file;
  }
  if (file == nullptr) {
    // The C runtime's own text for its failure (errno is not a system error code everywhere).
    const std::string reason = std::strerror(errno);
    outputPrintf(Error, "Log file '%s' not open: %s\n", path.c_str(), reason.c_str());
    return;
  }
  writeBanner("\nOpen log file at %04u-%02u-%02u %02u:%02u:%02u\n");
}

void closeLogFile() {
  OutputState& s = state();
  CMtLocker lock(&s.outputLock);
  if (s.logFile == nullptr) return;
  writeBanner("\nClose log file at %04u-%02u-%02u %02u:%02u:%02u\n");
  std::lock_guard<std::mutex> logLock(s.logLock);
  fclose(s.logFile);
  s.logFile = nullptr;
}

void flushLogFile() {
  OutputState& s = state();
  std::lock_guard<std::mutex> logLock(s.logLock);
  if (s.logFile != nullptr) fflush(s.logFile);
}

bool isLogFileOpen() {
  OutputState& s = state();
  CMtLocker lock(&s.outputLock);
  return s.logFile != nullptr;
}

void setOutputInterceptor(OutputInterceptor interceptor, void* context) {
  OutputState& s = state();
  CMtLocker lock(&s.outputLock);
  s.interceptor = interceptor;
  s.interceptorContext = context;
}

void drawStatusLine(const char* text) {
  OutputState& s = state();
  CMtLocker lock(&s.outputLock);
  fprintf(s.out, "\r%s\x1b[K", text != nullptr ? text : "");
  fflush(s.out);
  s.statusLineShown = true;
}

void clearStatusLine() {
  OutputState& s = state();
  CMtLocker lock(&s.outputLock);
  eraseStatusLineLocked(s);
}

void setOutputStreamsForTest(FILE* stdoutFile, FILE* stderrFile) {
  OutputState& s = state();
  CMtLocker lock(&s.outputLock);
  s.out = stdoutFile != nullptr ? stdoutFile : stdout;
  s.err = stderrFile != nullptr ? stderrFile : stderr;
}

void setLogPathForTest(const char* path) {
  OutputState& s = state();
  CMtLocker lock(&s.outputLock);
  s.logPathOverride = path != nullptr ? path : "";
}
