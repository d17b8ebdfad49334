// Lateness of the script's "wait utc=" and "wait time=" commands: from the due moment to the
// moment the next command (an echo) starts printing, over many waits, side by side in the same run
// with a raw absolute wait on the platform timer as the baseline (before and after the script, so
// both see the same load). Targets: never early; median within 1.5x the baseline + 100 us; p99
// under 1 ms.
//
// With "status" as third argument the script runs on the status-line clock of a terminal run (its
// line drawn into the measured stream); it only draws for waits longer than 2 s, so give an
// interval above 2000 ms, e.g. "wait_time_bench 12 2100 status" beside "wait_time_bench 12 2100".
//
// Usage: wait_time_bench [waits=200] [interval_ms=10] [status]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/status_line.h"
#include "bench/lateness.h"
#include "camera/canon_camera.h"
#include "output/output.h"
#include "platform/clock.h"
#include "platform/clock_discipline.h"
#include "platform/event.h"
#include "platform/process.h"
#include "script/script_parser.h"
#include "script/script_test_support.h"

namespace {

std::vector<uint64_t> g_marks;  // when each "mark" line reached the output

ssize_t recordMarks(void*, const char* buffer, size_t size) {
  const uint64_t now = platform::utcNow();
  if (size >= 4 && std::memcmp(buffer, "mark", 4) == 0) g_marks.push_back(now);
  return static_cast<ssize_t>(size);
}

void print(const char* name, const bench::Summary& s) {
  std::printf("%-26s median %8.1f us  p99 %8.1f us  max %8.1f us  early %ld\n", name, s.medianUs,
              s.p99Us, s.maxUs, s.early);
}

}  // namespace

int main(int argc, char** argv) {
  const int waits = argc > 1 ? std::atoi(argv[1]) : 200;
  const uint32_t intervalMs = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[2])) : 10;
  const bool status = argc > 3 && std::strcmp(argv[3], "status") == 0;
  if (waits < 1 || intervalMs < 1) return 1;

  // As the program's script thread does; refused without the privilege, which is fine here.
  platform::raiseCurrentThreadToTimeCritical();
  std::vector<int64_t> raw;
  bench::timerBaseline(waits / 2, intervalMs, &raw);

  // The script: alternately a UTC and a local moment, each followed by the command that marks it.
  const uint64_t lead = status ? intervalMs : 200;  // a status-line run waits long from the start
  const uint64_t start =
      (platform::utcNow() / platform::kFileTimeUnitsPerMs + lead) * platform::kFileTimeUnitsPerMs;
  std::vector<uint64_t> dues;
  std::string script = "#!quorvale\n";
  for (int i = 0; i < waits; ++i) {
    const uint64_t due =
        start + static_cast<uint64_t>(i) * intervalMs * platform::kFileTimeUnitsPerMs;
    dues.push_back(due);
    if (i % 2 == 0) {
      script += "wait utc=" + bench::momentText(due) + "\n";
    } else {
      uint64_t local = 0;
      platform::utcToLocalFileTime(due, &local);
      script += "wait time=" + bench::momentText(local) + "\n";
    }
    script += "echo mark\n";
  }

  cookie_io_functions_t functions{nullptr, recordMarks, nullptr, nullptr};
  FILE* marks = fopencookie(nullptr, "w", functions);
  std::setvbuf(marks, nullptr, _IONBF, 0);
  FILE* sink = std::fopen("/dev/null", "w");
  setOutputStreamsForTest(marks, sink);
  {
    CCanonCamera camera(nullptr, nullptr);
    platform::Event stop(true, false);
    StatusLineClock statusClock(systemScriptClock(), platform::readClockDiscipline(), 80);
    CQuorvaleScriptParser parser(&camera, nullptr, nullptr, &stop, status ? &statusClock : nullptr);
    statusClock.setParser(&parser);
    script_testing::runScript(&parser, script);
  }
  setOutputStreamsForTest(nullptr, nullptr);

  bench::timerBaseline(waits - waits / 2, intervalMs, &raw);

  if (g_marks.size() != dues.size()) {
    std::printf("expected %zu marks, saw %zu\n", dues.size(), g_marks.size());
    return 1;
  }
  std::vector<int64_t> utcLate, localLate, allLate;
  for (size_t i = 0; i < dues.size(); ++i) {
    int64_t late = static_cast<int64_t>(g_marks[i] - dues[i]);
    (i % 2 == 0 ? utcLate : localLate).push_back(late);
    allLate.push_back(late);
  }
  std::printf("%d waits, %u ms apart%s\n", waits, intervalMs,
              status ? ", with the status line of a terminal" : "");
  print("raw timer (baseline)", bench::summarize(raw));
  print("wait utc= -> next command", bench::summarize(utcLate));
  print("wait time= -> next command", bench::summarize(localLate));
  const bench::Summary all = bench::summarize(allLate);
  const bench::Summary base = bench::summarize(raw);
  const bool ok =
      all.early == 0 && all.medianUs <= 1.5 * base.medianUs + 100.0 && all.p99Us < 1000.0;
  std::printf("targets (never early, median <= 1.5x baseline + 100 us, p99 < 1 ms): %s\n",
              ok ? "met" : "NOT met");
  return 0;
}
