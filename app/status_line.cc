#include "app/status_line.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "output/output.h"
#include "platform/clock.h"
#include "script/script_parser.h"

namespace {

constexpr uint64_t kUnitsPerMs = platform::kFileTimeUnitsPerMs;

// "1:02:03" or "2:05": whole seconds left.
std::string leftText(uint64_t seconds) {
  char text[48];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof(text), "%llu:%02llu:%02llu",
                  static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned long long>(seconds / 60 % 60),
                  static_cast<unsigned long long>(seconds % 60));
  } else {
    std::snprintf(text, sizeof(text), "%llu:%02llu", static_cast<unsigned long long>(seconds / 60),
                  static_cast<unsigned long long>(seconds % 60));
  }
  return text;
}

// "20:29:00 (18:29:00 UTC)": the local and the UTC time of day of |utc|.
std::string clockText(uint64_t utc) {
  platform::CalendarTime u{};
  platform::CalendarTime l{};
  uint64_t local = 0;
  if (!platform::fileTimeToCalendar(utc, &u)) return "?";
  if (!platform::utcToLocalFileTime(utc, &local) || !platform::fileTimeToCalendar(local, &l)) l = u;
  char text[64];
  std::snprintf(text, sizeof(text), "%02u:%02u:%02u (%02u:%02u:%02u UTC)", l.hour, l.minute,
                l.second, u.hour, u.minute, u.second);
  return text;
}

bool isCommandLine(const std::string& line) {
  const size_t first = line.find_first_not_of(" \t\r\v\f");
  if (first == std::string::npos) return false;
  return line[first] != '#' && line[first] != ';' && line.compare(first, 2, "//") != 0;
}

}  // namespace

StatusLineClock::StatusLineClock(ScriptClock* wrapped, const std::string& scriptText,
                                 const platform::ClockDiscipline& clockState, size_t columns)
    : wrapped_(wrapped), clockState_(clockState), columns_(columns) {
  text_.reserve(scriptText.size());
  for (char c : scriptText) {
    if (c != '\0') text_ += c;
  }
  thread_ = std::thread([this] { run(); });
  lineStarts_.push_back(0);
  for (size_t i = 0; i < text_.size(); ++i) {
    if (text_[i] == '\n' && i + 1 < text_.size()) lineStarts_.push_back(i + 1);
  }
}

StatusLineClock::~StatusLineClock() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
  }
  wake_.notify_all();
  thread_.join();
  clearStatusLine();
}

void StatusLineClock::arm(uint64_t dueUtc) {
  std::lock_guard<std::mutex> lock(mutex_);
  next_ = nextCommandText();
  due_ = dueUtc;
  armed_ = true;
  ++generation_;
  drawStatusLine(statusText(wrapped_->utcNow(), due_).c_str());
  wake_.notify_all();
}

void StatusLineClock::disarm() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = false;
  }
  wake_.notify_all();
}

void StatusLineClock::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!done_) {
    if (!armed_) {
      // The wait is over: the line goes (unless other output took it already).
      clearStatusLine();
      wake_.wait(lock, [this] { return done_ || armed_; });
      continue;
    }
    const uint64_t generation = generation_;
    if (wake_.wait_for(lock, std::chrono::seconds(1), [this, generation] {
          return done_ || !armed_ || generation_ != generation;
        })) {
      continue;
    }
    drawStatusLine(statusText(wrapped_->utcNow(), due_).c_str());
  }
}

std::string StatusLineClock::nextCommandText() const {
  if (parser_ == nullptr) return "";
  const uint64_t offset = parser_->matchOffset();
  size_t line = static_cast<size_t>(
      std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset) - lineStarts_.begin());
  for (; line < lineStarts_.size(); ++line) {
    const size_t start = lineStarts_[line];
    size_t end = text_.find('\n', start);
    if (end == std::string::npos) end = text_.size();
    std::string s = text_.substr(start, end - start);
    if (!isCommandLine(s)) continue;
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
    s.erase(0, s.find_first_not_of(" \t"));
    for (char& c : s) {
      if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    return "next line " + std::to_string(line + 1) + ": " + s;
  }
  return "next: end of script";
}

std::string StatusLineClock::statusText(uint64_t nowUtc, uint64_t dueUtc) const {
  const uint64_t left = dueUtc > nowUtc ? dueUtc - nowUtc : 0;
  // Whole seconds left, rounded up, so the line reaches 0 only at the moment itself.
  const uint64_t seconds = (left + 1000 * kUnitsPerMs - 1) / (1000 * kUnitsPerMs);
  std::string text = leftText(seconds) + " left, until " + clockText(dueUtc);
  if (!next_.empty()) text += "; " + next_;
  text += "; clock ";
  if (!clockState_.known) {
    text += "state unknown";
  } else {
    char clock[96];
    std::snprintf(clock, sizeof(clock), "%s, est. error %.1f ms",
                  clockState_.synchronised ? "synchronised" : "NOT synchronised",
                  static_cast<double>(clockState_.estimatedErrorUs) / 1000.0);
    text += clock;
  }
  if (columns_ > 1 && text.size() > columns_ - 1) text.resize(columns_ - 1);
  return text;
}

uint32_t StatusLineClock::waitForMoment(platform::WaitableTimer* timer, platform::Event* stop,
                                        uint64_t dueUtc) {
  const uint64_t now = wrapped_->utcNow();
  if (dueUtc <= now || dueUtc - now <= kStatusLineMinWaitMs * kUnitsPerMs) {
    return wrapped_->waitForMoment(timer, stop, dueUtc);
  }
  arm(dueUtc);
  const uint32_t result = wrapped_->waitForMoment(timer, stop, dueUtc);
  disarm();
  return result;
}

uint32_t StatusLineClock::waitForStop(platform::Event* stop, uint64_t ms) {
  if (ms <= kStatusLineMinWaitMs) return wrapped_->waitForStop(stop, ms);
  const uint64_t now = wrapped_->utcNow();
  const uint64_t span = ms < (UINT64_MAX - now) / kUnitsPerMs ? ms * kUnitsPerMs : UINT64_MAX - now;
  arm(now + span);
  const uint32_t result = wrapped_->waitForStop(stop, ms);
  disarm();
  return result;
}
