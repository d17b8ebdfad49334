// The GPS receiver as the site ("-site gps") and GPS time against the system clock: read once
// from gpsd before a run or a check, printed and logged.
//
//   "-site gps"                  gpsd on this machine (localhost:2947)
//   "-site gps:<host>[:<port>]"  gpsd elsewhere (e.g. another port)
//
// Thread safety: main thread, before the script thread starts.
#ifndef QUORVALE_APP_GPS_SITE_H_
#define QUORVALE_APP_GPS_SITE_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/program_options.h"
#include "gps/gps_clock_watch.h"
#include "gps/gps_reading.h"
#include "platform/clock_discipline.h"

// "GPS time: the system clock is 0.012 s ahead of GPS time (PPS); system clock synchronised,
// estimated error 0.4 ms, maximum error 12.5 ms": the offset beside the kernel's own view.
std::string gpsClockLine(const gps::GpsClockOffset& clock, const platform::ClockDiscipline& state);

// True when options->site asks for the receiver; fills *address.
bool wantsGpsSite(const ProgramOptions& options, gps::GpsdAddress* address);

// Before a run or the "-eclipse" listing with "-site gps": says that it asks gpsd, reads the
// receiver and prints "GPS fix: ...\n" (console and log) and logs the GPS time line (and warns
// on the console when the system clock is more than 100 ms off GPS time). The fix
// becomes the site (options->eclipse.site); it and the offset are kept in *options. Without a fix
// prints "-site gps: <why>\n" as an error and returns false (exit 1).
// REQUIRES: wantsGpsSite(*options).
bool takeGpsSite(ProgramOptions* options);

// The same for "-check": prints the fix and the GPS time line, keeps them in *options (the fix as
// the site), and returns the findings: no fix (and why), or the system clock more than 100 ms off
// GPS time. REQUIRES: wantsGpsSite(*options).
std::vector<std::string> takeGpsSiteForCheck(ProgramOptions* options);

// During a run with "-site gps": a watch on gpsd that keeps GPS time against the system clock
// current, starting from the offset read before the run. Null without "-site gps" or a thread.
std::unique_ptr<gps::GpsClockWatch> startGpsClockWatch(const ProgramOptions& options);

// The status line's GPS text from |watch|: "GPS -0.012 s", or "GPS: no time" when gpsd has said
// nothing for a few seconds. |watch| must outlive the function returned.
std::function<std::string()> gpsStatusText(gps::GpsClockWatch* watch);

#endif  // QUORVALE_APP_GPS_SITE_H_
