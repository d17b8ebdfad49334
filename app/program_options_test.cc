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
  return text;
}

TEST(ParseArgumentsTest, DefaultsAndEveryOptionForm) {
  EXPECT_EQ("List camera=0 com=-1", describe(parse({})));
  for (const char* help : {"-h", "-help", "--help", "-?", "/?", "?"}) {
    EXPECT_EQ("Help camera=0 com=-1", describe(parse({help}))) << help;
  }
  for (const char* list : {"-l", "-list", "--list"}) {
    EXPECT_EQ("List camera=0 com=-1", describe(parse({"-info", list}))) << list;
  }
  for (const char* info : {"-i", "-info", "--info"}) {
    EXPECT_EQ("Info camera=0 com=-1", describe(parse({info}))) << info;
  }
  for (const char* camera : {"-c", "-camera", "--camera"}) {
    EXPECT_EQ("Info camera=2 com=-1", describe(parse({camera, "2"}))) << camera;
  }
  for (const char* script : {"-s", "-script", "--script"}) {
    EXPECT_EQ("Script camera=0 com=-1 script=a.qvs", describe(parse({script, "a.qvs"}))) << script;
  }
  for (const char* com : {"-com", "--com"}) {
    EXPECT_EQ("List camera=0 com=4", describe(parse({com, "4"}))) << com;
  }
  EXPECT_EQ("List camera=0 com=-1 sim", describe(parse({"-sim"})));
  EXPECT_EQ("List camera=0 com=-1 sim", describe(parse({"--sim"})));
}

// The rehearsal options: "-sim" takes a world file only when the next word is no option.
TEST(ParseArgumentsTest, RehearsalOptions) {
  EXPECT_EQ("Script camera=0 com=-1 script=s.qvs sim world=w.ini at=18:00 speed=60",
            describe(parse({"-sim", "w.ini", "-speed", "60", "-at", "18:00", "-script", "s.qvs"})));
  EXPECT_EQ("Script camera=0 com=-1 script=s.qvs sim atutc=2026-08-12",
            describe(parse({"-at", "1", "-sim", "-script", "s.qvs", "-atutc", "2026-08-12"})));
  EXPECT_EQ("BadArgument camera=0 com=-1 bad=-speed", describe(parse({"-speed"})));
}

TEST(ParseArgumentsTest, BadAndMissingArgumentsStopParsing) {
  EXPECT_EQ("BadArgument camera=0 com=-1 bad=-HELP", describe(parse({"-HELP"})));
  EXPECT_EQ("BadArgument camera=0 com=-1 bad=-inf", describe(parse({"-inf"})));
  EXPECT_EQ("BadArgument camera=0 com=-1 bad=--camera=1", describe(parse({"--camera=1"})));
  EXPECT_EQ("BadArgument camera=0 com=-1 bad=script.qvs", describe(parse({"script.qvs"})));
  // Parsing stops at the bad argument: what follows is not looked at.
  EXPECT_EQ("BadArgument camera=0 com=-1 bad=x", describe(parse({"x", "-camera", "3"})));
  // A missing value names the option.
  EXPECT_EQ("BadArgument camera=1 com=-1 bad=-script",
            describe(parse({"-camera", "1", "-script"})));
  EXPECT_EQ("BadArgument camera=0 com=-1 bad=--com", describe(parse({"--com"})));
}

TEST(ParseArgumentsTest, PrecedenceFollowsTheOrder) {
  EXPECT_EQ("Info camera=1 com=-1", describe(parse({"-camera", "1"})));
  EXPECT_EQ("Script camera=1 com=-1 script=s.qvs",
            describe(parse({"-camera", "1", "-script", "s.qvs"})));
  EXPECT_EQ("Script camera=1 com=-1 script=s.qvs",
            describe(parse({"-script", "s.qvs", "-camera", "1"})));
  EXPECT_EQ("Info camera=0 com=-1 script=s.qvs", describe(parse({"-script", "s.qvs", "-info"})));
  EXPECT_EQ("Script camera=0 com=-1 script=s.qvs", describe(parse({"-info", "-script", "s.qvs"})));
  // Help and list end parsing, even before a bad argument.
  EXPECT_EQ("Help camera=0 com=-1", describe(parse({"-help", "-nonsense"})));
  EXPECT_EQ("List camera=3 com=-1", describe(parse({"-camera", "3", "-list", "-x"})));
}

TEST(ParseArgumentsTest, NumbersAndPathsAreReadLikeTheCLibraryDoes) {
  EXPECT_EQ("List camera=0 com=3", describe(parse({"-com", "-3"})));
  EXPECT_EQ("List camera=0 com=12", describe(parse({"-com", "  +12abc"})));
  EXPECT_EQ("List camera=0 com=0", describe(parse({"-com", "abc"})));
  EXPECT_EQ("List camera=0 com=2147483647", describe(parse({"-com", "-99999999999"})));
  EXPECT_EQ("Info camera=-2 com=-1", describe(parse({"-camera", " -2"})));
  EXPECT_EQ("List camera=0 com=-1 comPath=/dev/ttyUSB0", describe(parse({"-com", "/dev/ttyUSB0"})));
  EXPECT_EQ("List camera=0 com=5", describe(parse({"-com", "/dev/ttyUSB0", "-com", "5"})));
  EXPECT_EQ("Script camera=0 com=-1", describe(parse({"-script", "a", "-script", "-"})));
}

}  // namespace
