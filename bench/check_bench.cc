// How long "-check" takes for a script of a thousand lines: settings, shots, flashes, sounds, all
// kinds of waits and comments, on the simulated body. The check runs in process as the program
// runs it (the report goes to /dev/null). Prints the median and the slowest of the runs.
//
// Usage: check_bench [runs=20] [lines=1000]
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

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
  const int lines = argc > 2 ? std::atoi(argv[2]) : 1000;
  const std::string path = "/tmp/quorvale_check_bench.qvs";
  std::ofstream(path) << generate(lines);
  FILE* null = std::fopen("/dev/null", "w");
  setOutputStreamsForTest(null, null);
  if (std::freopen("/dev/null", "w", stdout) == nullptr) return 1;

  std::vector<double> ms;
  int code = 0;
  for (int i = 0; i < runs; ++i) {
    ProgramOptions options;
    options.mode = RunMode::Script;
    options.scriptPath = path;
    options.simulated = true;
    options.check = true;
    options.comPortPath = "/dev/null";
    Rehearsal rehearsal;
    if (!rehearsal.prepare(options)) return 1;
    const auto start = std::chrono::steady_clock::now();
    code = runCheckMode(&options, rehearsal);
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count());
  }
  std::sort(ms.begin(), ms.end());
  std::fprintf(stderr, "check of %d lines, %d runs: median %.1f ms, slowest %.1f ms (exit %d)\n",
               lines, runs, ms[ms.size() / 2], ms.back(), code);
  std::remove(path.c_str());
  return 0;
}
