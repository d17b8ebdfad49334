// The output layer: console streams, the log file and the one lock over both.
#include "output/output.h"

#include <atomic>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "mt/mt_critical_section.h"
#include "mt/mt_locker.h"
#include "output/log_syncer.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/file.h"
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
  // Changed only with outputLock and logLock held; read with either. The syncer, when there is
  // one, syncs logFile and is stopped before logFile goes.
  std::unique_ptr<platform::AppendFile> logFile;
  std::unique_ptr<LogSyncer> syncer;
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
    char prefix[32];
    const int prefixLength = snprintf(prefix, sizeof(prefix), "%02u:%02u:%02u.%03u %3s: ", now.hour,
                                      now.minute, now.second, now.millisecond, tagOf(kind));
    const size_t skip = (n > 1 && text[0] == '\n') ? 1 : 0;
    const char* parts[] = {prefix, text + skip, "\n"};
    const size_t lengths[] = {prefixLength > 0 ? static_cast<size_t>(prefixLength) : 0, n - skip,
                              text[n - 1] != '\n' ? size_t{1} : size_t{0}};
    std::lock_guard<std::mutex> logLock(s.logLock);
    s.logFile->append(parts, lengths, 3);  // a write error is ignored, as on the console
    if (s.syncer != nullptr) s.syncer->wrote();
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
  std::string reason;
  std::unique_ptr<platform::AppendFile> file = platform::AppendFile::open(path, &reason);
  if (file == nullptr) {
    outputPrintf(Error, "Log file '%s' not open: %s\n", path.c_str(), reason.c_str());
    return;
  }
  std::unique_ptr<LogSyncer> syncer = LogSyncer::start(file.get());
  {
    std::lock_guard<std::mutex> logLock(s.logLock);
    s.logFile = std::move(file);
    s.syncer = std::move(syncer);
  }
  writeBanner("\nOpen log file at %04u-%02u-%02u %02u:%02u:%02u\n");
  if (s.syncer == nullptr) {
    outputText(Trace, "Log file: no thread to sync it, it reaches the disk when it is closed\n");
  }
}

void closeLogFile() {
  OutputState& s = state();
  CMtLocker lock(&s.outputLock);
  if (s.logFile == nullptr) return;
  writeBanner("\nClose log file at %04u-%02u-%02u %02u:%02u:%02u\n");
  std::unique_ptr<platform::AppendFile> file;
  std::unique_ptr<LogSyncer> syncer;
  {
    std::lock_guard<std::mutex> logLock(s.logLock);
    file = std::move(s.logFile);
    syncer = std::move(s.syncer);
  }
  syncer.reset();    // its last sync done, it no longer uses the file
  file->syncData();  // what came after that sync; a failure is ignored
}

void flushLogFile() {
  OutputState& s = state();
  // Every line is with the system once written; only a write in progress is waited for.
  std::lock_guard<std::mutex> logLock(s.logLock);
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
