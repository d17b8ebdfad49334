// Builds without a way to reach real cameras: an SDK that never starts.
#include "camera/real_backend.h"
#include "camera/unavailable_backend.h"

std::unique_ptr<EdsBackend> createRealBackend() { return createUnavailableBackend(); }
