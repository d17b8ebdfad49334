// ProgramOptions: the parsed command line, owned by main and handed to the script thread by
// address; it must outlive the script thread's use of it.
//
// parseArguments() fills it. Options are compared whole and case-sensitively, left to right:
//   -h -help --help -? /? ?      Help; parsing stops
//   -l -list --list              List; parsing stops
//   -i -info --info              Info
//   -c -camera --camera <n>      cameraIndex = n; List becomes Info
//   -s -script --script <path>   Script; scriptPath = path ("-": none, standard input)
//   -com --com <n|/path>         comPortNumber = |n|, or comPortPath = a path starting with "/"
//   -log --log                   opens the log file at once; parsing goes on
//   -sim --sim [<world file>]    the simulated cameras; a next argument not starting with "-" is
//                                the world file that describes them
//   -at <moment>, -atutc <moment>  the script clock reads <moment> (local time / UTC) at the start;
//                                <moment> may also be a contact of the eclipse ("c2-60")
//   -speed <factor>              the script's waits pass factor times faster (simulated cameras)
//   -check --check               check the script instead of running it
//   -plot --plot <file.svg>      check, and draw the plan as an SVG timeline into the file
//   -site <lat>,<lon>[,<m>]      the observer's site for the eclipse (checked later); "gps",
//                                "gps:<host>[:<port>]": the GPS receiver's fix through gpsd
//   -eclipse [<yyyy-mm-dd>]      list the eclipse's contacts at the site; a next argument not
//                                starting with "-" is the eclipse's date
//   -elements <file>             the eclipse's Besselian elements from a file (read later)
//   -deltat <s>                  Delta T (TT - UT1) in seconds (checked later)
//   -report --report <file.csv>  a script run writes its frames, with their fates, into the file
// Anything else, or an option missing its value, makes the mode BadArgument and stops parsing.
//
// A serial port is wanted when comPortNumber >= 0 or comPortPath is not empty; the later "-com"
// replaces an earlier one.
#ifndef QUORVALE_APP_PROGRAM_OPTIONS_H_
#define QUORVALE_APP_PROGRAM_OPTIONS_H_

#include <cstdint>
#include <optional>
#include <string>

#include "gps/gps_reading.h"
#include "script/eclipse_context.h"

class ScriptClock;
namespace platform {
class Event;
}

enum class RunMode : uint32_t {
  BadArgument = 0,
  Help = 1,
  List = 2,
  Info = 3,
  Script = 4,
};

struct ProgramOptions {
  int32_t cameraIndex = 0;                // 0-based camera number ("-camera")
  std::optional<std::string> scriptPath;  // none: standard input ("-script -")
  RunMode mode = RunMode::List;
  std::optional<std::string> badArgument;  // the argument that made the mode BadArgument
  std::optional<std::string> scriptText;   // the script + line feed; main owns it, scanned in place
  void* consoleWindow = nullptr;           // owner of the prompt; none on this platform
  int32_t comPortNumber = -1;              // COM port number ("-com"); negative: no port
  std::string comPortPath;                 // "-com" given as a device path ("/dev/..."), else empty
  bool simulated = false;                  // "-sim": the simulated cameras
  std::optional<std::string> simWorldPath;  // "-sim <path>": the world file
  std::optional<std::string> atMoment;      // "-at"/"-atutc" value as given (checked later)
  bool atUtc = false;                       // the moment is UTC ("-atutc")
  std::optional<std::string> speed;         // "-speed" value as given (checked later)
  ScriptClock* scriptClock = nullptr;       // the script's clock; null: the real one; not owned
  bool check = false;                       // "-check" or "-plot": plan and findings, no run
  std::string plotPath;                     // "-plot": the SVG timeline's file, else empty
  std::string reportPath;                   // "-report": the frame report's file, else empty
  platform::Event* stopEvent = nullptr;     // the program-wide stop event (script mode); not owned
  bool eclipseListing = false;              // "-eclipse": list the contacts at the site
  std::optional<std::string> eclipseDate;   // "-eclipse <date>" as given (checked later)
  std::optional<std::string> site;          // "-site" value as given (checked later)
  std::optional<std::string> elementsPath;  // "-elements" file
  std::optional<std::string> deltaT;        // "-deltat" value as given (checked later)
  EclipseSettings eclipse;                  // the checked eclipse options (set by main)
  std::optional<gps::GpsFix> gpsFix;        // "-site gps": the receiver's fix, read before the run
  std::optional<gps::GpsClockOffset> gpsClock;  // "-site gps": GPS time against the system clock
};

// Resets |options| to the defaults and applies argv[1..argc-1]. May open the log file ("-log").
// Does not touch stopEvent and scriptClock.
void parseArguments(int argc, const char* const* argv, ProgramOptions* options);

#endif  // QUORVALE_APP_PROGRAM_OPTIONS_H_
