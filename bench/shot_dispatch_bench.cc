// Shot and flash dispatch: from the due moment of a "wait utc=" to the moment the camera object is
// asked for the picture (the shot command's call of takePicture on a simulated body), and from a
// flash line's due moment to the RTS assertion, over many runs, with a raw absolute timer wait as
// the baseline in the same run. Targets: median within 0.3 ms of the due moment, p99 under 1 ms,
// never early.
//
// Usage: shot_dispatch_bench [runs=100] [interval_ms=20]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/lateness.h"
#include "camera/canon_camera.h"
#include "camera/sim/sim_backend.h"
#include "camera/sim/sim_world.h"
#include "output/output.h"
#include "platform/clock.h"
#include "platform/event.h"
#include "platform/process.h"
#include "platform/serial_port.h"
#include "script/script_parser.h"
#include "script/script_test_support.h"

namespace {

// A camera that notes when each shot is asked for.
class TimedCamera final : public CCanonCamera {
 public:
  explicit TimedCamera(EdsCameraRef ref) : CCanonCamera(ref, nullptr) {}
  EdsError takePicture() override {
    asked.push_back(platform::utcNow());
    return CCanonCamera::takePicture();
  }
  std::vector<uint64_t> asked;
};

// A serial line that notes when RTS goes up.
class TimedSerialLine final : public platform::SerialLine {
 public:
  bool readState() override { return true; }
  bool setRts(bool asserted) override {
    if (asserted) raised.push_back(platform::utcNow());
    return true;
  }
  std::vector<uint64_t> raised;
};

bool print(const char* name, const std::vector<int64_t>& late) {
  const bench::Summary s = bench::summarize(late);
  std::printf("%-30s median %8.1f us  p99 %8.1f us  max %8.1f us  early %ld\n", name, s.medianUs,
              s.p99Us, s.maxUs, s.early);
  return s.early == 0 && s.medianUs <= 300.0 && s.p99Us < 1000.0;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 100;
  const uint32_t intervalMs = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[2])) : 20;
  if (runs < 1 || intervalMs < 1) return 1;
  platform::raiseCurrentThreadToTimeCritical();

  auto backend = std::make_unique<SimBackend>();
  backend->setTimeScale(0.0);  // the body answers at once: only the dispatch is measured
  backend->addCamera(defaultPtpBodyConfig());
  EdsSetBackend(std::move(backend));
  EdsInitializeSDK();
  EdsCameraListRef list = nullptr;
  EdsGetCameraList(&list);
  EdsCameraRef ref = nullptr;
  EdsGetChildAtIndex(list, 0, &ref);
  EdsRelease(list);
  FILE* sink = std::fopen("/dev/null", "w");
  setOutputStreamsForTest(sink, sink);

  std::vector<int64_t> raw;
  bench::timerBaseline(runs, intervalMs, &raw);
  std::vector<int64_t> shotLate, flashLate;
  {
    TimedCamera camera(ref);
    TimedSerialLine line;
    const uint64_t start =
        (platform::utcNow() / platform::kFileTimeUnitsPerMs + 200) * platform::kFileTimeUnitsPerMs;
    std::vector<uint64_t> shotDues, flashDues;
    std::string script = "#!quorvale\nset shotcomtime=1\n";
    for (int i = 0; i < 2 * runs; ++i) {
      const uint64_t due =
          start + static_cast<uint64_t>(i) * intervalMs * platform::kFileTimeUnitsPerMs;
      script += "wait utc=" + bench::momentText(due) + "\n";
      if (i % 2 == 0) {
        shotDues.push_back(due);
        script += "shot\n";
      } else {
        flashDues.push_back(due);
        script += "comflash\n";
      }
    }
    platform::Event stop(true, false);
    CQuorvaleScriptParser parser(&camera, &line, nullptr, &stop);
    std::string end = script_testing::runScript(&parser, script);
    if (camera.asked.size() != shotDues.size() || line.raised.size() != flashDues.size()) {
      std::printf("run ended with %s after %zu shots and %zu flashes\n", end.c_str(),
                  camera.asked.size(), line.raised.size());
      return 1;
    }
    for (size_t i = 0; i < shotDues.size(); ++i) {
      shotLate.push_back(static_cast<int64_t>(camera.asked[i] - shotDues[i]));
      flashLate.push_back(static_cast<int64_t>(line.raised[i] - flashDues[i]));
    }
  }
  setOutputStreamsForTest(nullptr, nullptr);
  EdsSetBackend(nullptr);

  std::printf("%d shots and %d flashes, %u ms apart\n", runs, runs, intervalMs);
  print("raw timer (baseline)", raw);
  bool ok = print("wait utc= -> takePicture", shotLate);
  ok = print("wait utc= -> RTS asserted", flashLate) && ok;
  std::printf("targets (never early, median <= 0.3 ms, p99 < 1 ms): %s\n", ok ? "met" : "NOT met");
  return 0;
}
