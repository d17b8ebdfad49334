// The rehearsal options of the command line ("-at", "-atutc", "-speed", "-sim <world file>"),
// checked before anything runs, and what they make: the simulated world and the script clock.
//
//   Rehearsal rehearsal;
//   if (!rehearsal.prepare(options)) return 1;       // one error line printed
//   startCameraSdk(options.simulated ? rehearsal.createRunBackend() : nullptr);
//   ...
//   options.scriptClock = rehearsal.startScriptClock();  // right before the script starts
//
// Thread safety: used by the main thread; the clock it hands out is used by the script thread and
// lives as long as the Rehearsal.
#ifndef QUORVALE_APP_REHEARSAL_H_
#define QUORVALE_APP_REHEARSAL_H_

#include <cstdint>
#include <memory>
#include <string>

#include "app/program_options.h"
#include "camera/eds_backend.h"
#include "camera/sim/sim_world.h"
#include "script/rehearsal_pace.h"
#include "script/script_clock.h"

// "-speed" factors the command line allows.
constexpr double kMinSpeed = 1.0;
constexpr double kMaxSpeed = 1000.0;

class Rehearsal final {
 public:
  Rehearsal() = default;
  Rehearsal(const Rehearsal&) = delete;
  Rehearsal& operator=(const Rehearsal&) = delete;

  // Checks the factor of "-speed" (1 to 1000, simulated cameras only), the moment of "-at" /
  // "-atutc" (the script language's forms, read against the real clock now; or a contact of the
  // eclipse with an offset, "c2-60", at the site of options.eclipse or else of the script file's
  // site line) and reads the world file of "-sim".
  // REQUIRES: prepareEclipseOptions(options) succeeded (the contact form uses options.eclipse). Returns false after printing one error line (a world file error names the file
  // and the line).
  bool prepare(const ProgramOptions& options);

  // The simulated backend of the world (the default world without a file) for the check, its model
  // at the speed asked.
  std::unique_ptr<EdsBackend> createSimBackend() const;
  // The same for a run: its model runs in real time, and at a "-speed" factor the script clock
  // hurries it through the script's waits. Called once; the backend must outlive the script clock.
  std::unique_ptr<EdsBackend> createRunBackend();

  // The script clock: null (the real clock) without shift and scale; otherwise a clock that reads
  // the "-at" moment now and whose waits pass "-speed" times faster, on the simulated bodies' time
  // (rehearsal_script_clock.h): what happens between the waits takes its real time, as at 1x.
  // Writes one log line that says so. REQUIRES: createRunBackend() before, at a factor above 1.
  ScriptClock* startScriptClock();

  double speed() const { return speed_; }
  // The moment the script clock starts at, when -at / -atutc gave one: true and *utc set.
  bool shiftedStart(uint64_t* utc) const {
    if (shifted_) *utc = startUtc_;
    return shifted_;
  }
  // The simulated world prepare() made (the default one without a world file).
  const SimWorld& world() const { return world_; }

 private:
  double speed_ = 1.0;
  bool shifted_ = false;
  uint64_t startUtc_ = 0;  // the moment the script clock reads at its start (when shifted)
  SimWorld world_;
  std::unique_ptr<RehearsalPace> pace_;  // at a factor above 1: the simulated backend's time
  std::unique_ptr<ScriptClock> clock_;
};

// Reads |text|, the whole of it one of the script language's moment forms, against the date and
// time of the UTC moment |nowUtc| (taken in UTC when |utc|, else in local time), into a UTC file
// time. A local time that summer time repeats or skips resolves as a script's wait resolves it.
// False when it is no valid moment.
bool readMomentAt(const std::string& text, bool utc, uint64_t nowUtc, uint64_t* utcOut);
// readMomentAt against the real clock's now.
bool readCommandLineMoment(const std::string& text, bool utc, uint64_t* utcOut);

#endif  // QUORVALE_APP_REHEARSAL_H_
