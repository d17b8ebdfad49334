// CQuorvaleScriptParser: the script interpreter. A flex-generated, longest-match scanner
// (CQuorvaleScriptParser_FlexLexer, from script_scanner.l) whose rule actions each call one
// command of this class at once; the class holds the state that all commands share.
//
// Use: construct, switchToText(text, size) (or switch_streams(&input, &output)), yylex() once,
// destroy. yylex() returns 0 at the end of the text, or throws:
//   - a uint32_t script-end value: 0 when the stop event ended the script (the termination
//     warning already printed), 1 when the header line found no camera;
//   - an int32_t -1 when the scanning engine fails (allocation, a read error of the input);
//   - std::bad_alloc when a command cannot get the memory for its copy of a rule text.
// After a throw the object is in mid-scan and may only be destroyed.
//
// A NUL byte is out of place in a script: both inputs drop it, so the line it stands in reads as
// if it were not there.
//
// Ownership: |camera|, |comPort| and |stopEvent| are not owned and must outlive the parser; the
// text given to switchToText and the streams given to switch_streams are not owned either. The
// parser owns its wait timer.
// The destructor gives back every level of the camera lock the script still holds.
//
// Thread safety: the parser is used by the script thread alone. The stop event is set by other
// threads and only tested here. Sound players started by doPlay get their own copy of the file name
// and touch nothing of the parser.
#ifndef QUORVALE_SCRIPT_SCRIPT_PARSER_H_
#define QUORVALE_SCRIPT_SCRIPT_PARSER_H_

#include <cstddef>
#include <cstdint>
#include <memory>

#if !defined(yyFlexLexerOnce)
#define yyFlexLexer CQuorvaleScriptParser_FlexLexer
#include <FlexLexer.h>
#undef yyFlexLexer
#endif

#include "mt/mt_locker.h"
#include "platform/event.h"
#include "platform/local_time.h"
#include "script/eclipse_context.h"
#include "script/script_clock.h"
#include "script/script_text_lines.h"
#include "script/set_item.h"

class CCanonCamera;
class CFrameRecord;
namespace platform {
class SerialLine;
}

class CQuorvaleScriptParser final : public CQuorvaleScriptParser_FlexLexer {
 public:
  // |camera| may be null (the header line then ends the script with value 1); |comPort| may be null
  // (a flash then reports that the port is not open); |stopEvent| may be null (checkStop does
  // nothing, sleeps are plain). |clock| null means the system clock.
  CQuorvaleScriptParser(CCanonCamera* camera, platform::SerialLine* comPort, void* ownerWindow,
                        platform::Event* stopEvent, ScriptClock* clock = nullptr);
  ~CQuorvaleScriptParser() override;

  CQuorvaleScriptParser(const CQuorvaleScriptParser&) = delete;
  CQuorvaleScriptParser& operator=(const CQuorvaleScriptParser&) = delete;

  // Points the scan at the script |text| of |size| bytes, in place: nothing is copied, so the
  // scan takes no memory of its own beyond a few bytes, and its time is linear in the text. The
  // bytes are not owned; they must stay alive, and be left alone by others, until the scan is
  // over. The scan writes into them: NUL bytes are dropped first (the rest moves up), the two
  // bytes after what is left become the scanner's NUL end bytes (so |text| needs room for
  // size + 2 bytes), and while a rule action runs a NUL ends its match. Replaces any input given
  // before. Throws -1 when the buffer record cannot be allocated or the text has 2 GiB or more.
  void switchToText(char* text, size_t size);

  // The scan; generated from script_scanner.l.
  int yylex() override;

  // --- Common steps (timing_commands.cc) ---
  // Throws the script-end value 0 after printing "\nProgram terminated!\n" when the stop event is
  // set (or cannot be tested).
  void checkStop();
  // checkStop, then prints |text| (may be null) unchanged as a Msg.
  void doPrint(const char* text);
  // Drops every level of the script's camera lock.
  void releaseCameraLock();
  // Waits for the UTC moment |dueUtc| (file time) or the stop event.
  void waitUntil(uint64_t dueUtc);

  // --- Timing commands (timing_commands.cc); |text| is the whole matched rule text ---
  void doCheckpoint(bool verbose);
  void doWaitCheckpoint(const char* text);
  void doWaitTime(const char* text, bool gmt);
  void doSleep(const char* text);

  // --- Eclipse commands (contact_commands.cc); |text| is the whole matched rule text ---
  // The site line ("site lat=41.6488 lon=-0.8891 height=200"): the site of the contact waits,
  // unless the command line gave one (which wins). Bad items: an error line, the site unchanged.
  void doSite(const char* text);
  // "wait c2=-10" and the like: waits, like "wait utc=", for the contact's moment plus the offset
  // at the current site. No site, no eclipse or no such contact there: an error line, no wait.
  void doWaitContact(const char* text);

  // The eclipse of the contact waits; configured by the script thread before the scan.
  EclipseContext& eclipse() { return eclipse_; }
  const EclipseContext& eclipse() const { return eclipse_; }

  // --- Message, sound and prompt commands (user_commands.cc) ---
  void doSkip(const char* text);
  // doSkip for each byte of |text| on its own.
  void doSkipBytes(const char* text);
  void doPlay(const char* text);
  void doWaitUser(const char* text);
  // The header line: ends the script with value 1 without a camera, else sets the checkpoint.
  void doHeader();

  // --- Camera commands (property_commands.cc, shot_commands.cc) ---
  void doSet(const char* text, SetItem item);
  void doShot();
  void doComFlash();
  void doLockUI();
  void doUnlockUI();

  // The record told of each shot's script line and ok line (null: none). Not owned; it must
  // outlive the parser.
  void setFrameRecord(CFrameRecord* record) { frameRecord_ = record; }

  // Read-only views for tests and benchmarks.
  uint32_t lockCount() const { return cameraLock.count(); }
  uint32_t shots() const { return shotCount; }
  uint32_t comTimeMs() const { return shotComTime; }
  uint64_t checkpoint() const { return checkpointTime; }
  // The moment of the latest time or utc wait as written (its calendar fields) and, for a local
  // time, how the zone's rules resolved it (a repeated or a skipped hour); kUnique for UTC and
  // before any wait.
  const platform::CalendarTime& lastLocalMoment() const { return lastLocalMoment_; }
  platform::LocalTimeKind lastLocalMomentKind() const { return lastLocalMomentKind_; }
  // The byte offset in the script text where the match whose action runs now begins.
  uint64_t matchOffset() const { return matchStart_; }
  // The text given to switchToText as the scan reads it (NUL bytes dropped), for readers on the
  // scanning thread: whether there is one (none with switch_streams), its length, and its byte at
  // |offset| (below textSize()). While a rule action runs, the byte after its match holds a NUL
  // in the text; byteAt() gives the real one.
  bool hasText() const { return text_ != nullptr; }
  uint64_t textSize() const { return textSize_; }
  char byteAt(uint64_t offset) const {
    const char* at = text_ + offset;
    return at == yy_c_buf_p ? yy_hold_char : *at;
  }

 protected:
  // Called before every rule action with the match's length; keeps matchOffset().
  void noteMatch(int length) {
    matchStart_ = matched_;
    matched_ += static_cast<uint64_t>(length);
  }

  // Every byte that no rule matches arrives here (rule 48 echoes it); reported through doSkip.
  void LexerOutput(const char* buf, int size) override;
  // Reads the stream given to switch_streams, dropping NUL bytes.
  int LexerInput(char* buf, int maxSize) override;

 private:
  // Makes the scanner's current buffer one over bytes[0, length) and the two NUL end bytes after
  // them, which it never refills nor frees (script_scanner.l, beside the engine it feeds).
  void switchToBuffer(char* bytes, int length);

  CCanonCamera* const camera;
  CMtLocker cameraLock;
  platform::Event* const stopEvent;
  uint64_t checkpointTime = 0;
  void* const ownerWindow;
  std::unique_ptr<platform::WaitableTimer> waitTimer;
  uint32_t shotCount = 0;
  platform::SerialLine* const comPort;
  uint32_t shotComTime = 250;
  ScriptClock* const clock_;
  EclipseContext eclipse_;
  const char* text_ = nullptr;  // the text of switchToText
  uint64_t textSize_ = 0;
  uint64_t matched_ = 0;     // bytes matched so far
  uint64_t matchStart_ = 0;  // where the current match begins
  platform::CalendarTime lastLocalMoment_{};
  platform::LocalTimeKind lastLocalMomentKind_ = platform::LocalTimeKind::kUnique;
  CFrameRecord* frameRecord_ = nullptr;
  ScriptTextLines shotLines_{this};  // the script line of each shot, counted as the scan goes
};

#endif  // QUORVALE_SCRIPT_SCRIPT_PARSER_H_
