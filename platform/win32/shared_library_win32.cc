// Libraries loaded at run time on Windows: LoadLibraryExA and GetProcAddress.
#include <windows.h>

#include "platform/error.h"
#include "platform/shared_library.h"

namespace platform {
namespace {

class Win32SharedLibrary final : public SharedLibrary {
 public:
  explicit Win32SharedLibrary(HMODULE module) : module_(module) {}
  ~Win32SharedLibrary() override { FreeLibrary(module_); }
  Win32SharedLibrary(const Win32SharedLibrary&) = delete;
  Win32SharedLibrary& operator=(const Win32SharedLibrary&) = delete;

  void* symbol(const std::string& name) override {
    FARPROC address = GetProcAddress(module_, name.c_str());
    if (address == nullptr) setLastError(GetLastError());
    return reinterpret_cast<void*>(address);
  }

 private:
  const HMODULE module_;
};

}  // namespace

std::unique_ptr<SharedLibrary> loadSharedLibrary(const std::string& path) {
  // With a full path, the library's own folder is searched first for what it needs in turn.
  const bool hasFolder = path.find_first_of("\\/") != std::string::npos;
  HMODULE module =
      LoadLibraryExA(path.c_str(), nullptr, hasFolder ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
  if (module == nullptr) {
    setLastError(GetLastError());
    return nullptr;
  }
  return std::make_unique<Win32SharedLibrary>(module);
}

}  // namespace platform
