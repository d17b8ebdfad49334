// The rehearsal options of the command line ("-at", "-atutc", "-speed", "-sim <world file>"),
// checked before anything runs, and what they make: the simulated world and the script clock.
//
//   Rehearsal rehearsal;
//   if (!rehearsal.prepare(options)) return 1;       // one error line printed
//   startCameraSdk(options.simulated ? rehearsal.createSimBackend() : nullptr);
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

  // The simulated backend of the world (the default world without a file), at the speed asked.
  std::unique_ptr<EdsBackend> createSimBackend() const;

  // The script clock: null (the real clock) without shift and scale; otherwise a clock that reads
  // the "-at" moment now and runs at the "-speed" factor. Writes one log line that says so.
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
  std::unique_ptr<ScriptClock> clock_;
};

// Reads |text|, a moment in the script language's forms, against the real clock's date and time
// (UTC when |utc|, else local), into a UTC file time. False when it is no valid moment.
bool readCommandLineMoment(const std::string& text, bool utc, uint64_t* utcOut);

#endif  // QUORVALE_APP_REHEARSAL_H_
