// The end-to-end harness: runs the built quorvale executable as a user would and returns what a
// user would see. Each run copies the executable and the run's files into a fresh directory
// (where the log "quorvale.log" is written beside the executable), removed afterwards.
//
// Thread safety: runs are independent; call from any test thread.
#ifndef QUORVALE_TESTS_E2E_E2E_HARNESS_H_
#define QUORVALE_TESTS_E2E_E2E_HARNESS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

// One console event sent during a run: after |waitForText| has appeared on standard output or
// standard error (empty: at once), then |delayMs| later. With |afterOutputBlocks| (and
// RunOptions::outputUnread) it is sent once the program's standard output is full.
struct ConsoleStep {
  std::string waitForText;
  uint32_t delayMs = 0;
  uint32_t event = 0;  // 0 Ctrl+C, 1 Ctrl+Break, 2 close, 6 shutdown
  bool kill = false;   // instead of |event|: the program is killed at once (SIGKILL), as a crash
                       // or a power cut would end it
  bool afterOutputBlocks = false;
};

struct RunOptions {
  std::vector<std::string> arguments;
  // A program the run goes through, with its arguments, e.g. {"/usr/bin/prlimit", "--nproc=1"}:
  // it is started with the program's path and |arguments| after its own. The run's directory and
  // files are then readable by every user.
  std::vector<std::string> launcher;
  std::optional<std::string> input;                        // standard input; none: /dev/null
  std::vector<std::pair<std::string, std::string>> files;  // name (in the run's directory), bytes
  // Files copied into the run's directory: name there, path of the original.
  std::vector<std::pair<std::string, std::string>> copies;
  std::vector<ConsoleStep> steps;
  // Environment changes for the program: a value sets the variable, none removes it.
  std::vector<std::pair<std::string, std::optional<std::string>>> environment;
  uint64_t dataLimitBytes = 0;  // the program's data size limit; 0: none of its own
  bool inputStaysOpen = false;  // standard input stays open after |input| until the end
  bool outputUnread = false;    // standard output is read only after the program ended
  bool withoutOutput = false;   // started without standard output
  bool withoutError = false;    // started without standard error
  uint32_t timeoutMs = 60000;   // the program is killed after this
};

struct RunResult {
  bool finished = false;   // false: killed after the time limit, or a step's text never came
  int exitCode = -1;       // 128 + the signal number when ended by a signal
  std::string out;         // standard output
  std::string err;         // standard error
  std::string log;         // quorvale.log, empty when none was written
  std::string failedStep;  // the text a step waited for in vain
};

// The program run is the build's own, or the one named by the environment: QUORVALE_E2E_PROGRAM
// (a path), started by QUORVALE_E2E_RUNNER when set (a Windows program under Wine). The line ends
// of a Windows program's output and log are made line feeds, so that its texts compare with this
// build's byte for byte otherwise.
RunResult runQuorvale(const RunOptions& options);

// True when the program under test is a Windows program run by QUORVALE_E2E_RUNNER.
bool testsWindowsProgram();

// Shorthand for a run with arguments only.
RunResult runQuorvale(std::vector<std::string> arguments);

// A log text with every time prefix "HH:MM:SS.mmm " made "T " and every banner date and time
// "YYYY-MM-DD HH:MM:SS" made "DATE", so tests can compare whole texts.
std::string normalizeLog(const std::string& log);

// The banner and usage texts the program writes, and the simulated PTP body's session line.
extern const char kBanner[];
extern const char kUsage[];
inline const std::string kSession = "Open session with Canon EOS 5D Mark IV (simulated)\n";
constexpr size_t npos = std::string::npos;

// The text of examples/|name| in the source tree.
std::string exampleText(const std::string& name);

}  // namespace e2e

#endif  // QUORVALE_TESTS_E2E_E2E_HARNESS_H_
