// The eclipse options of the command line ("-site", "-elements", "-deltat", "-eclipse <date>"),
// checked before anything runs, into ProgramOptions::eclipse.
//
// Thread safety: used by the main thread before any other starts.
#ifndef QUORVALE_APP_ECLIPSE_OPTIONS_H_
#define QUORVALE_APP_ECLIPSE_OPTIONS_H_

#include <string>

#include "app/program_options.h"
#include "eclipse/site.h"

// Reads the value of "-site": "<lat>,<lon>[,<height m>]". This is the one place that reads it,
// where other forms of the value (a receiver's fix) join. Returns true with *site set, or false
// with *error set to a one-line reason.
bool readSiteOption(const std::string& value, eclipse::Site* site, std::string* error);

// Checks the eclipse options of |options| and fills options->eclipse. Returns false after
// printing one error line: a bad site, a malformed elements file (named with the line), a Delta T
// that is no number of seconds, a date that is not yyyy-mm-dd.
bool prepareEclipseOptions(ProgramOptions* options);

#endif  // QUORVALE_APP_ECLIPSE_OPTIONS_H_
