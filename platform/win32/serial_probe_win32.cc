// Whether a COM device exists, without opening it (an open may raise its control lines): the
// system's table of device names (QueryDosDeviceA).
#include <windows.h>

#include "platform/error.h"
#include "platform/serial_port.h"

namespace platform {

bool probeSerialLine(const std::string& devicePath, std::string* what) {
  if (what != nullptr) what->clear();
  static const std::string kDeviceNamespace = "\\\\.\\";
  if (devicePath.compare(0, kDeviceNamespace.size(), kDeviceNamespace) != 0) {
    // A file or directory is no communications device.
    const DWORD attributes = GetFileAttributesA(devicePath.c_str());
    setLastError(attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_NOT_SUPPORTED);
    return false;
  }
  char target[1024];
  const std::string name = devicePath.substr(kDeviceNamespace.size());
  if (QueryDosDeviceA(name.c_str(), target, sizeof(target)) == 0) {
    setLastError(GetLastError());
    return false;
  }
  return true;
}

}  // namespace platform
