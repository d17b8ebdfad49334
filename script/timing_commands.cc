// The stop check, printing, the camera-lock release and the timing commands of the parser.
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "output/output.h"
#include "platform/error.h"
#include "script/script_parser.h"
#include "script/value_parsing.h"

namespace {

// The largest file time; offsets that would pass it stop there.
constexpr uint64_t kLastMoment = std::numeric_limits<uint64_t>::max();

uint64_t addSaturated(uint64_t a, uint64_t b) { return b > kLastMoment - a ? kLastMoment : a + b; }

// |seconds| scaled to |unitsPerSecond| and truncated; values past the range saturate.
uint64_t secondsToUnits(double seconds, double unitsPerSecond, double rounding) {
  double units = seconds * unitsPerSecond + rounding;
  if (!(units > 0.0)) return 0;
  if (units >= 18446744073709551615.0) return kLastMoment;
  return static_cast<uint64_t>(units);
}

// The local date-time text of the UTC moment |utc|.
void localMomentText(uint64_t utc, char* out) {
  platform::CalendarTime t;
  std::memset(&t, 0, sizeof(t));
  uint64_t local = 0;
  if (!platform::utcToLocalFileTime(utc, &local) || !platform::fileTimeToCalendar(local, &t)) {
    std::snprintf(out, kMomentTextSize, "? ?");
    return;
  }
  formatMoment(t, out);
}

}  // namespace

void CQuorvaleScriptParser::checkStop() {
  if (stopEvent == nullptr) return;
  if (stopEvent->wait(0) == platform::kWaitTimeout) return;
  outputText(Warn, "\nProgram terminated!\n");
  throw static_cast<uint32_t>(0);
}

void CQuorvaleScriptParser::doPrint(const char* text) {
  checkStop();
  if (text != nullptr) outputText(Msg, text);
}

void CQuorvaleScriptParser::releaseCameraLock() {
  // A failing Unlock leaves the count as it was; stop rather than spin on it.
  while (cameraLock.count() != 0) {
    if (cameraLock.Unlock() < 0) break;
  }
}

void CQuorvaleScriptParser::waitUntil(uint64_t dueUtc) {
  if (waitTimer == nullptr) return;
  if (clock_->isPast(dueUtc)) {
    doPrint("Moment in the past. Continue\n");
    return;
  }
  uint32_t result = clock_->waitForMoment(waitTimer.get(), stopEvent, dueUtc);
  if (result == platform::kWaitObject0) {
    waitTimer->cancel();
    doPrint("Continue\n");
  } else if (result == platform::kWaitObject0 + 1) {
    waitTimer->cancel();
    checkStop();
  } else {
    printSysError("WaitForMultipleObjects fault", platform::lastError());
    waitTimer->cancel();
  }
}

void CQuorvaleScriptParser::doCheckpoint(bool verbose) {
  checkpointTime = clock_->utcNow();
  if (!verbose) {
    checkStop();
    return;
  }
  char moment[kMomentTextSize];
  localMomentText(checkpointTime, moment);
  char line[1024];
  std::snprintf(line, sizeof(line), "Set checkpoint at %s\n", moment);
  doPrint(line);
}

void CQuorvaleScriptParser::doWaitCheckpoint(const char* text) {
  checkStop();
  if (text == nullptr || *text == '\0') return;
  std::string copy;
  char* value = copyValue(text, &copy);
  if (value == nullptr) return;
  uint64_t offset = secondsToUnits(parseDuration(value), 1e7, 0.0);
  uint64_t target = addSaturated(checkpointTime, offset);
  char moment[kMomentTextSize];
  localMomentText(target, moment);
  char line[1024];
  std::snprintf(line, sizeof(line), "Wait checkpoint for %s\n", moment);
  doPrint(line);
  releaseCameraLock();
  waitUntil(target);
}

void CQuorvaleScriptParser::doWaitTime(const char* text, bool gmt) {
  checkStop();
  if (text == nullptr || *text == '\0') return;
  std::string copy;
  char* value = copyValue(text, &copy);
  if (value == nullptr) return;
  const std::string shown(value);
  platform::CalendarTime t =
      parseMomentFrom(value, gmt ? clock_->utcCalendar() : clock_->localCalendar());
  // A fraction that rounded up to millisecond 1000 carries into the next second.
  uint64_t carry = 0;
  if (t.millisecond >= 1000) {
    carry = (t.millisecond / 1000) * platform::kFileTimeUnitsPerSecond;
    t.millisecond %= 1000;
  }
  uint64_t moment = 0;
  uint64_t target = 0;
  platform::LocalTimeKind kind = platform::LocalTimeKind::kUnique;
  bool valid = platform::calendarToFileTime(t, &moment);
  if (valid) {
    moment += carry;
    // A local time the zone repeats is its first occurrence, one it skips is read with the offset
    // before the change (local_time.h); the text shows the time as written.
    valid = platform::fileTimeToCalendar(moment, &t) &&
            (gmt ? (target = moment, true) : platform::resolveLocalTime(moment, &target, &kind));
  }
  if (valid) {
    lastLocalMoment_ = t;
    lastLocalMomentKind_ = kind;
  }
  if (!valid) {
    printErr("Wait for: no such date or time '%s'\n", shown.c_str());
    return;
  }
  char momentText[kMomentTextSize];
  formatMoment(t, momentText);
  char line[1024];
  std::snprintf(line, sizeof(line), "Wait for %s%s\n", momentText, gmt ? " GMT" : "");
  doPrint(line);
  releaseCameraLock();
  waitUntil(target);
}

void CQuorvaleScriptParser::doSleep(const char* text) {
  checkStop();
  if (text == nullptr || *text == '\0') return;
  std::string copy;
  char* value = copyValue(text, &copy);
  if (value == nullptr) return;
  double seconds = parseDuration(value);
  uint64_t ms = secondsToUnits(seconds, 1000.0, 0.5);
  char line[1024];
  std::snprintf(line, sizeof(line), "Sleep: %.3g seconds\n", seconds);
  doPrint(line);
  releaseCameraLock();
  if (stopEvent == nullptr) {
    clock_->sleep(ms);
    return;
  }
  if (clock_->waitForStop(stopEvent, ms) != platform::kWaitTimeout) checkStop();
}
