#include <gtest/gtest.h>

#include "platform/console_control.h"

// Console signals stay blocked in every test thread, so tests can raise them at the process.
int main(int argc, char** argv) {
  platform::blockConsoleSignals();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
