// FrameLedger: the camera's frames that the body has not yet settled, and the rules that match the
// body's completions to them.
//
// The body's completion events (PTP job status 0, a legacy body's new file, a capture error) carry
// no shot number. What they do carry is their moment, and the body completes its frames in the
// order it took them. So a completion at moment t belongs to the oldest open frame that can be
// complete by t: a frame cannot complete before its exposure has ended. A completion that no open
// frame can have is the late one of a frame given up while such a frame's completion may still
// come (one per frame given up), and so is one that comes before half the body's pace has passed
// for the oldest open frame; otherwise it is the oldest open frame's after all (the body was
// quicker than the exposure looked: an unreadable Tv, a body that does not expose for real). A
// frame whose completion never comes (a lost event) must not absorb the next frame's: the ledger
// learns the body's pace from the completions it sees (the time from the later of a frame's release
// and the previous completion to the frame's own completion), and when a completion arrives while
// the oldest open frame is overdue (its pace has passed since the later of its release and the last
// completion, plus a slack of an eighth of the pace or the frame's slack, whichever is more) and a
// younger frame can take it, the old frame is given up as unconfirmed and the completion goes on.
// Without any completion seen yet, and for a body that falls silent, a frame is given up when its
// deadline passes: the later of its own wait's end and the moment the frame before it was settled,
// plus its wait again and a few seconds (ten: a queue of slow card writes settles one frame after
// the other, and the first RAW frame of a slow card may take that long).
//
// Times are milliseconds of one monotonic clock, chosen by the caller; the ledger never reads a
// clock itself, so its rules are tested with exact moments.
//
// Thread safety: none; the camera guards its ledger with its own lock.
#ifndef QUORVALE_CAMERA_FRAME_LEDGER_H_
#define QUORVALE_CAMERA_FRAME_LEDGER_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "camera/frame_fate.h"

class FrameLedger final {
 public:
  // What the ledger knows of a frame when it is released.
  struct Release {
    uint64_t number = 0;       // the camera's frame number, from 1
    uint64_t atMs = 0;         // the release moment
    uint32_t exposureMs = 0;   // the exposure as the body runs it (real ms): no completion before
    uint32_t waitMs = 0;       // the wait the capture allows for the completion (real ms)
    uint32_t marginMs = 0;     // added to the deadline of a frame of a silent body (real ms)
    uint32_t slackMs = 0;      // how much later than the pace allows a completion may come
    bool holdsBuffer = false;  // took one of the program's in-camera buffers
  };

  // A frame the ledger let go of: its fate, why (for a failure the shot's result), and whether
  // its buffer is to be given back.
  struct Settled {
    uint64_t number = 0;
    FrameFate fate = FrameFate::kOpen;
    uint32_t result = 0;             // kFailed: the shot's result (captureErrorResult or SDK code)
    FrameWhy why = FrameWhy::kNone;  // kUnconfirmed: why
    uint64_t atMs = 0;
    bool freeBuffer = false;
  };

  FrameLedger() = default;
  FrameLedger(const FrameLedger&) = delete;
  FrameLedger& operator=(const FrameLedger&) = delete;

  // A frame the body accepted. Frames are opened in release order.
  void open(const Release& release);
  // The timing of frame |number|, once it is known: no completion before |exposureMs| after its
  // release, and the capture waits |waitMs| for it.
  void setTiming(uint64_t number, uint32_t exposureMs, uint32_t waitMs);
  // The release of |number| was refused: it was never a frame. Returns whether it held a buffer.
  bool cancel(uint64_t number);

  // A completion (stored, or failed with capture error |captureError| when |failed|) at |nowMs|:
  // first gives up overdue frames, then settles the frame it belongs to. Everything settled is
  // appended to *out, in order; the completion's own frame (if any) comes last, and its number is
  // returned (0 when it is taken for the late completion of a frame given up, or no frame is
  // open).
  uint64_t complete(uint64_t nowMs, bool failed, uint32_t captureError, std::vector<Settled>* out);

  // The image of the oldest frame whose image has not yet left the body's buffer did so. Returns
  // true when that frame held a buffer, which it no longer does.
  bool leftBuffer();

  // Gives up, as unconfirmed with kNoWord, every frame whose deadline has passed at |nowMs|.
  void giveUpOverdue(uint64_t nowMs, std::vector<Settled>* out);

  // Settles every open frame as unconfirmed with |why|, except |waitingNumber| (0: none), which
  // fails with |waitingResult| when that is not 0. Used when the session ends.
  void settleAll(uint64_t nowMs, uint64_t waitingNumber, uint32_t waitingResult, FrameWhy why,
                 std::vector<Settled>* out);
  // Settles the one frame |number| as unconfirmed with |why| (its wait was stopped). Returns
  // false when it is not open.
  bool settleOne(uint64_t number, uint64_t nowMs, FrameWhy why, std::vector<Settled>* out);

  bool isOpen(uint64_t number) const;
  size_t openCount() const { return open_.size(); }
  // The latest deadline of the open frames as they stand (0 without open frames): the moment by
  // which every open frame is settled, one way or the other.
  uint64_t lastDeadlineMs() const;
  // The body's pace as learned (0: no completion seen yet).
  uint32_t paceMs() const { return paceMs_; }

 private:
  struct Frame {
    Release release;
    bool leftBuffer = false;
  };

  // The moment the oldest open frame is overdue by the pace, or UINT64_MAX without a pace.
  uint64_t overdueByPaceMs(const Frame& frame) const;
  // The silent-body deadline of the open frame at |index|.
  uint64_t deadlineMs(size_t index) const;
  Settled settle(const Frame& frame, FrameFate fate, uint64_t atMs);
  void giveUpFront(uint64_t nowMs, FrameWhy why, std::vector<Settled>* out);

  std::deque<Frame> open_;         // oldest first
  uint64_t lastCompletionMs_ = 0;  // moment of the last completion matched to a frame
  bool sawCompletion_ = false;
  uint64_t lastSettledMs_ = 0;  // moment the last frame was settled, any way
  uint32_t paceMs_ = 0;
  uint64_t strays_ = 0;  // frames given up whose completion may still come
};

#endif  // QUORVALE_CAMERA_FRAME_LEDGER_H_
