// Libraries loaded at run time on POSIX: dlopen and dlsym.
#include <dlfcn.h>
#include <errno.h>

#include "platform/error.h"
#include "platform/shared_library.h"

namespace platform {
namespace {

class PosixSharedLibrary final : public SharedLibrary {
 public:
  explicit PosixSharedLibrary(void* handle) : handle_(handle) {}
  ~PosixSharedLibrary() override { dlclose(handle_); }
  PosixSharedLibrary(const PosixSharedLibrary&) = delete;
  PosixSharedLibrary& operator=(const PosixSharedLibrary&) = delete;

  void* symbol(const std::string& name) override {
    void* address = dlsym(handle_, name.c_str());
    if (address == nullptr) setLastError(ENOENT);
    return address;
  }

 private:
  void* const handle_;
};

}  // namespace

std::unique_ptr<SharedLibrary> loadSharedLibrary(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    setLastError(ENOENT);
    return nullptr;
  }
  return std::make_unique<PosixSharedLibrary>(handle);
}

}  // namespace platform
