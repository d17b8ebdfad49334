// The banner and the usage text, written straight to a stream (not through the output layer).
#ifndef QUORVALE_APP_USAGE_H_
#define QUORVALE_APP_USAGE_H_

#include <cstdio>

#include "app/program_options.h"

// Writes the two banner lines and an empty line to |stream|.
void writeBanner(FILE* stream);

// Writes the banner, for BadArgument the "Unknown command" line, and the usage text to |stream|.
// Returns the exit code: 0 for Help, 1 otherwise.
int printUsage(const ProgramOptions& options, FILE* stream);

#endif  // QUORVALE_APP_USAGE_H_
