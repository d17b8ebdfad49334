#include "check/script_planner.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>

#include "camera/canon_camera.h"
#include "camera/image_quality.h"
#include "camera/property_tables.h"
#include "camera/sim/sim_body_timing.h"
#include "check/finding_texts.h"
#include "check/plan_eclipse.h"
#include "check/plan_report.h"
#include "output/output.h"
#include "platform/sound_player.h"
#include "script/audio_player.h"
#include "script/script_parser.h"

namespace {

constexpr uint32_t kLegacyPropertyWaitMs = 2000;
constexpr uint64_t kUnitsPerMs = platform::kFileTimeUnitsPerMs;

// The serial line of a check: RTS edges are planned, no device is touched.
class PlanningSerialLine final : public platform::SerialLine {
 public:
  explicit PlanningSerialLine(ScriptPlanner* planner) : planner_(planner) {}
  bool readState() override { return true; }
  bool setRts(bool asserted) override {
    planner_->onRts(asserted);
    return true;
  }

 private:
  ScriptPlanner* const planner_;
};

void interceptOutput(void* context, uint32_t kind, const char* text) {
  static_cast<ScriptPlanner*>(context)->onOutput(kind, text);
}

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool startsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

std::string withoutLineEnds(const char* text) {
  std::string s(text);
  while (!s.empty() && (s.front() == '\n')) s.erase(s.begin());
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

// The time the camera allows a shot before it gives up waiting: exposure x multiplier + 0.9 ms.
uint64_t exposureWaitMs(uint32_t exposureMs, double multiplier) {
  const double value = static_cast<double>(exposureMs) * multiplier + 0.9;
  return value > 0.0 ? static_cast<uint64_t>(value) : 0;
}

}  // namespace

ScriptPlanner::ScriptPlanner(uint64_t startUtc, const SimBodyConfig& body, uint32_t eventDelayMs)
    : body_(body),
      clock_(startUtc, this),
      serialLine_(new PlanningSerialLine(this)),
      baseUtc_(startUtc),
      eventDelayMs_(eventDelayMs),
      checkpointUtc_(startUtc) {
  plan_.startUtc = startUtc;
  bodyFreeUtc_ = startUtc;
}

void ScriptPlanner::setSupplies(double batteryPercent, std::vector<uint64_t> cardFreeBytes) {
  supplies_.start(batteryPercent, body_.batteryPerShot, body_.batteryPerHour, plan_.startUtc,
                  std::move(cardFreeBytes));
}

ScriptPlanner::~ScriptPlanner() { uninstall(); }

void ScriptPlanner::install() {
  scanThread_ = std::this_thread::get_id();
  setOutputInterceptor(&interceptOutput, this);
  setSoundStarter([this](const std::string& name) { return onPlay(name); });
  installed_ = true;
}

void ScriptPlanner::uninstall() {
  if (!installed_) return;
  setOutputInterceptor(nullptr, nullptr);
  setSoundStarter(nullptr);
  installed_ = false;
}

void ScriptPlanner::setParser(const CQuorvaleScriptParser* parser) {
  parser_ = parser;
  lines_.reset();
  if (parser != nullptr) lines_.emplace(parser);
}

uint32_t ScriptPlanner::currentLineNumber() {
  return lines_ ? lines_->lineAt(lines_->matchOffset()) : 1;
}

uint32_t ScriptPlanner::columnOf(uint64_t offset) {
  return static_cast<uint32_t>(offset - (lines_ ? lines_->lineStartAt(offset) : 0) + 1);
}

std::string ScriptPlanner::currentLineText() {
  if (!lines_) return "";
  return lines_->lineFrom(lines_->lineStartAt(lines_->matchOffset()), std::string::npos, nullptr);
}

PlanLine& ScriptPlanner::current() {
  const uint32_t line = currentLineNumber();
  if (plan_.lines.empty() || plan_.lines.back().line != line) {
    PlanLine entry;
    entry.line = line;
    entry.text = currentLineText();
    entry.startUtc = entry.endUtc = clock_.utcNow();
    entry.known = known_;
    entry.baseUtc = baseUtc_;
    entry.baseName = baseName_;
    plan_.lines.push_back(entry);
  }
  return plan_.lines.back();
}

void ScriptPlanner::noteTimed(uint64_t utc) {
  if (plan_.firstTimedUtc == 0 || utc < plan_.firstTimedUtc) plan_.firstTimedUtc = utc;
  if (utc > plan_.lastTimedUtc) plan_.lastTimedUtc = utc;
}

std::string ScriptPlanner::momentText(uint64_t utc, bool known, uint64_t baseUtc,
                                      const std::string& baseName) const {
  return known ? absoluteMomentText(utc) : relativeMomentText(utc, baseUtc, baseName);
}

void ScriptPlanner::addFinding(uint32_t line, uint32_t column, const std::string& text) {
  plan_.findings.push_back(Finding{line, column, text});
  for (PlanLine& entry : plan_.lines) {
    if (entry.line == line) entry.finding = true;
  }
}

void ScriptPlanner::setEclipse(const PlannedEclipse& eclipse) {
  plan_.eclipse = eclipse;
  for (const std::string& text : eclipseFindings(eclipse)) addFinding(0, 0, text);
}

void ScriptPlanner::onDue(uint64_t dueUtc, uint64_t nowUtc) {
  PlanLine& line = current();
  line.dueUtc = dueUtc;
  line.wait = pendingMomentWait_ ? WaitKind::Moment : WaitKind::Checkpoint;
  const bool moment = pendingMomentWait_;
  pendingMomentWait_ = false;
  if (moment) plan_.hasAbsoluteMoments = true;
  const std::string due =
      moment ? absoluteMomentText(dueUtc) : momentText(dueUtc, known_, baseUtc_, baseName_);
  if (moment && dueUtc < plan_.startUtc) {
    addFinding(line.line, 0,
               "moment already past: " + due + " is before the start of the check, " +
                   absoluteMomentText(plan_.startUtc));
  } else if (moment && lastMomentLine_ != 0 && dueUtc < lastMomentUtc_) {
    addFinding(line.line, 0,
               "moment goes backwards: " + due + " is before the moment of line " +
                   std::to_string(lastMomentLine_) + ", " + absoluteMomentText(lastMomentUtc_));
  } else if (nowUtc > dueUtc) {
    std::string cause = shotsSinceTimedStep_ > 0
                            ? "the " + std::to_string(shotsSinceTimedStep_) + " shot(s) before it"
                            : "the steps before it";
    addFinding(line.line, 0,
               "not reached in time: " + cause + " end " + durationText(nowUtc - dueUtc) +
                   " after " + due + "; the wait is skipped (\"Moment in the past\")");
  }
  if (moment) {
    line.known = true;  // the moment itself is a clock time, whether reached in time or not
    if (momentDates_.empty()) {
      const std::string far = farFirstMomentFinding(plan_.startUtc, dueUtc);
      if (!far.empty()) addFinding(line.line, 0, far);
    }
    const std::string date = localDateText(dueUtc);
    if (std::none_of(
            momentDates_.begin(), momentDates_.end(),
            [&date](const std::pair<std::string, uint32_t>& d) { return d.first == date; }))
      momentDates_.emplace_back(date, line.line);
  } else if (promptLine_ != 0 && promptUtc_ >= checkpointUtc_ && dueUtc >= nowUtc) {
    // The checkpoint was set before the prompt: the moment does not move with the answer.
    addFinding(line.line, 0,
               promptBeforeWaitFinding(checkpointLine_, promptLine_, dueUtc - nowUtc));
  }
  if (moment) {
    lastMomentLine_ = line.line;
    lastMomentUtc_ = dueUtc;
    if (dueUtc >= nowUtc) {
      known_ = true;
    }
  }
  shotsSinceTimedStep_ = 0;
  noteTimed(std::max(dueUtc, nowUtc));
}

void ScriptPlanner::onWaitUntil(uint64_t fromUtc, uint64_t dueUtc) {
  PlanLine& line = current();
  line.endUtc = std::max(fromUtc, dueUtc);
  if (line.wait == WaitKind::Moment) line.known = true;
}

void ScriptPlanner::onSleep(uint64_t fromUtc, uint64_t ms, bool watched) {
  PlanLine& line = current();
  line.endUtc = fromUtc + ms * kUnitsPerMs;
  if (watched) {
    line.wait = WaitKind::Sleep;
    shotsSinceTimedStep_ = 0;
    noteTimed(line.endUtc);
  }
}

void ScriptPlanner::onUserWait(uint64_t atUtc, const std::string&) {
  PlanLine& line = current();
  line.wait = WaitKind::User;
  line.endUtc = atUtc;
  known_ = false;
  promptLine_ = line.line;
  promptUtc_ = atUtc;
  baseUtc_ = atUtc;
  baseName_ = "prompt (line " + std::to_string(line.line) + ")";
  shotsSinceTimedStep_ = 0;
}

void ScriptPlanner::onPlannedWrite(EdsPropertyID, EdsUInt32) {
  // The camera code resets its property event before the write; the body answers with an event.
  const uint64_t now = clock_.utcNow();
  propertyEvents_.reset(now);
  propertyEvents_.add(now + uint64_t{eventDelayMs_} * kUnitsPerMs);
}

void ScriptPlanner::onPlannedShot(EdsUInt32 tv, EdsUInt32 quality, bool legacyBody) {
  PlanLine& line = current();
  const uint64_t now = clock_.utcNow();
  const SimShotTiming timing = simShotTiming(body_, quality, tv);
  const uint32_t shotTimeout = camera_ != nullptr ? camera_->getShotTimeout() : 450;
  const double multiplier = camera_ != nullptr ? camera_->getTimeMultiplier() : 1.0;
  const uint32_t hostBuffer = camera_ != nullptr ? camera_->getBufferSize() : kDefaultBufferSize;
  const uint32_t allocTimeout =
      camera_ != nullptr ? camera_->getAllocBufferTimeout() : kDefaultAllocBufferTimeoutMs;

  // The camera code first waits for a place in its own count of the body's buffer: an image
  // leaves it when the body reports it out of its buffer (PTP) or stored (legacy).
  uint64_t release = now;
  uint64_t bufferWaitMs = 0;
  while (!hostFreeUtc_.empty() && hostFreeUtc_.front() <= release) hostFreeUtc_.pop_front();
  if (hostBuffer > 0 && hostFreeUtc_.size() >= hostBuffer) {
    const uint64_t room = hostFreeUtc_[hostFreeUtc_.size() - hostBuffer];
    release = std::min(room, now + uint64_t{allocTimeout} * kUnitsPerMs);
    bufferWaitMs = (release - now) / kUnitsPerMs;
  }
  // The legacy protocol waits up to 2 s for the body's next property event before the release.
  if (legacyBody) release = propertyEvents_.wait(release, kLegacyPropertyWaitMs * kUnitsPerMs);
  const uint64_t delay = uint64_t{eventDelayMs_} * kUnitsPerMs;
  while (!hostFreeUtc_.empty() && hostFreeUtc_.front() <= release) hostFreeUtc_.pop_front();

  // The body refuses a release while its shutter is open or when the image does not fit in its
  // buffer next to the images it holds, as its capture model does.
  EdsUInt64 bytesInBuffer = 0;
  while (!bodyImages_.empty() && bodyImages_.front().first <= release) bodyImages_.pop_front();
  for (const auto& image : bodyImages_) bytesInBuffer += image.second;
  if (release < sensorFreeUtc_ || bodyImages_.size() >= body_.bufferLimit ||
      (body_.bufferBytes > 0 && !bodyImages_.empty() &&
       bytesInBuffer + timing.bytes > body_.bufferBytes)) {
    addFinding(line.line, 0,
               "shot " + std::to_string(plan_.shotCount + 1) + ": the body is still busy (" +
                   std::to_string(bodyImages_.size()) + " of " +
                   std::to_string(timing.bufferFrames) +
                   " images of this quality in its buffer): a run prints \"Shot error: Device "
                   "busy! Camera unstable!\"");
    line.finding = true;
    line.refusedUtc.push_back(release);
    clock_.advanceMs((release - now) / kUnitsPerMs);
    line.endUtc = clock_.utcNow();
    return;
  }

  // A release at an empty battery switches the body off instead.
  bool levelChanged = false;
  std::string finding;
  if (!supplies_.release(plan_.shotCount + 1, release, &levelChanged, &finding)) {
    if (!finding.empty()) addFinding(line.line, 0, finding);
    clock_.advanceMs((release - now) / kUnitsPerMs);
    line.endUtc = clock_.utcNow();
    return;
  }
  if (levelChanged) propertyEvents_.add(release + delay);

  PlannedShot shot;
  shot.number = ++plan_.shotCount;
  shot.startUtc = release;
  const char* name = tvTable().displayName(tv);
  shot.tv = name != nullptr ? name : "?";
  shot.exposureMs = timing.exposureMs;
  shot.processingMs = timing.processingMs;
  shot.storeMs = timing.writeMs;
  shot.bodyMs = shot.exposureMs + shot.processingMs + shot.storeMs;

  // The body's steps as its capture model runs them: processing and writing take the images in
  // order; with a card write speed an image keeps its place in the buffer until written.
  const uint64_t exposureEnd = release + uint64_t{timing.exposureMs} * kUnitsPerMs;
  sensorFreeUtc_ = exposureEnd;
  const uint64_t processed =
      std::max(exposureEnd, processorFreeUtc_) + uint64_t{timing.processingMs} * kUnitsPerMs;
  processorFreeUtc_ = processed;
  uint64_t stored = processed + uint64_t{timing.writeMs} * kUnitsPerMs;
  uint64_t leaves = processed;
  if (body_.writeBytesPerSecond > 0) {
    stored = std::max(processed, writerFreeUtc_) + uint64_t{timing.writeMs} * kUnitsPerMs;
    writerFreeUtc_ = stored;
    leaves = stored;
  }
  hostFreeUtc_.push_back((legacyBody ? stored : leaves) + delay);
  bodyImages_.emplace_back(leaves, timing.bytes);
  char qualityName[32];
  decodeImageQuality(quality, qualityName, sizeof(qualityName));
  if (!supplies_.store(shot.number, timing.bytes, qualityName, &finding)) {
    if (!finding.empty()) addFinding(line.line, 0, finding);
  } else if (legacyBody) {
    propertyEvents_.add(stored + delay);  // the new available-shots figure
  }

  const uint64_t completeMs = (stored + delay - release) / kUnitsPerMs;
  const uint64_t waitedMs = (release - now) / kUnitsPerMs;
  shot.queuedMs =
      static_cast<uint32_t>((stored - release) / kUnitsPerMs + bufferWaitMs - shot.bodyMs);
  const uint64_t waitMs = exposureWaitMs(tvExposureMs(tv), multiplier);
  uint64_t holdMs;
  if (legacyBody) {
    // Sleeps through the exposure, then waits for completion.
    const uint64_t rest = completeMs > waitMs ? completeMs - waitMs : 0;
    holdMs = waitedMs + waitMs + std::min<uint64_t>(rest, shotTimeout);
  } else {
    holdMs = waitedMs + std::min<uint64_t>(completeMs, shotTimeout + waitMs);
  }
  shot.holdMs = static_cast<uint32_t>(holdMs);
  bodyFreeUtc_ = std::max(bodyFreeUtc_, stored);
  line.shots.push_back(shot);
  clock_.advanceMs(holdMs);
  line.endUtc = clock_.utcNow();
  ++shotsSinceTimedStep_;
  noteTimed(shot.startUtc);
  noteTimed(bodyFreeUtc_);
}

void ScriptPlanner::onRts(bool asserted) {
  PlanLine& line = current();
  const uint64_t now = clock_.utcNow();
  if (asserted) {
    flashStartUtc_ = now;
  } else {
    line.flashMs = static_cast<uint32_t>((now - flashStartUtc_) / kUnitsPerMs);
    line.flashStartUtc = flashStartUtc_;
    line.endUtc = now;
    noteTimed(flashStartUtc_);
    noteTimed(now);
  }
}

bool ScriptPlanner::onPlay(const std::string& name) {
  PlanLine& line = current();
  line.play = name;
  double seconds = 0.0;
  const uint32_t code = platform::probeSoundFile(name, &seconds);
  if (code != 0) {
    addFinding(line.line, 0,
               "play file '" + name + "' cannot be played: " + platform::soundErrorText(code));
  } else {
    line.playSeconds = seconds;
  }
  return true;
}

void ScriptPlanner::onOutput(uint32_t kind, const char* text) {
  if (kind != Msg && kind != Warn && kind != Error) return;
  // Only what the script's own commands print counts; camera event threads may print too.
  if (parser_ == nullptr || std::this_thread::get_id() != scanThread_) return;
  if (kind == Warn && startsWith(text, "\nSkip: ")) {
    const uint32_t line = currentLineNumber();
    if (line != lastSkipLine_) {
      lastSkipLine_ = line;
      addFinding(
          line, columnOf(parser_->matchOffset()),
          "text no rule takes (a run prints \"Skip\" for it): \"" + currentLineText() + "\"");
    }
    return;
  }
  if (kind == Warn) return;
  PlanLine& line = current();
  if (kind == Error) {
    const std::string message = withoutLineEnds(text);
    if (message == "COM port not open") {
      addFinding(line.line, 0, "flash without -com: a run prints \"COM port not open\"");
    } else if (endsWith(message, ": Not supported")) {
      addFinding(line.line, 0, "no table has this value: a run prints \"" + message + "\"");
    } else if (startsWith(message.c_str(), "Wait for ") &&
               message.find(" does not happen at ") != std::string::npos) {
      addFinding(
          line.line, 0,
          "a contact wait for a contact the site does not have: a run prints \"" + message + "\"");
    } else if (endsWith(message, ": Device parameter invalid")) {
      addFinding(line.line, 0,
                 "the body does not offer this value: a run prints \"" + message + "\"");
    } else {
      addFinding(line.line, 0, "a run prints the error \"" + message + "\"");
    }
    return;
  }
  if (startsWith(text, "Wait for ") && !startsWith(text, "Wait for user")) {
    pendingMomentWait_ = true;
  } else if (startsWith(text, "set Tv=")) {
    const std::string tv = tvSecondsFinding(text);
    if (!tv.empty()) addFinding(line.line, 0, tv);
  } else if (startsWith(text, "Set checkpoint at ")) {
    line.checkpoint = true;
    checkpointLine_ = line.line;
    checkpointUtc_ = clock_.utcNow();
    if (!known_) {
      baseUtc_ = clock_.utcNow();
      baseName_ = "checkpoint (line " + std::to_string(line.line) + ")";
    }
  }
}

ScriptPlan ScriptPlanner::finish(const platform::ClockDiscipline& clock, int64_t availableShots) {
  plan_.clock = clock;
  plan_.availableShots = availableShots;
  if (plan_.firstTimedUtc == 0) plan_.firstTimedUtc = plan_.lastTimedUtc = plan_.startUtc;
  if (plan_.lines.empty() && plan_.findings.empty()) {
    addFinding(0, 0,
               "no command would run: no line starts with \"#!quorvale\", or nothing follows it");
  }
  const std::string dates = datesFinding(momentDates_);
  if (!dates.empty()) addFinding(0, 0, dates);
  supplies_.fillPlan(std::max(plan_.lastTimedUtc, clock_.utcNow()), &plan_);
  if (!plan_.cardKnown && availableShots >= 0 &&
      plan_.shotCount > static_cast<uint64_t>(availableShots)) {
    addFinding(0, 0,
               std::to_string(plan_.shotCount) + " shots planned, the card has room for " +
                   std::to_string(availableShots));
  }
  if (plan_.hasAbsoluteMoments && !platform::clockTrusted(clock)) {
    addFinding(0, 0,
               "the script waits for clock times, but the system clock is " +
                   platform::describeClockDiscipline(clock) +
                   " (wanted: synchronised, estimated error at most 100 ms)");
  }
  std::stable_sort(plan_.findings.begin(), plan_.findings.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
  return plan_;
}
