// The serial line whose RTS signal fires an external flash or shutter release.
//
// COM port n is the device /dev/ttyS<n-1>; a device path may also be given directly.
//
// Thread safety: a SerialLine is used by one thread at a time (the script thread owns it).
#ifndef QUORVALE_PLATFORM_SERIAL_PORT_H_
#define QUORVALE_PLATFORM_SERIAL_PORT_H_

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class SerialLine {
 public:
  virtual ~SerialLine() = default;

  // Reads the port's current settings. Returns false, with lastError() set, on failure.
  virtual bool readState() = 0;

  // Asserts (true) or de-asserts (false) the RTS line at once, keeping every other setting as
  // last read. Returns false, with lastError() set, on failure.
  virtual bool setRts(bool asserted) = 0;
};

// The device path of COM port |comNumber| ("/dev/ttyS<n-1>").
std::string comPortDevicePath(uint32_t comNumber);

// Opens |devicePath| for reading and writing, exclusively, keeping its line settings (speed,
// framing) and switching it to binary (raw) mode. Does not touch RTS: the caller de-asserts it with
// readState() and setRts(false). Returns null, with lastError() set, when the device cannot be
// opened or is not a terminal. The line is closed when the object is destroyed.
std::unique_ptr<SerialLine> openSerialLine(const std::string& devicePath);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_SERIAL_PORT_H_
