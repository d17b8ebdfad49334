// Lateness of every timed wait of a script, from the moment it is due to the moment the next step
// starts, over many waits, beside the raw platform timer (a plain absolute wait, measured before
// and after the script so both see the same load):
//   wait utc=     -> the next command (an echo) starts printing
//   wait time=    -> the same, for a local moment
//   wait point=   -> the same, for a moment after the checkpoint
//   wait sleep=   -> from the "Sleep:" line to the next command, less the sleep's length
//   comflash      -> the rising edge of RTS after a wait utc= for its moment, and the falling edge
//                    after the pulse's length
// Also the script thread's processor time per wait. Targets: never early, median under 20 us,
// p99 under 200 us for every form, under 1 ms of processor time per wait. The figures depend on
// the load of the machine: note it beside them (the load averages are printed).
//
// With "status" as third argument the script runs on the status-line clock of a terminal run (its
// line drawn into the measured stream); it only draws for waits longer than 2 s, so give an
// interval above 2000 ms, e.g. "wait_time_bench 12 2100 status" beside "wait_time_bench 12 2100".
//
// Usage: wait_time_bench [waits=200] [interval_ms=10] [status]
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
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
#include "platform/serial_port.h"
#include "script/script_parser.h"
#include "script/script_test_support.h"

namespace {

constexpr int kForms = 5;  // utc, local, checkpoint, sleep, flash after utc

struct Mark {
  uint64_t at;
  bool sleep;  // a "Sleep:" line, else a "mark" line
};
std::vector<Mark> g_marks;

ssize_t recordMarks(void*, const char* buffer, size_t size) {
  const uint64_t now = platform::utcNow();
  if (size >= 4 && std::memcmp(buffer, "mark", 4) == 0) g_marks.push_back({now, false});
  if (size >= 6 && std::memcmp(buffer, "Sleep:", 6) == 0) g_marks.push_back({now, true});
  return static_cast<ssize_t>(size);
}

// The flash line: records the moments of its edges.
class RecordingLine final : public platform::SerialLine {
 public:
  bool readState() override { return true; }
  bool setRts(bool asserted) override {
    (asserted ? rises : falls).push_back(platform::utcNow());
    return true;
  }
  std::vector<uint64_t> rises, falls;
};

uint64_t threadCpuNs() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000000ULL + static_cast<uint64_t>(ts.tv_nsec);
}

std::string loadText() {
  std::ifstream in("/proc/loadavg");
  std::string a, b, c;
  in >> a >> b >> c;
  return in ? a + " " + b + " " + c : "unknown";
}

bool print(const char* name, const std::vector<int64_t>& units, bool judged) {
  const bench::Summary s = bench::summarize(units);
  const bool met = s.early == 0 && s.medianUs < 20.0 && s.p99Us < 200.0;
  std::printf("%-30s median %8.1f us  p99 %8.1f us  max %8.1f us  early %ld%s\n", name, s.medianUs,
              s.p99Us, s.maxUs, s.early, judged ? (met ? "" : "  NOT met") : "");
  return met;
}

// "1.234" seconds of |units| 100-ns units, rounded down to the millisecond.
std::string secondsText(uint64_t units) {
  char text[32];
  const uint64_t ms = units / platform::kFileTimeUnitsPerMs;
  std::snprintf(text, sizeof(text), "%llu.%03llu", static_cast<unsigned long long>(ms / 1000),
                static_cast<unsigned long long>(ms % 1000));
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const int waits = argc > 1 ? std::atoi(argv[1]) : 200;
  const uint32_t intervalMs = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[2])) : 10;
  const bool status = argc > 3 && std::strcmp(argv[3], "status") == 0;
  if (waits < kForms || intervalMs < 2) return 1;
  const int cycles = waits / kForms;
  const uint64_t unitsPerMs = platform::kFileTimeUnitsPerMs;

  // As the program's script thread does; refused without the privilege, which is fine here.
  const bool timeCritical = platform::raiseCurrentThreadToTimeCritical();
  std::printf("load averages %s; script thread %s\n", loadText().c_str(),
              timeCritical ? "time-critical (real-time priority)" : "at normal priority");
  std::vector<int64_t> raw;
  uint64_t cpu = threadCpuNs();
  bench::timerBaseline(cycles, intervalMs, &raw);
  const double rawCpuUs = (threadCpuNs() - cpu) / 1000.0 / cycles;

  // The script, one cycle of the five forms after another, each on a slot |intervalMs| apart.
  const uint64_t lead = status ? intervalMs : 200;  // a status-line run waits long from the start
  const uint64_t start = (platform::utcNow() / unitsPerMs + lead) * unitsPerMs;
  const uint64_t slot = intervalMs * unitsPerMs;
  const uint32_t shortMs = intervalMs / 2;  // the sleeps and the pulses
  std::vector<uint64_t> slots;
  std::vector<std::string> points;  // the checkpoint waits' values as written
  std::string script = "#!quorvale\nset comflashtime=" + std::to_string(shortMs) + "\n";
  for (int c = 0; c < cycles; ++c) {
    for (int f = 0; f < kForms; ++f) {
      const uint64_t due = start + static_cast<uint64_t>(c * kForms + f) * slot;
      slots.push_back(due);
      if (f == 0) script += "wait utc=" + bench::momentText(due) + "\necho mark\n";
      if (f == 1) {
        uint64_t local = 0;
        platform::utcToLocalFileTime(due, &local);
        script += "wait time=" + bench::momentText(local) + "\necho mark\n";
      }
      if (f == 2) {
        // After the checkpoint the script's start sets; that is within a few ms of now.
        points.push_back(secondsText(due - platform::utcNow()));
        script += "wait point=" + points.back() + "\necho mark\n";
      }
      if (f == 3) script += "wait sleep=" + secondsText(shortMs * unitsPerMs) + "\necho mark\n";
      if (f == 4) {
        script += "wait utc=" + bench::momentText(due) + "\ncomflash\n";
      }
    }
  }

  cookie_io_functions_t functions{nullptr, recordMarks, nullptr, nullptr};
  FILE* marks = fopencookie(nullptr, "w", functions);
  std::setvbuf(marks, nullptr, _IONBF, 0);
  FILE* sink = std::fopen("/dev/null", "w");
  setOutputStreamsForTest(marks, sink);
  RecordingLine line;
  uint64_t checkpoint = 0;
  double scriptCpuUs = 0;
  {
    CCanonCamera camera(nullptr, nullptr);
    platform::Event stop(true, false);
    StatusLineClock statusClock(systemScriptClock(), platform::readClockDiscipline(), 80);
    CQuorvaleScriptParser parser(&camera, &line, nullptr, &stop, status ? &statusClock : nullptr);
    statusClock.setParser(&parser);
    cpu = threadCpuNs();
    script_testing::runScript(&parser, script);
    scriptCpuUs = (threadCpuNs() - cpu) / 1000.0 / (cycles * kForms);
    checkpoint = parser.checkpoint();
  }
  setOutputStreamsForTest(nullptr, nullptr);

  bench::timerBaseline(cycles - cycles / 2, intervalMs, &raw);

  // Per cycle: marks for utc, local, point, then "Sleep:" and its mark; the flash's two edges.
  if (g_marks.size() != static_cast<size_t>(cycles) * 5 || line.rises.size() != size_t(cycles) ||
      line.falls.size() != size_t(cycles)) {
    std::printf("expected %d marks and %d pulses, saw %zu and %zu\n", cycles * 5, cycles,
                g_marks.size(), line.falls.size());
    return 1;
  }
  std::vector<int64_t> utcLate, localLate, pointLate, sleepLate, riseLate, fallLate;
  for (int c = 0; c < cycles; ++c) {
    const Mark* m = &g_marks[static_cast<size_t>(c) * 5];
    const uint64_t* due = &slots[static_cast<size_t>(c) * kForms];
    utcLate.push_back(static_cast<int64_t>(m[0].at - due[0]));
    localLate.push_back(static_cast<int64_t>(m[1].at - due[1]));
    // The wait's own arithmetic: the value's seconds x 10^7, truncated.
    const uint64_t pointDue =
        checkpoint +
        static_cast<uint64_t>(std::strtod(points[static_cast<size_t>(c)].c_str(), nullptr) * 1e7);
    pointLate.push_back(static_cast<int64_t>(m[2].at - pointDue));
    sleepLate.push_back(static_cast<int64_t>(m[4].at - m[3].at - shortMs * unitsPerMs));
    const uint64_t rise = line.rises[static_cast<size_t>(c)];
    riseLate.push_back(static_cast<int64_t>(rise - due[4]));
    fallLate.push_back(
        static_cast<int64_t>(line.falls[static_cast<size_t>(c)] - rise - shortMs * unitsPerMs));
  }
  std::printf("%d cycles of five waits, %u ms apart%s; sleeps and pulses of %u ms\n", cycles,
              intervalMs, status ? ", with the status line of a terminal" : "", shortMs);
  print("raw timer (baseline)", raw, false);
  bool met = print("wait utc= -> next command", utcLate, true);
  met = print("wait time= -> next command", localLate, true) && met;
  met = print("wait point= -> next command", pointLate, true) && met;
  met = print("wait sleep= -> next command", sleepLate, true) && met;
  met = print("wait utc= -> flash RTS rises", riseLate, true) && met;
  met = print("flash RTS falls after length", fallLate, true) && met;
  std::printf(
      "processor time per wait: raw timer %.1f us, script %.1f us (every command "
      "included)%s\n",
      rawCpuUs, scriptCpuUs, scriptCpuUs < 1000.0 ? "" : "  NOT met");
  std::printf("targets (never early, median < 20 us, p99 < 200 us, < 1 ms processor time): %s\n",
              met && scriptCpuUs < 1000.0 ? "met" : "NOT met");
  return 0;
}
