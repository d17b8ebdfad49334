#include "app/usage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string usageOf(const ProgramOptions& options, int* code) {
  FILE* stream = tmpfile();
  *code = printUsage(options, stream);
  rewind(stream);
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), stream)) > 0) text.append(buffer, n);
  fclose(stream);
  return text;
}

const char kUsage[] =
    "Usage: \n"
    "    quorvale -h[epl]                      : this help message\n"
    "    quorvale [-list]                      : cameras list\n"
    "    quorvale -camera <n> [-info]          : get camera info by number\n"
    "    quorvale [-camera <n>] -script <path> \n"
    "             [-com <n>] [-log]            : run script for selected camera\n"
    "\n"
    "    -sim                                  : use the simulated cameras\n"
    "    -com </dev/...>                       : flash line on a serial device given by path\n"
    "\n";

TEST(UsageTest, HelpAndBadArgumentTexts) {
  ProgramOptions help;
  help.mode = RunMode::Help;
  int code = -1;
  EXPECT_EQ(std::string("Quorvale v0.1.2\nby the Quorvale developers\n\n") + kUsage,
            usageOf(help, &code));
  EXPECT_EQ(0, code);

  ProgramOptions bad;
  bad.mode = RunMode::BadArgument;
  bad.badArgument = "-camera";
  EXPECT_EQ(std::string("Quorvale v0.1.2\nby the Quorvale developers\n\n"
                        "Unknown command: -camera             \n\n") +
                kUsage,
            usageOf(bad, &code));
  EXPECT_EQ(1, code);

  bad.badArgument = "a-very-long-argument-beyond-twenty";
  EXPECT_NE(std::string::npos,
            usageOf(bad, &code).find("Unknown command: a-very-long-argument-beyond-twenty\n\n"));
}

}  // namespace
