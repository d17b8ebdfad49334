// The clock watch of a build without libgps: its thread ends at once, and no offset ever comes.
#include "gps/gps_clock_watch.h"

namespace gps {

void GpsClockWatch::run() {}

}  // namespace gps
