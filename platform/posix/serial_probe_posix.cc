// Checking a serial device without opening it: what the system says about the device (its entry
// under /sys/dev/char, the subsystem and driver behind it) tells a serial line from other
// character devices.
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "platform/error.h"
#include "platform/serial_port.h"

namespace platform {

namespace {

std::string resolved(const std::string& path) {
  char buffer[PATH_MAX];
  if (realpath(path.c_str(), buffer) == nullptr) return "";
  return buffer;
}

std::string baseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool notSerial(std::string* what, const std::string& text) {
  if (what != nullptr) *what = text;
  setLastError(ENOTTY);
  return false;
}

}  // namespace

bool probeSerialLine(const std::string& devicePath, std::string* what) {
  if (what != nullptr) what->clear();
  struct stat info;
  if (stat(devicePath.c_str(), &info) != 0) {
    setLastError(static_cast<uint32_t>(errno));
    return false;
  }
  if (!S_ISCHR(info.st_mode)) {
    setLastError(ENOTTY);
    return false;
  }
  // Without sysfs the kind of the device cannot be told: it is taken as a line.
  const std::string table = "/sys/dev/char";
  if (access(table.c_str(), F_OK) == 0) {
    const std::string number =
        std::to_string(major(info.st_rdev)) + ":" + std::to_string(minor(info.st_rdev));
    const std::string entry = resolved(table + "/" + number);
    if (entry.empty()) {
      return notSerial(what, "character device " + number +
                                 " with no driver the system lists: a pseudo-terminal or the like");
    }
    const std::string name = baseName(entry);
    const std::string subsystem = baseName(resolved(entry + "/subsystem"));
    if (subsystem != "tty") {
      return notSerial(what, "the " + (subsystem.empty() ? std::string("unknown") : subsystem) +
                                 " device \"" + name + "\"");
    }
    if (access((entry + "/device").c_str(), F_OK) != 0) {
      return notSerial(what, "the terminal \"" + name + "\", which has no hardware behind it");
    }
    std::ifstream type(entry + "/type");
    int portType = -1;
    if (type >> portType && portType == 0) {
      return notSerial(what, "the serial port \"" + name + "\", which has no UART");
    }
  }
  if (access(devicePath.c_str(), R_OK | W_OK) != 0) {
    setLastError(static_cast<uint32_t>(errno));
    return false;
  }
  return true;
}

}  // namespace platform
