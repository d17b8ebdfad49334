// The user prompt on Windows: a message box (OK button, warning icon, system-modal, brought to the
// foreground) owned by the console's window. The stop event is watched by a helper thread, which
// closes the box when it is set.
//
// With test descriptors the prompt is text on C runtime descriptors instead (as on a terminal):
// the watcher then cancels the blocked read.
#include <io.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "platform/event.h"
#include "platform/user_prompt.h"

namespace platform {
namespace {

constexpr char kHint[] = "[Press Enter to continue]\n";
constexpr UINT kBoxStyle = MB_OK | MB_ICONWARNING | MB_SYSTEMMODAL | MB_SETFOREGROUND;
// While a stop waits for the box (or the read) to appear, the watcher looks again this often.
constexpr uint32_t kRetryMs = 20;

std::atomic<int> g_testInputFd{-1};
std::atomic<int> g_testOutputFd{-1};

BOOL CALLBACK closeWindow(HWND window, LPARAM) {
  PostMessageA(window, WM_CLOSE, 0, 0);
  return TRUE;
}

// Until it is destroyed, calls |interrupt| every kRetryMs once |stop| is set; stopped() tells
// whether it did.
class StopWatcher {
 public:
  template <typename Interrupt>
  StopWatcher(Event* stop, Interrupt interrupt) : done_(true, false) {
    if (stop == nullptr) return;
    thread_ = std::thread([this, stop, interrupt] {
      Waitable* objects[] = {stop, &done_};
      if (waitAny(objects, 2, kInfinite) != kWaitObject0) return;
      stopped_.store(true);
      do {
        interrupt();
      } while (done_.wait(kRetryMs) == kWaitTimeout);
    });
  }
  ~StopWatcher() { finish(); }
  StopWatcher(const StopWatcher&) = delete;
  StopWatcher& operator=(const StopWatcher&) = delete;

  void finish() {
    done_.set();
    if (thread_.joinable()) thread_.join();
  }
  bool stopped() const { return stopped_.load(); }

 private:
  Event done_;
  std::atomic<bool> stopped_{false};
  std::thread thread_;
};

bool messageBoxPrompt(const std::string& caption, const std::string& text, Event* stop) {
  const DWORD threadId = GetCurrentThreadId();
  StopWatcher watcher(stop, [threadId] { EnumThreadWindows(threadId, &closeWindow, 0); });
  MessageBoxA(GetConsoleWindow(), text.c_str(), caption.c_str(), kBoxStyle);
  watcher.finish();
  return !watcher.stopped();
}

void writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const int n = _write(fd, text.data() + done, static_cast<unsigned>(text.size() - done));
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

bool descriptorPrompt(const std::string& caption, const std::string& text, Event* stop, int inputFd,
                      int outputFd) {
  writeAll(outputFd, caption + "\n" + text + "\n" + kHint);
  HANDLE thread = nullptr;
  DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &thread, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  StopWatcher watcher(stop, [thread] { CancelSynchronousIo(thread); });
  for (;;) {
    if (watcher.stopped()) break;
    char byte;
    // One byte at a time, so that a later prompt finds the rest of the input.
    const int n = _read(inputFd, &byte, 1);
    if (watcher.stopped()) break;
    if (n <= 0 || byte == '\n') break;  // a line end, the end of input or a failed input answers
  }
  watcher.finish();
  if (thread != nullptr) CloseHandle(thread);
  return !watcher.stopped();
}

}  // namespace

bool promptUser(const std::string& caption, const std::string& text, Event* stop) {
  if (stop != nullptr && stop->wait(0) == kWaitObject0) return false;
  const int inputFd = g_testInputFd.load();
  const int outputFd = g_testOutputFd.load();
  if (inputFd >= 0 && outputFd >= 0) {
    return descriptorPrompt(caption, text, stop, inputFd, outputFd);
  }
  return messageBoxPrompt(caption, text, stop);
}

void setPromptDescriptorsForTest(int inputFd, int outputFd) {
  g_testInputFd.store(inputFd);
  g_testOutputFd.store(outputFd);
}

}  // namespace platform
