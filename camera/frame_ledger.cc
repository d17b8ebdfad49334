#include "camera/frame_ledger.h"

#include <algorithm>
#include <limits>

#include "camera/error_text.h"

namespace {

constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();

uint64_t earliestMs(const FrameLedger::Release& release) {
  return release.atMs + release.exposureMs;
}

}  // namespace

const char* frameFateName(FrameFate fate) {
  switch (fate) {
    case FrameFate::kStored:
      return "stored";
    case FrameFate::kFailed:
      return "failed";
    case FrameFate::kUnconfirmed:
      return "unconfirmed";
    case FrameFate::kOpen:
      break;
  }
  return "open";
}

const char* frameWhyText(FrameWhy why) {
  switch (why) {
    case FrameWhy::kNoWord:
      return "no completion came from the body";
    case FrameWhy::kCameraLost:
      return "the camera was lost before it completed the shot";
    case FrameWhy::kStopped:
      return "the script was stopped during the shot";
    case FrameWhy::kSessionClosed:
      return "the session closed before the shot completed";
    case FrameWhy::kNone:
      break;
  }
  return "";
}

void FrameLedger::open(const Release& release) {
  Frame frame;
  frame.release = release;
  open_.push_back(frame);
}

void FrameLedger::setTiming(uint64_t number, uint32_t exposureMs, uint32_t waitMs) {
  for (Frame& frame : open_) {
    if (frame.release.number == number) {
      frame.release.exposureMs = exposureMs;
      frame.release.waitMs = waitMs;
      return;
    }
  }
}

bool FrameLedger::cancel(uint64_t number) {
  for (auto frame = open_.begin(); frame != open_.end(); ++frame) {
    if (frame->release.number == number) {
      const bool held = frame->release.holdsBuffer;
      open_.erase(frame);
      return held;
    }
  }
  return false;
}

bool FrameLedger::isOpen(uint64_t number) const {
  for (const Frame& frame : open_) {
    if (frame.release.number == number) return true;
  }
  return false;
}

FrameLedger::Settled FrameLedger::settle(const Frame& frame, FrameFate fate, uint64_t atMs) {
  Settled settled;
  settled.number = frame.release.number;
  settled.fate = fate;
  settled.atMs = atMs;
  settled.freeBuffer = frame.release.holdsBuffer;
  lastSettledMs_ = std::max(lastSettledMs_, atMs);
  return settled;
}

void FrameLedger::giveUpFront(uint64_t nowMs, FrameWhy why, std::vector<Settled>* out) {
  strays_ += 1;  // its completion may still come, late
  Settled settled = settle(open_.front(), FrameFate::kUnconfirmed, nowMs);
  settled.why = why;
  open_.pop_front();
  out->push_back(settled);
}

uint64_t FrameLedger::overdueByPaceMs(const Frame& frame) const {
  if (!sawCompletion_) return kNever;
  // The body starts on a frame when it is released or when it is done with the one before,
  // whichever is later, and needs about its pace for it.
  const uint64_t base = std::max(frame.release.atMs, lastCompletionMs_);
  return base + paceMs_ + std::max<uint64_t>(frame.release.slackMs, paceMs_ / 8);
}

uint64_t FrameLedger::deadlineMs(size_t index) const {
  // A queue settles one frame after the other: a frame's clock starts when the one before it is
  // settled at the latest.
  uint64_t before = lastSettledMs_;
  for (size_t i = 0; i <= index; ++i) {
    const Release& release = open_[i].release;
    const uint64_t start = std::max(release.atMs + release.waitMs, before);
    before = start + release.waitMs + release.marginMs;
  }
  return before;
}

uint64_t FrameLedger::lastDeadlineMs() const {
  return open_.empty() ? 0 : deadlineMs(open_.size() - 1);
}

void FrameLedger::giveUpOverdue(uint64_t nowMs, std::vector<Settled>* out) {
  while (!open_.empty()) {
    const uint64_t due = deadlineMs(0);
    if (nowMs <= due) break;
    giveUpFront(due, FrameWhy::kNoWord, out);
  }
}

uint64_t FrameLedger::complete(uint64_t nowMs, bool failed, uint32_t captureError,
                               std::vector<Settled>* out) {
  giveUpOverdue(nowMs, out);
  // An oldest frame far behind the body's pace is given up when a younger one can take the
  // completion: its own completion was lost, or it comes later than any other.
  while (open_.size() > 1 && nowMs > overdueByPaceMs(open_.front()) &&
         earliestMs(open_[1].release) <= nowMs) {
    giveUpFront(nowMs, FrameWhy::kNoWord, out);
  }
  auto frame = open_.begin();
  while (frame != open_.end() && earliestMs(frame->release) > nowMs) ++frame;
  // While a frame given up may still send its completion, one that comes well before the body's
  // pace lets the oldest open frame be done is taken for that late one.
  if (frame != open_.end() && strays_ > 0 && sawCompletion_ &&
      nowMs < std::max(frame->release.atMs, lastCompletionMs_) + paceMs_ / 2) {
    strays_ -= 1;
    return 0;
  }
  if (frame == open_.end()) {
    // No open frame can be complete yet. While a frame given up may still send its completion,
    // this is that one, late; otherwise the body is quicker than its exposure looked (an
    // unreadable Tv, a body that does not expose for real) and it is the oldest frame's.
    if (open_.empty() || strays_ > 0) {
      if (strays_ > 0) strays_ -= 1;
      return 0;
    }
    frame = open_.begin();
  }
  const uint64_t base = std::max(frame->release.atMs, lastCompletionMs_);
  const uint64_t pace = nowMs > base ? nowMs - base : 0;
  paceMs_ = pace > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                        : static_cast<uint32_t>(pace);
  lastCompletionMs_ = nowMs;
  sawCompletion_ = true;
  Settled settled = settle(*frame, failed ? FrameFate::kFailed : FrameFate::kStored, nowMs);
  settled.result = failed ? captureErrorResult(captureError) : 0;
  // Frames older than the completed one stay open: a body completes in order, so they are
  // judged against the pace from now on.
  open_.erase(frame);
  out->push_back(settled);
  return settled.number;
}

bool FrameLedger::leftBuffer() {
  for (Frame& frame : open_) {
    if (!frame.leftBuffer) {
      frame.leftBuffer = true;
      const bool held = frame.release.holdsBuffer;
      frame.release.holdsBuffer = false;
      return held;
    }
  }
  return false;
}

void FrameLedger::settleAll(uint64_t nowMs, uint64_t waitingNumber, uint32_t waitingResult,
                            FrameWhy why, std::vector<Settled>* out) {
  while (!open_.empty()) {
    const Frame& frame = open_.front();
    const bool fails =
        waitingNumber != 0 && frame.release.number == waitingNumber && waitingResult != 0;
    Settled settled = settle(frame, fails ? FrameFate::kFailed : FrameFate::kUnconfirmed, nowMs);
    if (fails) {
      settled.result = waitingResult;
    } else {
      settled.why = why;
    }
    open_.pop_front();
    out->push_back(settled);
  }
}

bool FrameLedger::settleOne(uint64_t number, uint64_t nowMs, FrameWhy why,
                            std::vector<Settled>* out) {
  for (auto frame = open_.begin(); frame != open_.end(); ++frame) {
    if (frame->release.number != number) continue;
    Settled settled = settle(*frame, FrameFate::kUnconfirmed, nowMs);
    settled.why = why;
    open_.erase(frame);
    out->push_back(settled);
    return true;
  }
  return false;
}
