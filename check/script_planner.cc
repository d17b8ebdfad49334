#include "check/script_planner.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "camera/canon_camera.h"
#include "camera/image_quality.h"
#include "camera/property_tables.h"
#include "camera/sim/sim_body_timing.h"
#include "check/finding_texts.h"
#include "check/plan_eclipse.h"
#include "check/plan_report.h"
#include "check/run_output_findings.h"
#include "output/output.h"
#include "platform/sound_player.h"
#include "script/audio_player.h"
#include "script/script_parser.h"

namespace {

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

bool startsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

std::string withoutLineEnds(const char* text) {
  std::string s(text);
  while (!s.empty() && (s.front() == '\n')) s.erase(s.begin());
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

uint32_t lineOf(const PlanLine& entry) { return entry.line; }
uint32_t lineOf(uint32_t line) { return line; }

}  // namespace

ScriptPlanner::ScriptPlanner(uint64_t startUtc, const SimBodyConfig& body, uint32_t eventDelayMs)
    : body_(body),
      clock_(startUtc, this),
      serialLine_(new PlanningSerialLine(this)),
      capture_(body, eventDelayMs, startUtc),
      moments_(startUtc) {
  plan_.startUtc = startUtc;
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
    entry.known = moments_.known();
    entry.baseUtc = moments_.baseUtc();
    entry.baseName = moments_.baseName();
    plan_.lines.push_back(entry);
  }
  return plan_.lines.back();
}

void ScriptPlanner::noteTimed(uint64_t utc) {
  if (plan_.firstTimedUtc == 0 || utc < plan_.firstTimedUtc) plan_.firstTimedUtc = utc;
  if (utc > plan_.lastTimedUtc) plan_.lastTimedUtc = utc;
}

void ScriptPlanner::addFinding(uint32_t line, uint32_t column, const std::string& text) {
  plan_.findings.push_back(Finding{line, column, text});
  // The scan goes forward, so plan lines are in line order: the entries of |line| are found by
  // bisection, not by a pass over the whole plan for each finding.
  auto range = std::equal_range(plan_.lines.begin(), plan_.lines.end(), line,
                                [](const auto& a, const auto& b) { return lineOf(a) < lineOf(b); });
  for (auto it = range.first; it != range.second; ++it) it->finding = true;
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
  if (moment) {
    plan_.hasAbsoluteMoments = true;
    line.known = true;  // the moment itself is a clock time, whether reached in time or not
  }
  const bool local = moment && parser_ != nullptr;
  const std::vector<std::string> findings =
      moments_.due(line.line, dueUtc, nowUtc, moment, shotsSinceTimedStep_,
                   local ? parser_->lastLocalMomentKind() : platform::LocalTimeKind::kUnique,
                   local ? parser_->lastLocalMoment() : platform::CalendarTime{});
  for (const std::string& text : findings) addFinding(line.line, 0, text);
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
  moments_.prompt(line.line, atUtc);
  shotsSinceTimedStep_ = 0;
}

void ScriptPlanner::onPlannedWrite(EdsPropertyID, EdsUInt32) {
  capture_.onPropertyWrite(clock_.utcNow());
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

  const CapturePlan::Release release = capture_.release(now, hostBuffer, allocTimeout, legacyBody);
  size_t imagesHeld = 0;
  if (capture_.bodyBusy(release.utc, timing.bytes, &imagesHeld)) {
    addFinding(line.line, 0,
               "shot " + std::to_string(plan_.shotCount + 1) + ": the body is still busy (" +
                   std::to_string(imagesHeld) + " of " + std::to_string(timing.bufferFrames) +
                   " images of this quality in its buffer): a run prints \"Shot error: Device "
                   "busy! Camera unstable!\"");
    line.finding = true;
    line.refusedUtc.push_back(release.utc);
    clock_.advanceMs((release.utc - now) / kUnitsPerMs);
    line.endUtc = clock_.utcNow();
    return;
  }

  // A release at an empty battery switches the body off instead.
  bool levelChanged = false;
  std::string finding;
  if (!supplies_.release(plan_.shotCount + 1, release.utc, &levelChanged, &finding)) {
    if (!finding.empty()) addFinding(line.line, 0, finding);
    clock_.advanceMs((release.utc - now) / kUnitsPerMs);
    line.endUtc = clock_.utcNow();
    return;
  }
  if (levelChanged) capture_.addPropertyEvent(release.utc);

  const CapturePlan::Capture capture =
      capture_.capture(now, release, timing, tv, legacyBody, shotTimeout, multiplier);
  PlannedShot shot;
  shot.number = ++plan_.shotCount;
  shot.startUtc = release.utc;
  const char* name = tvTable().displayName(tv);
  shot.tv = name != nullptr ? name : "?";
  shot.exposureMs = timing.exposureMs;
  shot.processingMs = timing.processingMs;
  shot.storeMs = timing.writeMs;
  shot.bodyMs = shot.exposureMs + shot.processingMs + shot.storeMs;
  shot.queuedMs = capture.queuedMs;
  shot.holdMs = static_cast<uint32_t>(capture.holdMs);
  char qualityName[32];
  decodeImageQuality(quality, qualityName, sizeof(qualityName));
  if (!supplies_.store(shot.number, timing.bytes, qualityName, &finding)) {
    if (!finding.empty()) addFinding(line.line, 0, finding);
  } else if (legacyBody) {
    capture_.addPropertyEvent(capture.storedUtc);  // the new available-shots figure
  }

  line.shots.push_back(shot);
  clock_.advanceMs(capture.holdMs);
  line.endUtc = clock_.utcNow();
  ++shotsSinceTimedStep_;
  noteTimed(shot.startUtc);
  noteTimed(capture_.bodyFreeUtc());
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
      addFinding(line, columnOf(parser_->matchOffset()), skippedTextFinding(currentLineText()));
    }
    return;
  }
  if (kind == Warn) return;
  PlanLine& line = current();
  if (kind == Error) {
    addFinding(line.line, 0, runErrorFinding(withoutLineEnds(text)));
    return;
  }
  if (startsWith(text, "Wait for ") && !startsWith(text, "Wait for user")) {
    pendingMomentWait_ = true;
  } else if (startsWith(text, "set Tv=")) {
    const std::string tv = tvSecondsFinding(text);
    if (!tv.empty()) addFinding(line.line, 0, tv);
  } else if (startsWith(text, "Set checkpoint at ")) {
    line.checkpoint = true;
    moments_.checkpoint(line.line, clock_.utcNow());
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
  const std::string dates = moments_.datesFinding();
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
  return std::move(plan_);
}
