// Real cameras through libgphoto2 in builds that have it.
#include "camera/gphoto2/gphoto2_backend.h"
#include "camera/real_backend.h"

std::unique_ptr<EdsBackend> createRealBackend() { return createGphoto2Backend(); }
