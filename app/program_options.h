// ProgramOptions: the parsed command line, owned by main and handed to the script thread by
// address; it must outlive the script thread's use of it.
#ifndef QUORVALE_APP_PROGRAM_OPTIONS_H_
#define QUORVALE_APP_PROGRAM_OPTIONS_H_

#include <cstdint>
#include <optional>
#include <string>

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
  int32_t cameraIndex = 0;                 // 0-based camera number ("-camera")
  std::optional<std::string> scriptPath;   // none: standard input ("-script -")
  RunMode mode = RunMode::List;
  std::optional<std::string> badArgument;  // the argument that made the mode BadArgument
  std::optional<std::string> scriptText;   // the script, ending with a line feed; owned by main
  void* consoleWindow = nullptr;           // owner of the prompt; none on this platform
  int32_t comPortNumber = -1;              // COM port number ("-com"); negative: no port
  std::string comPortPath;                 // "-com" given as a device path ("/dev/..."), else empty
  bool simulated = false;                  // "-sim": the simulated cameras
  platform::Event* stopEvent = nullptr;    // the program-wide stop event (script mode); not owned
};

#endif  // QUORVALE_APP_PROGRAM_OPTIONS_H_
