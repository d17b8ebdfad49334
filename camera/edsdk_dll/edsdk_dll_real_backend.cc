// Real cameras through the maker's EDSDK.dll in Windows builds.
#include "camera/edsdk_dll/edsdk_dll_backend.h"
#include "camera/real_backend.h"

std::unique_ptr<EdsBackend> createRealBackend() { return createEdsdkDllBackend(); }
