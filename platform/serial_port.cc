// The serial line's entry point, shared by every system: a test opener, when installed, answers
// instead of the device.
#include "platform/serial_port.h"

#include <mutex>
#include <utility>

namespace platform {
namespace {

std::mutex g_openerMutex;
SerialLineOpener g_opener;  // guarded by g_openerMutex

}  // namespace

std::unique_ptr<SerialLine> openSerialLine(const std::string& devicePath) {
  SerialLineOpener opener;
  {
    std::lock_guard<std::mutex> lock(g_openerMutex);
    opener = g_opener;
  }
  if (opener) return opener(devicePath);
  return openSerialDevice(devicePath);
}

void setSerialLineOpenerForTest(SerialLineOpener opener) {
  std::lock_guard<std::mutex> lock(g_openerMutex);
  g_opener = std::move(opener);
}

}  // namespace platform
