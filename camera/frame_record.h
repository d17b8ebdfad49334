// CFrameRecord: every frame of a script's run with its fate, told to the photographer.
//
// The camera tells the record of each release the body accepted (its number, moment and exposure)
// and of each frame's fate when it is known; the shot command tells it the script line of each
// shot and which frames the script reported "Shot #n: ok". From that the record
//  - writes one log line per frame when its fate is known: number, release moment, completion
//    moment, fate and reason;
//  - says at once on the error stream when a frame already reported ok turns out otherwise:
//    "Shot #4: failed after its wait: The lens was closed" (n is the number its ok line showed);
//  - writes a row of the report file (-report) per frame when its fate is known, flushed, so
//    that a crash keeps what was known;
//  - prints, at the end, one count line on the error stream when some frame was not stored:
//    "Frames: 6 released, 5 stored, 1 failed (#4), 0 unconfirmed".
// Frames are numbered by release, from 1; a refused release is not a frame.
//
// The report is CSV with a header line and the columns
//   shot,line,release_utc,exposure_ms,completion_utc,fate,reason
// shot: the frame number; line: the script line of the shot command (0 when not known);
// release_utc, completion_utc: "YYYY-MM-DDTHH:MM:SS.mmmZ" on the computer's clock, completion
// empty when the body never told; exposure_ms: the exposure the Tv asks for; fate: stored,
// failed or unconfirmed; reason: the body's error for a failed frame, why for an unconfirmed one,
// in double quotes.
//
// Thread safety: every operation may be called from any thread; lock_ guards all fields. Output is
// written with lock_ held (the output lock is taken last).
#ifndef QUORVALE_CAMERA_FRAME_RECORD_H_
#define QUORVALE_CAMERA_FRAME_RECORD_H_

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "camera/frame_fate.h"
#include "mt/mt_critical_section.h"

class CFrameRecord final {
 public:
  CFrameRecord() = default;
  ~CFrameRecord();  // closes the report
  CFrameRecord(const CFrameRecord&) = delete;
  CFrameRecord& operator=(const CFrameRecord&) = delete;

  // Creates (or empties) the report file at |path| and writes its header. Returns false, with
  // the system's reason in *error, when it cannot be written.
  bool openReport(const std::string& path, std::string* error);

  // The script line of the shot command about to release (0: unknown).
  void noteScriptLine(uint32_t line);

  // --- From the camera ---
  // Frame |number| was released at |releaseUtc| (file time) with an exposure of |exposureMs|.
  void onRelease(uint64_t number, uint64_t releaseUtc, uint32_t exposureMs);
  // The exposure of frame |number| as its Tv asks for it, once read.
  void onExposure(uint64_t number, uint32_t exposureMs);
  // The release of |number| was refused: it is no frame.
  void onRefused(uint64_t number);
  // Frame |number| was settled at |atUtc|: stored, failed with |result| (a shot result code), or
  // unconfirmed with |why|. A second fate for the same frame is ignored.
  void onSettled(uint64_t number, FrameFate fate, uint32_t result, FrameWhy why, uint64_t atUtc);

  // --- From the shot command ---
  // The script printed "Shot #|shown|: ok" for frame |number|.
  void onReportedOk(uint64_t number, uint32_t shown);

  // Prints the count line when some frame was not stored; nothing otherwise.
  void printCount();

  struct Counts {
    uint64_t released = 0;
    uint64_t stored = 0;
    uint64_t failed = 0;
    uint64_t unconfirmed = 0;
    uint64_t open = 0;
  };
  Counts counts();

 private:
  struct Frame {
    uint32_t line = 0;
    uint64_t releaseUtc = 0;
    uint32_t exposureMs = 0;
    bool exposureKnown = false;  // the log line and the row wait for it
    uint64_t settledUtc = 0;
    FrameFate fate = FrameFate::kOpen;
    std::string reason;
    uint32_t shown = 0;  // the number of its ok line; 0 while none was printed
  };

  // REQUIRES: lock_ held. The late-fate line of |frame| when it was reported ok and not stored.
  void sayLateFateLocked(const Frame& frame);
  // REQUIRES: lock_ held. The log line and the report row of a settled frame.
  void writeSettledLocked(uint64_t number, const Frame& frame);

  CMtCriticalSection lock_;
  std::map<uint64_t, Frame> frames_;  // guarded by lock_
  uint32_t nextLine_ = 0;             // guarded by lock_
  std::FILE* report_ = nullptr;       // guarded by lock_
};

#endif  // QUORVALE_CAMERA_FRAME_RECORD_H_
