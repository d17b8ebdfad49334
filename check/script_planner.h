// ScriptPlanner: listens to a checked script as it runs against the planning clock and the
// planning camera layer, and builds its ScriptPlan. It is the listener of both, the serial line of
// the check (pulses are planned, the device is never touched), the sound starter (files are probed,
// never played) and the output interceptor (what the script would print is judged, not shown).
// It keeps the plan lines and the findings; the shots' timing is a CapturePlan's
// (capture_plan.h), the waits' moments and what they count from a MomentPlan's (moment_plan.h).
//
// Use: construct with the start moment; install(); build the parser over clock() and
// serialLine(); setParser() and setCamera(); run the scan (over a text in place: the lines the plan
// names are read from it); uninstall(); finish().
//
// Ownership: the parser and camera given must outlive the planner's use of them.
// Thread safety: one thread, the one that calls install() and runs the scan; output that other
// threads print meanwhile (camera events) is not taken into the plan.
#ifndef QUORVALE_APP_SCRIPT_PLANNER_H_
#define QUORVALE_APP_SCRIPT_PLANNER_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "camera/sim/sim_body_config.h"
#include "check/body_supplies.h"
#include "check/capture_plan.h"
#include "check/moment_plan.h"
#include "check/plan_backend.h"
#include "check/script_plan.h"
#include "platform/serial_port.h"
#include "script/planning_clock.h"
#include "script/script_text_lines.h"

class CCanonCamera;
class CQuorvaleScriptParser;

class ScriptPlanner final : public PlanningClock::Listener, public PlanBackendListener {
 public:
  // |body| gives each shot's timing, as the simulated body's capture model has it
  // (sim_body_timing.h): exposure, processing, writing at the card's speed, buffer room; its
  // battery use. Every event of the body comes |eventDelayMs| late.
  ScriptPlanner(uint64_t startUtc, const SimBodyConfig& body, uint32_t eventDelayMs = 0);
  ~ScriptPlanner() override;
  ScriptPlanner(const ScriptPlanner&) = delete;
  ScriptPlanner& operator=(const ScriptPlanner&) = delete;

  PlanningClock* clock() { return &clock_; }
  platform::SerialLine* serialLine() { return serialLine_.get(); }
  void setParser(const CQuorvaleScriptParser* parser);
  void setCamera(CCanonCamera* camera) { camera_ = camera; }

  // Takes the output and the play command's starter over, and gives them back.
  void install();
  void uninstall();

  // The body's battery level when the check runs (percent; above 100 or negative: not planned)
  // and the free bytes of its writable cards in the order it fills them (none: unknown).
  void setSupplies(double batteryPercent, std::vector<uint64_t> cardFreeBytes);

  // The eclipse the script's contacts refer to, and the findings it gives by itself.
  void setEclipse(const PlannedEclipse& eclipse);

  // Adds a finding about the whole script or the command line.
  void addFinding(uint32_t line, uint32_t column, const std::string& text);

  // Completes the plan: totals and the findings that need the whole script. |clock| is the
  // system clock's discipline; |availableShots| the card's figure (-1 unknown). The plan is moved
  // out (a plan of a long script is large): call once, after the scan.
  ScriptPlan finish(const platform::ClockDiscipline& clock, int64_t availableShots);

  // PlanningClock::Listener
  void onDue(uint64_t dueUtc, uint64_t nowUtc) override;
  void onWaitUntil(uint64_t fromUtc, uint64_t dueUtc) override;
  void onSleep(uint64_t fromUtc, uint64_t ms, bool watched) override;
  void onUserWait(uint64_t atUtc, const std::string& text) override;

  // PlanBackendListener
  void onPlannedWrite(EdsPropertyID property, EdsUInt32 value) override;
  void onPlannedShot(EdsUInt32 tv, EdsUInt32 quality, bool legacyBody) override;

  // The output interceptor's body.
  void onOutput(uint32_t kind, const char* text);
  // The sound starter's body.
  bool onPlay(const std::string& name);
  // The planning serial line's pulse edges.
  void onRts(bool asserted);

 private:
  // The line of the current match: its number, the column of |offset| in it, its text.
  uint32_t currentLineNumber();
  uint32_t columnOf(uint64_t offset);
  std::string currentLineText();
  // The plan line of the line being run, started now when it is new.
  PlanLine& current();
  void noteTimed(uint64_t utc);

  SimBodyConfig body_;
  PlanningClock clock_;
  std::unique_ptr<platform::SerialLine> serialLine_;
  const CQuorvaleScriptParser* parser_ = nullptr;
  std::optional<ScriptTextLines> lines_;  // of parser_
  CCanonCamera* camera_ = nullptr;
  ScriptPlan plan_;
  CapturePlan capture_;  // the shots as the body and the camera code take them
  MomentPlan moments_;   // the waits' moments and what the plan lines count from

  bool pendingMomentWait_ = false;  // the next due moment comes from a time= or utc= wait
  uint32_t shotsSinceTimedStep_ = 0;
  BodySupplies supplies_;
  uint64_t flashStartUtc_ = 0;
  uint32_t lastSkipLine_ = 0;
  bool installed_ = false;
  std::thread::id scanThread_;  // set by install()
};

#endif  // QUORVALE_APP_SCRIPT_PLANNER_H_
