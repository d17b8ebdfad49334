#include "camera/frame_ledger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "camera/eds.h"
#include "camera/error_text.h"

namespace {

// A body at the default PTP timing: 560 ms waits, completions 257 ms after the release.
FrameLedger::Release release(uint64_t number, uint64_t atMs, uint32_t waitMs = 560) {
  FrameLedger::Release r;
  r.number = number;
  r.atMs = atMs;
  r.exposureMs = 0;
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

TEST(FrameLedgerTest, ALostCompletionIsGivenUpInsteadOfTakingTheNextFramesOne) {
  // Frame 2's completion never comes. Frame 3 is released when frame 2's wait ends and completes
  // at its own pace: it is frame 3's, and frame 2 is given up without word.
  FrameLedger ledger;
  std::vector<FrameLedger::Settled> settled;
  ledger.open(release(1, 0));
  EXPECT_EQ(1u, ledger.complete(257, false, 0, &settled));
  ledger.open(release(2, 257));
  ledger.open(release(3, 817));
  EXPECT_EQ(3u, ledger.complete(1074, false, 0, &settled));
  ledger.open(release(4, 1074));
  EXPECT_EQ(4u, ledger.complete(1331, true, 2, &settled));
  EXPECT_EQ("1:stored 2:unconfirmed 3:stored 4:failed", fates(settled));
  EXPECT_EQ(FrameWhy::kNoWord, settled[1].why);
  EXPECT_EQ(captureErrorResult(2), settled[3].result);
  EXPECT_EQ(0u, ledger.openCount());
}

TEST(FrameLedgerTest, ALateCompletionAfterLaterFramesGoesToNoLaterFrame) {
  // Frame 2 completes 3 s late, after frames 3 and 4: those keep their own completions, and the
  // late one finds no open frame.
  FrameLedger ledger;
  std::vector<FrameLedger::Settled> settled;
  ledger.open(release(1, 0));
  ledger.complete(257, false, 0, &settled);
  ledger.open(release(2, 257));
  ledger.open(release(3, 817));
  EXPECT_EQ(3u, ledger.complete(1074, false, 0, &settled));
  ledger.open(release(4, 1074));
  EXPECT_EQ(4u, ledger.complete(1331, false, 0, &settled));
  // It comes soon after frame 5's release, long before the body's pace lets frame 5 be done.
  ledger.open(release(5, 3200));
  EXPECT_EQ(0u, ledger.complete(3257, false, 0, &settled));
  EXPECT_EQ(5u, ledger.complete(3457, false, 0, &settled));
  // With no frame given up any more, a quick completion is the frame's own.
  ledger.open(release(6, 3500));
  EXPECT_EQ(6u, ledger.complete(3520, false, 0, &settled));
  EXPECT_EQ("1:stored 2:unconfirmed 3:stored 4:stored 5:stored 6:stored", fates(settled));
}

TEST(FrameLedgerTest, ABurstCompletedInOrderButLateKeepsEveryCompletionWithItsFrame) {
  // Five frames released 560 ms apart; the card writes each in 3 s, so the completions come long
  // after every wait, one after the other. None is given up, each gets its own.
  FrameLedger ledger;
  std::vector<FrameLedger::Settled> settled;
  for (uint64_t n = 1; n <= 5; ++n) ledger.open(release(n, (n - 1) * 560));
  for (uint64_t n = 1; n <= 5; ++n) {
    EXPECT_EQ(n, ledger.complete(3100 + (n - 1) * 3000, false, 0, &settled)) << n;
  }
  EXPECT_EQ("1:stored 2:stored 3:stored 4:stored 5:stored", fates(settled));
}

TEST(FrameLedgerTest, ALateCompletionDuringTheNextLongExposureEndsNothing) {
  // Frame 2 is given up for frame 3's completion; its own comes late, during frame 4's 30"
  // exposure: it is taken for frame 2's, and frame 4 keeps waiting for its own.
  FrameLedger ledger;
  std::vector<FrameLedger::Settled> settled;
  ledger.open(release(1, 0));
  ledger.complete(257, false, 0, &settled);
  ledger.open(release(2, 257));
  ledger.open(release(3, 817));
  EXPECT_EQ(3u, ledger.complete(1074, false, 0, &settled));
  FrameLedger::Release longExposure = release(4, 1074, 33505);
  longExposure.exposureMs = 28000;
  ledger.open(longExposure);
  EXPECT_EQ(0u, ledger.complete(3257, false, 0, &settled));
  EXPECT_TRUE(ledger.isOpen(4));
  EXPECT_EQ(4u, ledger.complete(31300, false, 0, &settled));
  EXPECT_EQ("1:stored 2:unconfirmed 3:stored 4:stored", fates(settled));
}

TEST(FrameLedgerTest, NoCompletionBeforeTheExposureEndsAndSilentFramesMeetTheirDeadline) {
  FrameLedger ledger;
  std::vector<FrameLedger::Settled> settled;
  FrameLedger::Release longExposure = release(1, 0, 33505);
  longExposure.exposureMs = 28000;
  ledger.open(longExposure);
  // A body quicker than the exposure looked, with no frame given up: the completion is the
  // frame's after all.
  FrameLedger quick;
  quick.open(longExposure);
  EXPECT_EQ(1u, quick.complete(5, false, 0, &settled));
  settled.clear();
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
