#include "camera/frame_record.h"

#include <cinttypes>
#include <string>

#include "camera/error_text.h"
#include "mt/mt_locker.h"
#include "output/output.h"
#include "platform/clock.h"
#include "platform/error.h"

namespace {

// "2026-08-12T18:27:45.123Z", or "" for moment 0.
std::string utcText(uint64_t fileTime) {
  platform::CalendarTime t{};
  if (fileTime == 0 || !platform::fileTimeToCalendar(fileTime, &t)) return "";
  char text[64];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.millisecond);
  return text;
}

// The field in double quotes, a quote inside doubled.
std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

CFrameRecord::~CFrameRecord() {
  CMtLocker locker(&lock_);
  if (report_ != nullptr) std::fclose(report_);
}

bool CFrameRecord::openReport(const std::string& path, std::string* error) {
  CMtLocker locker(&lock_);
  if (report_ != nullptr) std::fclose(report_);
  report_ = std::fopen(path.c_str(), "w");
  if (report_ == nullptr) {
    *error = platform::errorText(platform::lastError());
    return false;
  }
  std::fputs("shot,line,release_utc,exposure_ms,completion_utc,fate,reason\n", report_);
  std::fflush(report_);
  return true;
}

void CFrameRecord::noteScriptLine(uint32_t line) {
  CMtLocker locker(&lock_);
  nextLine_ = line;
}

void CFrameRecord::onRelease(uint64_t number, uint64_t releaseUtc, uint32_t exposureMs) {
  CMtLocker locker(&lock_);
  Frame& frame = frames_[number];
  frame.line = nextLine_;
  frame.releaseUtc = releaseUtc;
  frame.exposureMs = exposureMs;
  frame.exposureKnown = exposureMs != 0;
}

void CFrameRecord::onExposure(uint64_t number, uint32_t exposureMs) {
  CMtLocker locker(&lock_);
  auto found = frames_.find(number);
  if (found == frames_.end() || found->second.exposureKnown) return;
  found->second.exposureMs = exposureMs;
  found->second.exposureKnown = true;
  if (found->second.fate != FrameFate::kOpen) writeSettledLocked(number, found->second);
}

void CFrameRecord::onRefused(uint64_t number) {
  CMtLocker locker(&lock_);
  frames_.erase(number);
}

void CFrameRecord::onSettled(uint64_t number, FrameFate fate, uint32_t result, FrameWhy why,
                             uint64_t atUtc) {
  CMtLocker locker(&lock_);
  auto found = frames_.find(number);
  if (found == frames_.end() || found->second.fate != FrameFate::kOpen) return;
  Frame& frame = found->second;
  frame.fate = fate;
  if (fate == FrameFate::kFailed) frame.reason = shotResultText(result);
  if (fate == FrameFate::kUnconfirmed) frame.reason = frameWhyText(why);
  // An unconfirmed frame has no completion moment: the body never told.
  frame.settledUtc = fate == FrameFate::kUnconfirmed ? 0 : atUtc;
  if (frame.exposureKnown) writeSettledLocked(number, frame);
  sayLateFateLocked(frame);
}

void CFrameRecord::onReportedOk(uint64_t number, uint32_t shown) {
  CMtLocker locker(&lock_);
  auto found = frames_.find(number);
  if (found == frames_.end()) return;
  found->second.shown = shown;
  sayLateFateLocked(found->second);
}

void CFrameRecord::sayLateFateLocked(const Frame& frame) {
  if (frame.shown == 0) return;
  if (frame.fate == FrameFate::kFailed || frame.fate == FrameFate::kUnconfirmed) {
    outputPrintf(Error, "Shot #%u: %s after its wait: %s\n", frame.shown, frameFateName(frame.fate),
                 frame.reason.c_str());
  }
}

void CFrameRecord::writeSettledLocked(uint64_t number, const Frame& frame) {
  const std::string released = utcText(frame.releaseUtc);
  const std::string completed = utcText(frame.settledUtc);
  printTrace("Frame #%" PRIu64 ": released %s, completed %s, %s%s%s\n", number, released.c_str(),
             completed.empty() ? "-" : completed.c_str(), frameFateName(frame.fate),
             frame.reason.empty() ? "" : ": ", frame.reason.c_str());
  if (report_ == nullptr) return;
  std::fprintf(report_, "%" PRIu64 ",%u,%s,%u,%s,%s,%s\n", number, frame.line, released.c_str(),
               frame.exposureMs, completed.c_str(), frameFateName(frame.fate),
               quoted(frame.reason).c_str());
  std::fflush(report_);
}

CFrameRecord::Counts CFrameRecord::counts() {
  CMtLocker locker(&lock_);
  Counts counts;
  for (const auto& entry : frames_) {
    counts.released += 1;
    switch (entry.second.fate) {
      case FrameFate::kStored:
        counts.stored += 1;
        break;
      case FrameFate::kFailed:
        counts.failed += 1;
        break;
      case FrameFate::kUnconfirmed:
        counts.unconfirmed += 1;
        break;
      case FrameFate::kOpen:
        counts.open += 1;
        break;
    }
  }
  return counts;
}

void CFrameRecord::printCount() {
  CMtLocker locker(&lock_);
  uint64_t released = 0;
  uint64_t stored = 0;
  uint64_t failed = 0;
  uint64_t unconfirmed = 0;
  std::string failedList;
  std::string unconfirmedList;
  for (const auto& entry : frames_) {
    released += 1;
    const std::string name = "#" + std::to_string(entry.first);
    if (entry.second.fate == FrameFate::kStored) {
      stored += 1;
    } else if (entry.second.fate == FrameFate::kFailed) {
      failed += 1;
      failedList += (failedList.empty() ? "" : " ") + name;
    } else {
      // A frame still open at the end is as unconfirmed as one given up.
      unconfirmed += 1;
      unconfirmedList += (unconfirmedList.empty() ? "" : " ") + name;
    }
  }
  if (stored == released) return;
  std::string line = "Frames: " + std::to_string(released) + " released, " +
                     std::to_string(stored) + " stored, " + std::to_string(failed) + " failed";
  if (!failedList.empty()) line += " (" + failedList + ")";
  line += ", " + std::to_string(unconfirmed) + " unconfirmed";
  if (!unconfirmedList.empty()) line += " (" + unconfirmedList + ")";
  outputPrintf(Error, "%s\n", line.c_str());
}
