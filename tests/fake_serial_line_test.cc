#include "tests/fake_serial_line.h"

#include <cerrno>

#include <gtest/gtest.h>

#include "platform/error.h"

namespace {

TEST(FakeSerialLineTest, RecordsCallsThroughAnOwnedHandleAndFailsPlannedOnesOnce) {
  FakeSerialLine line;
  line.failNext(FakeSerialLine::kRtsOff, EIO);
  line.failNext(FakeSerialLine::kReadState, EBADF);
  {
    std::unique_ptr<platform::SerialLine> port = line.newHandle();
    platform::setLastError(0);
    EXPECT_FALSE(port->readState());
    EXPECT_EQ(static_cast<uint32_t>(EBADF), platform::lastError());
    EXPECT_TRUE(port->readState());
    EXPECT_TRUE(port->setRts(true));
    EXPECT_FALSE(port->setRts(false));
    EXPECT_EQ(static_cast<uint32_t>(EIO), platform::lastError());
    EXPECT_TRUE(line.rts());  // the failed de-assertion left the line on
    EXPECT_TRUE(port->setRts(false));
    EXPECT_FALSE(line.rts());
  }
  EXPECT_EQ("readState failed 9\nreadState\nsetRts(1)\nsetRts(0) failed 5\nsetRts(0)\nclose\n",
            line.journal());
  std::vector<FakeSerialLine::Call> calls = line.calls();
  ASSERT_EQ(6u, calls.size());
  EXPECT_EQ(FakeSerialLine::kRtsOn, calls[2].op);
  EXPECT_EQ(static_cast<uint32_t>(EIO), calls[3].error);
  for (size_t i = 1; i < calls.size(); ++i) EXPECT_LE(calls[i - 1].at, calls[i].at);
}

TEST(FakeSerialLineTest, OpenerServesOpenSerialLineUntilTheFakeIsGone) {
  {
    FakeSerialLine line;
    line.installOpener();
    line.failNext(FakeSerialLine::kOpen, ENOENT);
    platform::setLastError(0);
    EXPECT_EQ(nullptr, platform::openSerialLine("/dev/ttyS4"));
    EXPECT_EQ(static_cast<uint32_t>(ENOENT), platform::lastError());

    std::unique_ptr<platform::SerialLine> port = platform::openSerialLine("/dev/ttyS4");
    ASSERT_NE(nullptr, port);
    EXPECT_TRUE(port->setRts(false));
    port.reset();
    EXPECT_EQ("open /dev/ttyS4 failed 2\nopen /dev/ttyS4\nsetRts(0)\nclose\n", line.journal());
  }
  // The real opener is back.
  platform::setLastError(0);
  EXPECT_EQ(nullptr, platform::openSerialLine("/dev/quorvale-no-such-port"));
  EXPECT_EQ(static_cast<uint32_t>(ENOENT), platform::lastError());
}

}  // namespace
