#include "app/program_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Parses a command line given as the words after the program name.
ProgramOptions parse(std::vector<const char*> words) {
  words.insert(words.begin(), "quorvale");
  ProgramOptions options;
  options.cameraIndex = 77;  // stale values must be reset
  options.comPortNumber = 77;
  parseArguments(static_cast<int>(words.size()), words.data(), &options);
  return options;
}

std::string describe(const ProgramOptions& o) {
  static const char* const kModes[] = {"BadArgument", "Help", "List", "Info", "Script"};
  std::string text = kModes[static_cast<int>(o.mode)];
  text += " camera=" + std::to_string(o.cameraIndex);
  text += " com=" + std::to_string(o.comPortNumber);
  if (!o.comPortPath.empty()) text += " comPath=" + o.comPortPath;
  if (o.scriptPath) text += " script=" + *o.scriptPath;
  if (o.badArgument) text += " bad=" + *o.badArgument;
  if (o.simulated) text += " sim";
  if (o.simWorldPath) text += " world=" + *o.simWorldPath;
  if (o.atMoment) text += (o.atUtc ? " atutc=" : " at=") + *o.atMoment;
  if (o.speed) text += " speed=" + *o.speed;
  if (!o.reportPath.empty()) text += " report=" + o.reportPath;
  if (o.eclipseListing) text += " eclipse";
  if (o.eclipseDate) text += "=" + *o.eclipseDate;
  if (o.site) text += " site=" + *o.site;
  if (o.elementsPath) text += " elements=" + *o.elementsPath;
  if (o.deltaT) text += " deltat=" + *o.deltaT;
  return text;
}

// Later words override earlier ones, except that help, list and a bad argument end the parsing.
// Numbers are read as the C library reads them; a COM value starting with '/' is a device path.
TEST(ParseArgumentsTest, ModesValuesAndTheirOrder) {
  const struct {
    std::vector<const char*> words;
    const char* parsed;
  } cases[] = {
      {{}, "List camera=0 com=-1"},
      {{"/?", "-nonsense"}, "Help camera=0 com=-1"},
      {{"-camera", "3", "-list", "-x"}, "List camera=3 com=-1"},
      {{"-c", "1", "-s", "s.qvs"}, "Script camera=1 com=-1 script=s.qvs"},
      {{"-script", "s.qvs", "-camera", "1"}, "Script camera=1 com=-1 script=s.qvs"},
      {{"-script", "s.qvs", "-i"}, "Info camera=0 com=-1 script=s.qvs"},
      {{"--info", "--script", "s.qvs"}, "Script camera=0 com=-1 script=s.qvs"},
      {{"-script", "a", "-script", "-"}, "Script camera=0 com=-1"},
      {{"-sim", "w.ini", "-speed", "60", "-at", "18:00", "-script", "s.qvs"},
       "Script camera=0 com=-1 script=s.qvs sim world=w.ini at=18:00 speed=60"},
      {{"-at", "1", "--sim", "-script", "s.qvs", "-atutc", "2026-08-12"},
       "Script camera=0 com=-1 script=s.qvs sim atutc=2026-08-12"},
      {{"-com", "-3"}, "List camera=0 com=3"},
      {{"--com", "  +12abc"}, "List camera=0 com=12"},
      {{"-com", "abc"}, "List camera=0 com=0"},
      {{"-com", "-99999999999"}, "List camera=0 com=2147483647"},
      {{"-camera", " -2"}, "Info camera=-2 com=-1"},
      {{"-com", "/dev/ttyUSB0"}, "List camera=0 com=-1 comPath=/dev/ttyUSB0"},
      {{"-com", "/dev/ttyUSB0", "-com", "5"}, "List camera=0 com=5"},
      {{"-HELP"}, "BadArgument camera=0 com=-1 bad=-HELP"},
      {{"-inf"}, "BadArgument camera=0 com=-1 bad=-inf"},
      {{"--camera=1"}, "BadArgument camera=0 com=-1 bad=--camera=1"},
      {{"x", "-camera", "3"}, "BadArgument camera=0 com=-1 bad=x"},
      // A missing value names the option.
      {{"-camera", "1", "-script"}, "BadArgument camera=1 com=-1 bad=-script"},
      {{"-speed"}, "BadArgument camera=0 com=-1 bad=-speed"},
      {{"-script", "s.qvs", "-report", "a.csv", "--report", "-"},
       "Script camera=0 com=-1 script=s.qvs report=-"},
      {{"-script", "s.qvs", "-report"}, "BadArgument camera=0 com=-1 script=s.qvs bad=-report"},
      // The eclipse options keep their values as given; -eclipse takes a date only when the next
      // word does not start with "-", and the other three need a value (a site may start with "-").
      {{"-eclipse", "2026-08-12", "-site", "-33.9,18.4,20", "-elements", "e.txt", "-deltat",
        "-1.5"},
       "List camera=0 com=-1 eclipse=2026-08-12 site=-33.9,18.4,20 elements=e.txt deltat=-1.5"},
      {{"--eclipse", "--site", "41.6,-0.9", "-sim", "-script", "s.qvs"},
       "Script camera=0 com=-1 script=s.qvs sim eclipse site=41.6,-0.9"},
      {{"-at", "c2-60", "-script", "s.qvs"}, "Script camera=0 com=-1 script=s.qvs at=c2-60"},
      {{"-eclipse", "-site"}, "BadArgument camera=0 com=-1 bad=-site eclipse"},
      {{"-eclipse", "-elements"}, "BadArgument camera=0 com=-1 bad=-elements eclipse"},
      {{"-eclipse", "-deltat"}, "BadArgument camera=0 com=-1 bad=-deltat eclipse"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.parsed, describe(parse(c.words))) << (c.words.empty() ? "" : c.words[0]);
  }
}

}  // namespace
