// Running another program with its standard streams connected to us: the end-to-end tests use it
// to run quorvale as a user would.
//
// Ownership: the ChildProcess owns the child; destroying it kills a child still running and waits
// for it.
// Thread safety: all members may be called from any thread; output is collected by the object's
// own reader threads.
#ifndef QUORVALE_PLATFORM_CHILD_PROCESS_H_
#define QUORVALE_PLATFORM_CHILD_PROCESS_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

class ChildProcess {
 public:
  struct Options {
    std::string program;                 // path of the executable
    std::vector<std::string> arguments;  // after the program name
    std::string workingDirectory;        // empty: ours
    std::optional<std::string> input;    // standard input; none: the null device
    // Standard input stays open after |input| until the child ends (a terminal nobody types at).
    bool inputStaysOpen = false;
    // Standard output is not read until the child ends (a reader that stopped reading); see
    // waitUntilOutputBlocks().
    bool outputUnread = false;
    // The child starts without standard output or standard error.
    bool withoutOutput = false;
    bool withoutError = false;
    // Changes to our environment for the child: a name with a value sets it, without one removes
    // it. The rest of our environment is passed on.
    std::vector<std::pair<std::string, std::optional<std::string>>> environment;
    uint64_t dataLimitBytes = 0;  // the child's data size limit (heap and mappings); 0: ours
  };

  // Starts the program with default signal handling and an empty signal mask. Returns null, with
  // lastError() set, when it cannot be started.
  static std::unique_ptr<ChildProcess> start(const Options& options);

  virtual ~ChildProcess() = default;

  // Sends the console control event |code| (0 Ctrl+C, 1 Ctrl+Break, 2 close, 6 shutdown) to the
  // child. Returns false when it could not be sent.
  virtual bool sendConsoleEvent(uint32_t code) = 0;

  // Ends the child at once, as a crash or a power cut would end it: nothing of it runs after
  // (SIGKILL). Returns false when it could not be sent (the child has ended and been reaped).
  virtual bool kill() = 0;

  // Waits until |text| has appeared on the child's standard output or standard error, up to
  // |timeoutMs|. Returns whether it did.
  virtual bool waitForText(const std::string& text, uint32_t timeoutMs) = 0;

  // With Options::outputUnread: waits up to |timeoutMs| until the child's standard output is full,
  // so that its next write there waits for a reader. Returns whether it did.
  virtual bool waitUntilOutputBlocks(uint32_t timeoutMs) = 0;

  // Waits up to |timeoutMs| for the child's end and for the end of its output. Returns true with
  // the exit code (128 + the signal number for a child ended by a signal), false when it still
  // runs.
  virtual bool wait(uint32_t timeoutMs, int* exitCode) = 0;

  // Everything the child wrote so far.
  virtual std::string standardOutput() = 0;
  virtual std::string standardError() = 0;
};

}  // namespace platform

#endif  // QUORVALE_PLATFORM_CHILD_PROCESS_H_
