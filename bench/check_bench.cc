// How long "-check" takes for a script of a thousand lines: settings, shots, flashes, sounds, all
// kinds of waits and comments, on the simulated body. The check runs in process as the program
// runs it (the report goes to /dev/null). Prints the median and the slowest of the runs; then
// checks a script of a million lines of the same kind once and prints its time and the process's
// peak memory (the check's time and memory grow in proportion to the lines: aim under 10 s and
// 300 MB for the million).
//
// Usage: check_bench [runs=20] [lines=1000] [long lines=1000000; 0: none]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/check_mode.h"
#include "app/program_options.h"
#include "app/rehearsal.h"
#include "output/output.h"
#include "platform/process.h"

namespace {

std::string generate(int lines) {
  static const char* const kLines[] = {
      "set tv=1/250 av=8 iso=100\n",
      "shot tv=1/1000\n",
      "wait point=%d\n",
      "// a comment line\n",
      "comflash\n",
      "echo progress\n",
      "shot\n",
      "wait sleep=0.5\n",
      "set quality=RAW+L\n",
      "checkpoint\n",
  };
  std::string text = "A generated script.\n#!quorvale\nwait utc=2030-06-01T10:00:00\ncheckpoint\n";
  int point = 0;
  for (int i = 0; i < lines; ++i) {
    const char* line = kLines[i % 10];
    if (std::string(line).find("%d") != std::string::npos) {
      point += 30;
      text += "wait point=" + std::to_string(point) + "\n";
    } else if (std::string(line) == "checkpoint\n") {
      point = 0;
      text += line;
    } else {
      text += line;
    }
  }
  return text;
}

// Checks the script at |path| once; returns its time in milliseconds and the exit code.
double checkOnce(const std::string& path, int* code) {
  ProgramOptions options;
  options.mode = RunMode::Script;
  options.scriptPath = path;
  options.simulated = true;
  options.check = true;
  options.comPortPath = "/dev/null";
  Rehearsal rehearsal;
  if (!rehearsal.prepare(options)) std::exit(1);
  const auto start = std::chrono::steady_clock::now();
  *code = runCheckMode(&options, rehearsal);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
  const int lines = argc > 2 ? std::atoi(argv[2]) : 1000;
  const int longLines = argc > 3 ? std::atoi(argv[3]) : 1000000;
  const std::string path = "/tmp/quorvale_check_bench.qvs";
  FILE* null = std::fopen("/dev/null", "w");
  setOutputStreamsForTest(null, null);
  if (std::freopen("/dev/null", "w", stdout) == nullptr) return 1;

  std::ofstream(path) << generate(lines);
  std::vector<double> ms;
  int code = 0;
  for (int i = 0; i < runs; ++i) ms.push_back(checkOnce(path, &code));
  std::sort(ms.begin(), ms.end());
  if (!ms.empty()) {
    std::fprintf(stderr, "check of %d lines, %d runs: median %.1f ms, slowest %.1f ms (exit %d)\n",
                 lines, runs, ms[ms.size() / 2], ms.back(), code);
  }
  if (longLines > 0) {
    std::ofstream(path) << generate(longLines);
    const double longMs = checkOnce(path, &code);
    std::fprintf(stderr, "check of %d lines, 1 run: %.1f s, peak memory %.0f MB (exit %d)\n",
                 longLines, longMs / 1000.0, platform::peakMemoryBytes() / 1e6, code);
  }
  std::remove(path.c_str());
  return 0;
}
