// Scanner throughput: the time per MB of script for short lines and for single long lines, in the
// same run, so that a scan whose time grows faster than the text shows at once (the long-line
// figures then run away from the short-line ones). Short lines: comment and blank lines (the
// rules alone), echo lines (rules plus the output layer, written to /dev/null) and a mix with
// skipped bytes and option items. Long lines: one comment line and one echo line of the given size,
// the echo line also through a stream (switch_streams) instead of in place, and a run of blanks
// that starts no rule (each blank reported on its own; a sixteenth of the long-line size).
//
// Usage: scanner_bench [short-line megabytes=32] [long-line megabytes=16]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "camera/canon_camera.h"
#include "output/output.h"
#include "platform/event.h"
#include "script/script_parser.h"
#include "script/script_test_support.h"

namespace {

std::string generate(const std::string& lines, size_t bytes) {
  std::string text = "#!quorvale\n";
  text.reserve(bytes + lines.size());
  while (text.size() < bytes) text += lines;
  return text;
}

std::string longLine(const std::string& head, size_t bytes) {
  return "#!quorvale\n" + head + std::string(bytes, 'x') + "\necho done\n";
}

void measure(const char* name, const std::string& text, CCanonCamera* camera,
             bool fromStream = false) {
  platform::Event stop(true, false);
  script_testing::FakeScriptClock clock(0);
  CQuorvaleScriptParser parser(camera, nullptr, nullptr, &stop, &clock);
  std::istringstream input(text);
  const auto start = std::chrono::steady_clock::now();
  std::string end = "end";
  if (fromStream) {
    parser.switch_streams(&input, nullptr);
    parser.yylex();
  } else {
    end = script_testing::runScript(&parser, text);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double mb = text.size() / 1e6;
  std::printf("%-30s %7.1f MB in %7.3f s: %8.2f ms/MB %8.1f MB/s (%s)\n", name, mb, seconds,
              seconds * 1e3 / mb, mb / seconds, end.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const size_t bytes = static_cast<size_t>(argc > 1 ? std::atoi(argv[1]) : 32) * 1000000;
  const size_t longBytes = static_cast<size_t>(argc > 2 ? std::atoi(argv[2]) : 16) * 1000000;
  FILE* sink = std::fopen("/dev/null", "w");
  setOutputStreamsForTest(sink, sink);
  CCanonCamera camera(nullptr, nullptr);  // no session: camera commands are not measured here

  measure("short: comments, blank lines",
          generate("// a comment line of a typical length, with some words in it\n"
                   "\n  # another comment\n; and one more\n\n",
                   bytes),
          &camera);
  measure("short: echo lines",
          generate("echo Partial phase, frame taken; next one in five minutes\n", bytes), &camera);
  measure("short: mixed (items, skips)",
          generate("set shottime=450 mul=1.5 bufsize=5\n// note\nwait sleep=0\nfoo\n"
                   "echo step\n\n",
                   bytes / 8),
          &camera);
  measure("long: one comment line", longLine("// ", longBytes), &camera);
  measure("long: one echo line", longLine("echo ", longBytes), &camera);
  measure("long: one echo line, stream", longLine("echo ", longBytes), &camera, true);
  measure("long: blanks, then a stray x",
          "#!quorvale\n" + std::string(longBytes / 16, ' ') + "x\necho done\n", &camera);
  setOutputStreamsForTest(nullptr, nullptr);
  return 0;
}
