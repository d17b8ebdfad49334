// Sessions with a real-camera body through libgphoto2's virtual USB camera: the program against a
// plain libgphoto2 program (gphoto2_plain_session) in the same run.
//  - info mode: "quorvale -camera 0" against the plain program's open, read and close;
//  - a script's session open and close: a script without commands, against the same;
//  - shot completion: the program's takePicture (from taking the shot's buffer to "Shot #n: ok",
//    from its log) against the plain program's trigger to capture-complete event.
// Targets: the first two within 1.5 times the plain program's median, shots within its median
// plus 5 ms. Prints medians and ratios; exit code 1 when a target is missed.
//
// The virtual body hands out an event as soon as a wait's window reaches the event's due time, so
// a program that waits in longer windows sees it earlier than it is due (up to a window early).
// The shot target is therefore measured against the plain program waiting in the windows of the
// program's own poller; the plain program with libgphoto2's sample windows (100 ms) is shown too.
//
// Usage: QUORVALE_VUSB=<prefix of tools/vusb_build.sh> gphoto2_session_bench [rounds=10]
// Without QUORVALE_VUSB it says so and ends with 0.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "camera/gphoto2/gphoto2_session.h"
#include "platform/child_process.h"
#include "tests/e2e/virtual_camera.h"

namespace {

namespace fs = std::filesystem;

constexpr int kShotsPerRun = 10;

struct Run {
  bool ok = false;
  double ms = 0;
  std::string out;
};

Run runProgram(const std::string& program, const std::vector<std::string>& arguments,
               const e2e::VirtualCamera& camera, const std::string& directory) {
  platform::ChildProcess::Options options;
  options.program = program;
  options.arguments = arguments;
  options.workingDirectory = directory;
  options.environment = camera.environment();
  Run run;
  const auto start = std::chrono::steady_clock::now();
  std::unique_ptr<platform::ChildProcess> child = platform::ChildProcess::start(options);
  if (child == nullptr) return run;
  int code = -1;
  run.ok = child->wait(60000, &code) && code == 0;
  run.ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  run.out = child->standardOutput();
  if (!run.ok)
    std::fprintf(stderr, "%s failed (%d): %s", program.c_str(), code,
                 child->standardError().c_str());
  return run;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Milliseconds of the day of a log line's "HH:MM:SS.mmm" stamp.
double stampMs(const std::smatch& m, int first) {
  return ((std::stod(m[first]) * 60 + std::stod(m[first + 1])) * 60 + std::stod(m[first + 2])) *
             1000 +
         std::stod(m[first + 3]);
}

// The program's shot times from its log: each takePicture from its buffer to "Shot #n: ok".
void shotTimes(const std::string& log, std::vector<double>* out) {
  static const std::regex kLine("(\\d\\d):(\\d\\d):(\\d\\d)\\.(\\d\\d\\d) (TRC|MSG): (.*)");
  std::istringstream lines(log);
  std::string line;
  double start = -1;
  while (std::getline(lines, line)) {
    std::smatch m;
    if (!std::regex_match(line, m, kLine)) continue;
    const std::string text = m[6];
    if (text.rfind("AllocCameraBuffer successful", 0) == 0) {
      start = stampMs(m, 1);
    } else if (text.rfind("Shot #", 0) == 0 && start >= 0) {
      out->push_back(stampMs(m, 1) - start);
      start = -1;
    }
  }
}

bool report(const char* name, double plain, double ours, bool ratio, double target) {
  const bool met = ratio ? ours <= plain * target : ours <= plain + target;
  if (ratio) {
    std::printf("%-22s plain %7.1f ms  ours %7.1f ms  ratio %5.2f (target <= %.1f)  %s\n", name,
                plain, ours, ours / plain, target, met ? "met" : "MISSED");
  } else {
    std::printf("%-22s plain %7.1f ms  ours %7.1f ms  %+6.1f ms (target <= +%.0f ms)  %s\n", name,
                plain, ours, ours - plain, target, met ? "met" : "MISSED");
  }
  return met;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  e2e::VirtualCamera camera;
  if (!camera.available()) {
    std::printf("gphoto2_session_bench skipped: %s\n", camera.skipReason().c_str());
    return 0;
  }
  // The program writes its log beside itself: it runs from a directory of its own.
  const fs::path dir =
      fs::temp_directory_path() / ("quorvale_bench_" + std::to_string(std::random_device()()));
  fs::create_directories(dir);
  const std::string ours = (dir / "quorvale").string();
  fs::copy_file(QUORVALE_BINARY, ours, fs::copy_options::overwrite_existing);
  std::ofstream(dir / "empty.qvs") << "#!quorvale\n";
  std::string shots = "#!quorvale\n";
  for (int i = 0; i < kShotsPerRun; ++i) shots += "shot\n";
  std::ofstream(dir / "shots.qvs") << shots;

  const std::string pollMs = std::to_string(PollSettings().pollTimeoutMs);
  std::vector<double> plainInfo, oursInfo, oursScript, plainShots, sampleShots, oursShots;
  bool ok = true;
  for (int round = 0; round < rounds && ok; ++round) {
    Run plain = runProgram(GPHOTO2_PLAIN_BINARY, {"info"}, camera, dir.string());
    Run info = runProgram(ours, {"-camera", "0"}, camera, dir.string());
    Run script = runProgram(ours, {"-script", "empty.qvs"}, camera, dir.string());
    const std::string n = std::to_string(kShotsPerRun);
    Run plainShot = runProgram(GPHOTO2_PLAIN_BINARY, {"shots", n, pollMs}, camera, dir.string());
    Run sampleShot = runProgram(GPHOTO2_PLAIN_BINARY, {"shots", n}, camera, dir.string());
    fs::remove(dir / "quorvale.log");
    Run shot = runProgram(ours, {"-script", "shots.qvs", "-log"}, camera, dir.string());
    ok = plain.ok && info.ok && script.ok && plainShot.ok && sampleShot.ok && shot.ok;
    plainInfo.push_back(plain.ms);
    oursInfo.push_back(info.ms);
    oursScript.push_back(script.ms);
    std::istringstream times(plainShot.out);
    for (double us; times >> us;) plainShots.push_back(us / 1000);
    std::istringstream sampleTimes(sampleShot.out);
    for (double us; sampleTimes >> us;) sampleShots.push_back(us / 1000);
    std::ifstream logFile(dir / "quorvale.log");
    std::stringstream log;
    log << logFile.rdbuf();
    shotTimes(log.str(), &oursShots);
  }
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  if (!ok) return 1;

  std::printf("gphoto2 sessions on the virtual USB camera, %d rounds, medians\n", rounds);
  bool met = report("info mode", median(plainInfo), median(oursInfo), true, 1.5);
  met = report("script open+close", median(plainInfo), median(oursScript), true, 1.5) && met;
  met = report("shot completion", median(plainShots), median(oursShots), false, 5) && met;
  std::printf(
      "  (plain waits in %s ms windows as the program's poller does; in libgphoto2's "
      "sample windows of 100 ms it sees capture-complete after %.1f ms)\n",
      pollMs.c_str(), median(sampleShots));
  return met ? 0 : 1;
}
