#include "app/usage.h"

namespace {

const char kBanner[] = "Quorvale v0.1.2\nby the Quorvale developers\n\n";

const char kUsage[] =
    "Usage: \n"
    "    quorvale -h[epl]                      : this help message\n"
    "    quorvale [-list]                      : cameras list\n"
    "    quorvale -camera <n> [-info]          : get camera info by number\n"
    "    quorvale [-camera <n>] -script <path> \n"
    "             [-com <n>] [-log]            : run script for selected camera\n"
    "\n";

const char kExtensions[] =
    "    -sim [<world file>]                   : use the simulated cameras (described by the "
    "file)\n"
    "    -com </dev/...>                       : flash line on a serial device given by path\n"
    "    quorvale -check [-camera <n>] [-sim] -script <path> \n"
    "             [-com <n>] [-plot <file.svg>]: check the script: plan and findings, no run\n"
    "    -plot <file.svg>                      : also draw the plan as an SVG timeline\n"
    "    exit code 4                           : -check found something to look at\n"
    "    -at <moment>, -atutc <moment>         : run the script as if the clock read <moment>\n"
    "    -speed <factor>                       : with -sim, run the script 1 to 1000 times faster\n"
    "    quorvale -eclipse [<date>] -site <lat>,<lon>[,<height m>] \n"
    "             [-elements <file>] [-deltat <s>]: the eclipse's contacts at the site\n"
    "    -site <lat>,<lon>[,<height m>]        : the site, for the eclipse's contacts\n"
    "    -site gps[:<host>[:<port>]]           : the site and GPS time from the receiver (gpsd)\n"
    "    -elements <file>                      : Besselian elements of the eclipse (NASA's form)\n"
    "    -deltat <s>                           : Delta T (TT - UT1) for the contacts, seconds\n"
    "    -at c2-60, -atutc c2-60               : the clock reads a contact +/- a duration\n"
    "    -report <file.csv>                    : write each frame and its fate to the file\n"
    "\n";

}  // namespace

void writeBanner(FILE* stream) {
  fputs(kBanner, stream);
  fflush(stream);
}

int printUsage(const ProgramOptions& options, FILE* stream) {
  fputs(kBanner, stream);
  const bool bad = options.mode != RunMode::Help;
  if (bad) fprintf(stream, "Unknown command: %-20s\n\n", options.badArgument.value_or("").c_str());
  fputs(kUsage, stream);
  fputs(kExtensions, stream);
  fflush(stream);
  return bad ? 1 : 0;
}
