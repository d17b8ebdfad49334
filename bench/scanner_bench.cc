// Scanner throughput on large generated scripts: comment and blank lines (the rules alone), echo
// lines (rules plus the output layer, written to /dev/null), and a mix with skipped bytes and
// option items. Prints MB/s per kind.
//
// Usage: scanner_bench [megabytes=32]
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

void measure(const char* name, const std::string& text, CCanonCamera* camera) {
  platform::Event stop(true, false);
  script_testing::FakeScriptClock clock(0);
  CQuorvaleScriptParser parser(camera, nullptr, nullptr, &stop, &clock);
  const auto start = std::chrono::steady_clock::now();
  const std::string end = script_testing::runScript(&parser, text);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-28s %7.1f MB in %6.3f s: %8.1f MB/s (%s)\n", name, text.size() / 1e6, seconds,
              text.size() / 1e6 / seconds, end.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const size_t bytes = static_cast<size_t>(argc > 1 ? std::atoi(argv[1]) : 32) * 1000000;
  FILE* sink = std::fopen("/dev/null", "w");
  setOutputStreamsForTest(sink, sink);
  CCanonCamera camera(nullptr, nullptr);  // no session: camera commands are not measured here

  measure("comments and blank lines",
          generate("// a comment line of a typical length, with some words in it\n"
                   "\n  # another comment\n; and one more\n\n",
                   bytes),
          &camera);
  measure("echo lines to /dev/null",
          generate("echo Partial phase, frame taken; next one in five minutes\n", bytes), &camera);
  measure("mixed (items, skips, waits)",
          generate("set shottime=450 mul=1.5 bufsize=5\n// note\nwait sleep=0\nfoo\n"
                   "echo step\n\n",
                   bytes / 8),
          &camera);
  setOutputStreamsForTest(nullptr, nullptr);
  return 0;
}
