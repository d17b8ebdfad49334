#include "tests/e2e/e2e_harness.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <regex>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "platform/child_process.h"

namespace e2e {

const char kBanner[] = "Quorvale v0.1.2\nby the Quorvale developers\n\n";
const char kUsage[] =
    "Usage: \n"
    "    quorvale -h[epl]                      : this help message\n"
    "    quorvale [-list]                      : cameras list\n"
    "    quorvale -camera <n> [-info]          : get camera info by number\n"
    "    quorvale [-camera <n>] -script <path> \n"
    "             [-com <n>] [-log]            : run script for selected camera\n"
    "\n"
    "    -sim [<world file>]                   : use the simulated cameras (described by the "
    "file)\n"
    "    -com </dev/...>                       : flash line on a serial device given by path\n"
    "    quorvale -check [-camera <n>] [-sim] -script <path> \n"
    "             [-com <n>] [-plot <file.svg>]: check the script: plan and findings, no run\n"
    "    -plot <file.svg>                      : also draw the plan as an SVG timeline\n"
    "    exit code 4                           : -check found something to look at\n"
    "    -at <moment>, -atutc <moment>         : run the script as if the clock read <moment>\n"
    "    -speed <factor>                       : with -sim, run the script 1 to 1000 times faster\n"
    "    quorvale -eclipse [<date>] -site <lat>,<lon>[,<height m>] \n"
    "             [-elements <file>] [-deltat <s>]: the eclipse's contacts at the site\n"
    "    -site <lat>,<lon>[,<height m>]        : the site, for the eclipse's contacts\n"
    "    -site gps[:<host>[:<port>]]           : the site and GPS time from the receiver (gpsd)\n"
    "    -elements <file>                      : Besselian elements of the eclipse (NASA's form)\n"
    "    -deltat <s>                           : Delta T (TT - UT1) for the contacts, seconds\n"
    "    -at c2-60, -atutc c2-60               : the clock reads a contact +/- a duration\n"
    "    -report <file.csv>                    : write each frame and its fate to the file\n"
    "\n";

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A fresh directory of its own for one run.
fs::path makeRunDirectory() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  const fs::path base = fs::path(testing::TempDir());
  for (;;) {
    fs::path dir =
        base / ("quorvale_e2e_" + std::to_string(random()) + "_" + std::to_string(counter++));
    if (fs::create_directory(dir)) return dir;
  }
}

// The value of environment variable |name|, or an empty text.
std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The system's line ends of a Windows program's streams and log, as this build writes them.
std::string withUnixLineEnds(std::string text) {
  size_t at = 0;
  while ((at = text.find("\r\n", at)) != std::string::npos) text.erase(at, 1);
  return text;
}

}  // namespace

bool testsWindowsProgram() { return !environmentValue("QUORVALE_E2E_RUNNER").empty(); }

RunResult runQuorvale(const RunOptions& options) {
  const fs::path dir = makeRunDirectory();
  const std::string tested = environmentValue("QUORVALE_E2E_PROGRAM");
  const std::string runner = environmentValue("QUORVALE_E2E_RUNNER");
  const fs::path program =
      dir / (tested.empty() ? fs::path("quorvale") : fs::path(tested).filename());
  // Runs side by side copy and start one at a time: a child forked while another thread's copy is
  // open for writing would hold it, and the copy's exec would fail (ETXTBSY, exit 127).
  static std::mutex copyAndStart;
  std::unique_lock<std::mutex> starting(copyAndStart);
  fs::copy_file(tested.empty() ? QUORVALE_BINARY : tested, program);
  for (const auto& [name, bytes] : options.files) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
  }
  for (const auto& [name, source] : options.copies) fs::copy_file(source, dir / name);

  platform::ChildProcess::Options childOptions;
  // The command: the launcher, the runner of a Windows program, the program, its arguments.
  std::vector<std::string> command;
  if (!options.launcher.empty()) {
    // The launcher may run the program as another user: the run's files are open to everyone.
    constexpr fs::perms kOpen = fs::perms::owner_all | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec;
    fs::permissions(dir, kOpen);
    fs::permissions(program, kOpen);
    for (const auto& file : options.files) {
      fs::permissions(dir / file.first, kOpen & ~(fs::perms::group_exec | fs::perms::others_exec));
    }
    command = options.launcher;
  }
  if (!runner.empty()) command.push_back(runner);
  command.push_back(program.string());
  command.insert(command.end(), options.arguments.begin(), options.arguments.end());
  childOptions.program = command[0];
  childOptions.arguments.assign(command.begin() + 1, command.end());
  childOptions.workingDirectory = dir.string();
  childOptions.input = options.input;
  childOptions.environment = options.environment;
  childOptions.dataLimitBytes = options.dataLimitBytes;
  childOptions.inputStaysOpen = options.inputStaysOpen;
  childOptions.outputUnread = options.outputUnread;
  childOptions.withoutOutput = options.withoutOutput;
  childOptions.withoutError = options.withoutError;

  RunResult result;
  {
    std::unique_ptr<platform::ChildProcess> child = platform::ChildProcess::start(childOptions);
    starting.unlock();
    if (child == nullptr) {
      ADD_FAILURE() << "cannot start " << program;
      return result;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(options.timeoutMs);
    auto remainingMs = [&] {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      return static_cast<uint32_t>(std::max<int64_t>(0, left.count()));
    };
    bool stepsDone = true;
    for (const ConsoleStep& step : options.steps) {
      if (!step.waitForText.empty() && !child->waitForText(step.waitForText, remainingMs())) {
        result.failedStep = step.waitForText;
        stepsDone = false;
        break;
      }
      if (step.afterOutputBlocks && !child->waitUntilOutputBlocks(remainingMs())) {
        result.failedStep = "(standard output full)";
        stepsDone = false;
        break;
      }
      if (step.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(step.delayMs));
      if (step.kill) {
        child->kill();
      } else {
        child->sendConsoleEvent(step.event);
      }
    }
    result.finished = stepsDone && child->wait(remainingMs(), &result.exitCode);
    // A child still running is killed when |child| goes; what it wrote so far is kept.
    result.out = child->standardOutput();
    result.err = child->standardError();
  }
  result.log = readFile(dir / "quorvale.log");
  if (!runner.empty()) {
    result.out = withUnixLineEnds(result.out);
    result.err = withUnixLineEnds(result.err);
    result.log = withUnixLineEnds(result.log);
  }
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  return result;
}

RunResult runQuorvale(std::vector<std::string> arguments) {
  RunOptions options;
  options.arguments = std::move(arguments);
  return runQuorvale(options);
}

std::string exampleText(const std::string& name) {
  return readFile(fs::path(QUORVALE_SOURCE_DIR) / "examples" / name);
}

std::string normalizeLog(const std::string& log) {
  static const std::regex kPrefix("[0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3} ");
  static const std::regex kDate("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}");
  return std::regex_replace(std::regex_replace(log, kPrefix, "T "), kDate, "DATE");
}

}  // namespace e2e
