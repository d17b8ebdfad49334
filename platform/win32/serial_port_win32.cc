// The serial line on Windows: CreateFileA on the COM device without sharing, the device control
// block (GetCommState / SetCommState) for the RTS line.
#include <windows.h>

#include "platform/error.h"
#include "platform/serial_port.h"

namespace platform {
namespace {

class Win32SerialLine final : public SerialLine {
 public:
  // Takes ownership of |handle|, an open communications device.
  explicit Win32SerialLine(HANDLE handle) : handle_(handle) {
    dcb_.DCBlength = sizeof(dcb_);
    original_.DCBlength = sizeof(original_);
  }
  ~Win32SerialLine() override {
    // A pulse cut short must not leave the flash or shutter line held after the port is gone.
    EscapeCommFunction(handle_, CLRRTS);
    if (changed_) {
      // The settings as found, except a line held asserted: that stays off.
      if (original_.fRtsControl == RTS_CONTROL_ENABLE) original_.fRtsControl = RTS_CONTROL_DISABLE;
      SetCommState(handle_, &original_);
    }
    CloseHandle(handle_);
  }
  Win32SerialLine(const Win32SerialLine&) = delete;
  Win32SerialLine& operator=(const Win32SerialLine&) = delete;

  bool readState() override {
    if (!GetCommState(handle_, &dcb_)) {
      setLastError(GetLastError());
      return false;
    }
    haveState_ = true;
    return true;
  }

  // Changes only the RTS control field and the binary flag of the block last read; the first
  // change keeps the block as found, for the destructor.
  bool setRts(bool asserted) override {
    if (!haveState_ && !readState()) return false;
    if (!changed_) original_ = dcb_;
    dcb_.fBinary = TRUE;
    dcb_.fRtsControl = asserted ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    if (!SetCommState(handle_, &dcb_)) {
      setLastError(GetLastError());
      return false;
    }
    changed_ = true;
    return true;
  }

 private:
  const HANDLE handle_;
  DCB dcb_{};
  bool haveState_ = false;
  bool changed_ = false;  // the settings were changed; original_ holds them as found
  DCB original_{};
};

}  // namespace

std::unique_ptr<SerialLine> openSerialDevice(const std::string& devicePath) {
  // No sharing: while the line is open here nobody else can open it, and a line another program
  // holds is refused (ERROR_ACCESS_DENIED).
  HANDLE handle = CreateFileA(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    setLastError(GetLastError());
    return nullptr;
  }
  if (GetFileType(handle) != FILE_TYPE_CHAR) {
    CloseHandle(handle);
    setLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return std::make_unique<Win32SerialLine>(handle);
}

std::string comPortDevicePath(uint32_t comNumber) {
  // The device namespace reaches every port; the short "COMn" names stop at COM9.
  return "\\\\.\\COM" + std::to_string(comNumber);
}

}  // namespace platform
