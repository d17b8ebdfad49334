// Libraries loaded at run time, and the calling convention of the camera maker's SDK.
//
// Thread safety: a SharedLibrary may be used from any thread; symbols stay valid while it lives.
#ifndef QUORVALE_PLATFORM_SHARED_LIBRARY_H_
#define QUORVALE_PLATFORM_SHARED_LIBRARY_H_

#include <memory>
#include <string>

// The calling convention of the SDK's operations and callbacks: __stdcall on 32-bit Windows;
// every other target has a single convention.
#if defined(_WIN32) && defined(__i386__)
#define QUORVALE_SDK_CALL __stdcall
#else
#define QUORVALE_SDK_CALL
#endif

namespace platform {

class SharedLibrary {
 public:
  virtual ~SharedLibrary() = default;  // unloads the library

  // The address of the exported symbol |name|, or null (lastError() set) when there is none.
  virtual void* symbol(const std::string& name) = 0;
};

// Loads the library at |path| (a bare file name is looked for on the system's search path).
// Returns null, with lastError() set, when it cannot be loaded.
std::unique_ptr<SharedLibrary> loadSharedLibrary(const std::string& path);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_SHARED_LIBRARY_H_
