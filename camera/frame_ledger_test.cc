#include "camera/frame_ledger.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "camera/eds.h"

namespace {

// A body at the default PTP timing: 560 ms waits, completions 257 ms after the release.
FrameLedger::Release release(uint64_t number, uint64_t atMs, uint32_t waitMs = 560,
                             uint32_t exposureMs = 0) {
  FrameLedger::Release r;
  r.number = number;
  r.atMs = atMs;
  r.exposureMs = exposureMs;
  r.waitMs = waitMs;
  r.marginMs = 10000;
  r.slackMs = 150;
  r.holdsBuffer = true;
  return r;
}

// "n:fate" per settled frame, in order.
std::string fates(const std::vector<FrameLedger::Settled>& settled) {
  std::string out;
  for (const FrameLedger::Settled& s : settled) {
    if (!out.empty()) out += " ";
    out += std::to_string(s.number) + ":" + frameFateName(s.fate);
  }
  return out;
}

// The completions carry no frame number: which open frame each one goes to, in the orders a body
// can give them. Each step is "rN@T" (frame N released at T ms), "RN@T" (the same with a 30"
// exposure), "cN@T" (a completion at T that must go to frame N; 0: to none) or "fN@T" (the same,
// failed).
TEST(FrameLedgerTest, EachCompletionGoesToItsOwnFrameInEveryOrder) {
  const struct {
    const char* what;
    const char* steps;
    const char* fates;
  } cases[] = {
      // Frame 2's completion never comes: frame 3's, at its own pace, is not taken for it.
      {"lost", "r1@0 c1@257 r2@257 r3@817 c3@1074 r4@1074 f4@1331",
       "1:stored 2:unconfirmed 3:stored 4:failed"},
      // Frame 2's comes 3 s late, after frames 3 and 4 and soon after frame 5's release, long
      // before the body's pace lets frame 5 be done; then a quick completion is the frame's own.
      {"late",
       "r1@0 c1@257 r2@257 r3@817 c3@1074 r4@1074 c4@1331 r5@3200 c0@3257 c5@3457 r6@3500 "
       "c6@3520",
       "1:stored 2:unconfirmed 3:stored 4:stored 5:stored 6:stored"},
      // Frame 2's late completion comes during frame 4's 30" exposure, which waits on for its own.
      {"late during a long exposure", "r1@0 c1@257 r2@257 r3@817 c3@1074 R4@1074 c0@3257 c4@31300",
       "1:stored 2:unconfirmed 3:stored 4:stored"},
      // A body quicker than the exposure looked, with no frame given up: the frame's after all.
      {"quicker than the exposure", "R1@0 c1@5", "1:stored"},
  };
  for (const auto& c : cases) {
    FrameLedger ledger;
    std::vector<FrameLedger::Settled> settled;
    std::istringstream steps(c.steps);
    std::string step;
    while (steps >> step) {
      const uint64_t n = std::stoull(step.substr(1));
      const uint64_t atMs = std::stoull(step.substr(step.find('@') + 1));
      if (step[0] == 'r') ledger.open(release(n, atMs));
      if (step[0] == 'R') ledger.open(release(n, atMs, 33505, 28000));
      if (step[0] == 'c' || step[0] == 'f') {
        EXPECT_EQ(n, ledger.complete(atMs, step[0] == 'f', 2, &settled)) << c.what << " " << step;
      }
    }
    EXPECT_EQ(c.fates, fates(settled)) << c.what;
    EXPECT_EQ(0u, ledger.openCount()) << c.what;
  }
}

TEST(FrameLedgerTest, SilentFramesMeetTheirDeadlineOneAfterTheOther) {
  FrameLedger ledger;
  std::vector<FrameLedger::Settled> settled;
  ledger.open(release(1, 0, 33505, 28000));
  // Silent: the deadline is the wait's end, the wait again and the margin; a queue behind it
  // starts its own clock when it is settled.
  ledger.open(release(2, 33505));
  EXPECT_EQ(33505u + 33505 + 10000 + 560 + 10000, ledger.lastDeadlineMs());
  ledger.giveUpOverdue(77010, &settled);
  EXPECT_TRUE(settled.empty());
  ledger.giveUpOverdue(77011, &settled);
  EXPECT_EQ("1:unconfirmed", fates(settled));
  EXPECT_TRUE(settled[0].freeBuffer);
  ledger.giveUpOverdue(77010 + 560 + 10000 + 1, &settled);
  EXPECT_EQ("1:unconfirmed 2:unconfirmed", fates(settled));
}

TEST(FrameLedgerTest, BuffersAndTheEndOfTheSession) {
  FrameLedger ledger;
  std::vector<FrameLedger::Settled> settled;
  ledger.open(release(1, 0));
  FrameLedger::Release noBuffer = release(2, 600);
  noBuffer.holdsBuffer = false;
  ledger.open(noBuffer);
  ledger.open(release(3, 1200));
  // Images leave the buffer in order; a frame that took no buffer gives none back.
  EXPECT_TRUE(ledger.leftBuffer());
  EXPECT_FALSE(ledger.leftBuffer());
  EXPECT_TRUE(ledger.cancel(3));
  EXPECT_FALSE(ledger.isOpen(3));
  ledger.open(release(3, 1300));
  // The body goes away while frame 3 is waited for: it fails, the others are left without word.
  ledger.settleAll(1500, 3, EDS_ERR_COMM_DISCONNECTED, FrameWhy::kCameraLost, &settled);
  EXPECT_EQ("1:unconfirmed 2:unconfirmed 3:failed", fates(settled));
  EXPECT_FALSE(settled[0].freeBuffer);  // it left the buffer already
  EXPECT_EQ(FrameWhy::kCameraLost, settled[1].why);
  EXPECT_EQ(EDS_ERR_COMM_DISCONNECTED, settled[2].result);
  EXPECT_TRUE(settled[2].freeBuffer);
  EXPECT_EQ(0u, ledger.lastDeadlineMs());
}

}  // namespace
