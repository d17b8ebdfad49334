// ScriptPlan: what a script check found out about a script — when each line that does something
// would run, the shots with the body's time, the waits and pulses, and the findings.
//
// Moments are UTC file times on the planning clock. A moment is "known" when it follows from an
// absolute wait of the script (time= or utc=) with no prompt since; otherwise it is shown relative
// to its base: the start, the latest checkpoint set while moments were unknown, or the latest
// prompt.
//
// Plain data; the planner fills it, the report and the timeline read it.
#ifndef QUORVALE_APP_SCRIPT_PLAN_H_
#define QUORVALE_APP_SCRIPT_PLAN_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock_discipline.h"

struct PlannedShot {
  uint32_t number = 0;        // 1-based count of the script's shots
  uint64_t startUtc = 0;      // the release
  std::string tv;             // the Tv in force, by its display name
  uint32_t exposureMs = 0;    // how long the shutter is open
  uint32_t processingMs = 0;  // until the image leaves the body's buffer
  uint32_t storeMs = 0;       // until it is on the card
  uint32_t queuedMs = 0;      // how long the body was still busy with the shots before
  uint32_t bodyMs = 0;        // exposure, processing and storing: until the image is on the card
  uint32_t holdMs = 0;        // how long the shot holds the script
};

enum class WaitKind { None, Moment, Checkpoint, Sleep, User };

struct PlanLine {
  uint32_t line = 0;      // 1-based line of the script text
  std::string text;       // the line as written (no line end)
  uint64_t startUtc = 0;  // when the line begins
  uint64_t endUtc = 0;    // when the line is done
  bool known = false;     // startUtc/endUtc are absolute moments
  uint64_t baseUtc = 0;   // the base of relative moments
  std::string baseName;   // "start", "checkpoint (line 12)", "prompt (line 40)"
  WaitKind wait = WaitKind::None;
  uint64_t dueUtc = 0;      // the moment waited for (Moment and Checkpoint waits)
  bool checkpoint = false;  // the line sets the checkpoint
  std::vector<PlannedShot> shots;
  std::vector<uint64_t> refusedUtc;  // releases the body refuses (still busy): no shot taken
  uint32_t flashMs = 0;      // an RTS pulse of this length (0: none)
  uint64_t flashStartUtc = 0;  // when RTS rises for it
  std::string play;          // the sound file the line plays
  double playSeconds = 0.0;  // its length
  bool finding = false;      // a finding names this line
};

// A wait for a moment (clock time or checkpoint) that the steps before it reach only after the
// moment: its dueUtc is the moment, its endUtc when it is reached.
inline bool waitOverran(const PlanLine& line) {
  return (line.wait == WaitKind::Moment || line.wait == WaitKind::Checkpoint) &&
         line.endUtc > line.dueUtc;
}

struct Finding {
  uint32_t line = 0;    // 0: the script or the command line as a whole
  uint32_t column = 0;  // 1-based; 0 when the whole line is meant
  std::string text;
};

// The eclipse the script's contacts refer to, as the check found it at the end of the scan.
struct PlannedContact {
  bool exists = false;          // the site has this contact
  uint64_t utc = 0;             // its moment
  double sunAltitudeDeg = 0.0;  // the Sun's altitude then
  std::string line;             // its line as -eclipse prints it, line feed included
};

struct PlannedEclipse {
  bool siteKnown = false;      // -site or a site line
  bool present = false;        // the contacts are known
  std::string problem;         // why not, when a site is known but the contacts are not
  std::string heading;         // "Eclipse 2026-08-12 (Total) at <site>: total, Delta T 69.2 s"
  std::string site;            // the site as listings show it
  bool central = false;        // total or annular at the site
  double centralDurationS = 0.0;
  PlannedContact contacts[5];  // C1, C2, Max, C3, C4
};

struct ScriptPlan {
  std::string camera;  // the body the plan is made for
  bool simulatedFigures = false;
  uint64_t startUtc = 0;  // the moment the check assumes the script starts
  std::vector<PlanLine> lines;
  std::vector<Finding> findings;
  uint32_t shotCount = 0;
  int64_t availableShots = -1;  // the card's available shots; -1: unknown
  // The cards as the script's shots fill them (known: their free space was known).
  bool cardKnown = false;
  uint64_t cardFreeBytes = 0;  // at the start
  uint64_t cardUsedBytes = 0;  // by the shots that fit
  uint32_t cardFullShot = 0;   // the first shot no card has room for; 0: none
  // The battery (known: its level and use were known).
  bool batteryKnown = false;
  double batteryStart = 0.0;  // percent at the start
  double batteryPerShot = 0.0;
  double batteryPerHour = 0.0;
  uint32_t batteryEnd = 0;        // percent expected after the last timed step
  uint32_t batteryEmptyShot = 0;  // the first shot that finds it empty; 0: none
  bool hasAbsoluteMoments = false;
  platform::ClockDiscipline clock;
  // The first and the last timed step (a wait, a shot, a pulse); equal when none.
  uint64_t firstTimedUtc = 0;
  uint64_t lastTimedUtc = 0;
  PlannedEclipse eclipse;
};

#endif  // QUORVALE_APP_SCRIPT_PLAN_H_
