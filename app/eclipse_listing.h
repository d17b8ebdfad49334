// The "-eclipse" mode: the local circumstances of one eclipse at the site of "-site".
//
// The listing, after the banner (every line ends with a line feed):
//   Eclipse 2026-08-12 (Total), built-in elements      or ", elements from <file>"
//   Kind at the site: total                            total | annular | partial (no C2 or C3)
//   Site: 41.64880 N, 0.88910 W, 200 m
//   Delta T: 69.2 s                                    the figure used to turn the Earth
//   Eclipse Predictions by Fred Espenak, NASA's GSFC
// then one line per contact that the site has, in the order C1, C2, Max, C3, C4:
//   <name padded to 5>yyyy-mm-dd hh:mm:ss.s UTC  local yyyy-mm-dd hh:mm:ss.s  Sun <+a.a> deg
// with ", below the horizon" after the altitude when the Sun's centre is below it; then
//   Magnitude: 1.0123
//   Totality: 104.6 s                                  or "Annularity: ..."; none when partial
// A site from which no part of the eclipse is visible gets, after the heading, the line
//   Not visible from the site: <why>
// and the exit code 2.
//
// Thread safety: runs on the main thread.
#ifndef QUORVALE_APP_ECLIPSE_LISTING_H_
#define QUORVALE_APP_ECLIPSE_LISTING_H_

#include <cstdint>
#include <string>

#include "app/program_options.h"
#include "eclipse/local_circumstances.h"

// Prints the listing of options.eclipse at its site for the eclipse after |nowUtc| (file time:
// now, or the moment of -at). Returns 0, 1 (no site, no such eclipse, a contact-relative -at) or
// 2 (the eclipse is not visible from the site).
// REQUIRES: prepareEclipseOptions(options) succeeded; the banner written.
int runEclipseListing(const ProgramOptions& options, uint64_t nowUtc);

#endif  // QUORVALE_APP_ECLIPSE_LISTING_H_
