#include "app/status_line.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <utility>

#include "output/output.h"
#include "platform/clock.h"

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

StatusLineClock::StatusLineClock(ScriptClock* wrapped, const platform::ClockDiscipline& clockState,
                                 size_t columns)
    : wrapped_(wrapped), clockState_(clockState), columns_(columns) {
  thread_ = std::thread([this] { run(); });
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

void StatusLineClock::setGpsClock(std::function<std::string()> text) {
  std::lock_guard<std::mutex> lock(mutex_);
  gpsClock_ = std::move(text);
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
  // The drawing thread is not woken here: at the end of a wait it would compete with the script's
  // next step for the processor. It clears the line at its next tick, within a second, unless the
  // next output has erased it already.
  std::lock_guard<std::mutex> lock(mutex_);
  armed_ = false;
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

std::string StatusLineClock::nextCommandText() {
  if (!lines_ || !lines_->available()) return "";
  // The line is shown cut to the terminal's width: more of it is never read.
  constexpr size_t kMaxShown = 4096;
  const uint64_t offset = lines_->matchOffset();
  uint32_t number = lines_->lineAt(offset);
  uint64_t next = 0;
  lines_->lineFrom(lines_->lineStartAt(offset), 0, &next);
  while (next < lines_->textSize()) {
    ++number;
    std::string s = lines_->lineFrom(next, kMaxShown, &next);
    if (!isCommandLine(s)) continue;
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
    s.erase(0, s.find_first_not_of(" \t"));
    for (char& c : s) {
      if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    return "next line " + std::to_string(number) + ": " + s;
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
  const std::string gps = gpsClock_ ? gpsClock_() : std::string();
  if (!gps.empty()) text += ", " + gps;
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
