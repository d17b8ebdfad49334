// The serial line whose RTS signal fires an external flash or shutter release.
//
// COM port n is the device /dev/ttyS<n-1>; a device path may also be given directly.
//
// Errors are system error codes recorded with setLastError() (see error.h); errorText() gives their
// message.
//
// Thread safety: a SerialLine is used by one thread at a time (the script thread owns it).
// setSerialLineOpenerForTest() must not race with openSerialLine().
#ifndef QUORVALE_PLATFORM_SERIAL_PORT_H_
#define QUORVALE_PLATFORM_SERIAL_PORT_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

class SerialLine {
 public:
  virtual ~SerialLine() = default;

  // Reads the port's current settings and control-line state. Returns false, with lastError()
  // set, on failure (a device without terminal settings fails here, not at the open).
  virtual bool readState() = 0;

  // Asserts (true) or de-asserts (false) the RTS line at once. The first call turns off whatever
  // would make the system drive RTS itself (the RTS/CTS handshake) and changes nothing else.
  // Returns false, with lastError() set, on failure.
  virtual bool setRts(bool asserted) = 0;
};

// The device path of COM port |comNumber| ("/dev/ttyS<n-1>"). COM0 has no device: it maps to
// "/dev/ttyS-1", a name no driver creates, so opening it fails like any missing device.
std::string comPortDevicePath(uint32_t comNumber);

// Opens |devicePath| for reading and writing, exclusively: a line that another SerialLine (of any
// process) or another program holds exclusively is refused with EBUSY. The hold ends with the
// object, or with the process however it ends. The line's settings are not touched here; the
// system may raise RTS on open, so the caller de-asserts it with readState() and setRts(false).
// Returns null, with lastError() set, when the device cannot be opened or is held. When the object
// is destroyed RTS is de-asserted (where the line has it), the settings changed by setRts() are
// put back as they were found, and the line is closed.
// A test opener, when installed, answers instead.
std::unique_ptr<SerialLine> openSerialLine(const std::string& devicePath);

// Tells whether |devicePath| names a serial line this process may open for reading and writing,
// without opening it (opening a line may raise its control lines): what the system says about the
// device (on Linux its sysfs entry: a tty with a driver behind it, a serial port with a UART).
// Returns false, with lastError() set, when it does not exist, access is refused, or it is no
// serial line (ENOTTY; then *what, when given, says what it is instead, e.g. "the mem device
// \"null\""). A line that another program holds exclusively is only found out by opening it.
bool probeSerialLine(const std::string& devicePath, std::string* what = nullptr);

// Test seam: openSerialLine() calls |opener| instead of opening a device (an empty function
// restores the real one).
using SerialLineOpener = std::function<std::unique_ptr<SerialLine>(const std::string& devicePath)>;
void setSerialLineOpenerForTest(SerialLineOpener opener);

// Opens the device itself, as openSerialLine() describes; each system's file has its own.
// openSerialLine() is the entry for everything else.
std::unique_ptr<SerialLine> openSerialDevice(const std::string& devicePath);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_SERIAL_PORT_H_
