#include "check/finding_texts.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "check/plan_report.h"
#include "platform/clock.h"

namespace {

constexpr uint64_t kTwelveHours = 12ULL * 3600 * platform::kFileTimeUnitsPerSecond;

std::string percentText(double percent) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.1f %%", percent);
  return text;
}

}  // namespace

std::string megabytesText(uint64_t bytes) {
  char text[48];
  std::snprintf(text, sizeof(text), "%.1f MB", static_cast<double>(bytes) / 1e6);
  return text;
}

std::string localDateText(uint64_t utc) {
  uint64_t local = utc;
  platform::utcToLocalFileTime(utc, &local);
  platform::CalendarTime t{};
  if (!platform::fileTimeToCalendar(local, &t)) return "?";
  char text[32];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02u", t.year, t.month, t.day);
  return text;
}

std::string tvSecondsFinding(const char* echo) {
  static const char kPrefix[] = "set Tv=";
  if (std::strncmp(echo, kPrefix, sizeof(kPrefix) - 1) != 0) return "";
  const char* value = echo + sizeof(kPrefix) - 1;
  const char* arrow = std::strstr(value, " -> ");
  if (arrow == nullptr || arrow == value || arrow - value > 9) return "";
  for (const char* c = value; c < arrow; ++c) {
    if (!std::isdigit(static_cast<unsigned char>(*c))) return "";
  }
  const std::string n(value, arrow);
  if (std::stoul(n) < 2) return "";
  std::string shown(arrow + 4);
  while (!shown.empty() && (shown.back() == '\n' || shown.back() == '\r')) shown.pop_back();
  return "tv=" + n + " is 1/" + n + " s (Tv " + shown + "); for " + n + " seconds write tv=" + n +
         "\"";
}

std::string cardFullFinding(uint32_t shot, const std::string& quality, uint64_t bytes,
                            uint64_t freeBytes) {
  return "shot " + std::to_string(shot) + ": no card has room for it (" + quality + ", " +
         megabytesText(bytes) + "; " + megabytesText(freeBytes) +
         " left): a run prints \"Capture error: Card error (including CARD-FULL/No.-FULL)\" and "
         "the body refuses the releases after it";
}

std::string batteryEmptyFinding(uint32_t shot, double startPercent, double perShot,
                                double perHour) {
  return "shot " + std::to_string(shot) + ": the battery is empty (" + percentText(startPercent) +
         " at the start, " + percentText(perShot) + " a shot, " + percentText(perHour) +
         " an hour): the body switches off, a run prints \"Shot error: Port disconnected\"";
}

std::string farFirstMomentFinding(uint64_t startUtc, uint64_t dueUtc) {
  if (dueUtc <= startUtc || dueUtc - startUtc <= kTwelveHours) return "";
  return "the first clock time, " + absoluteMomentText(dueUtc) + ", is " +
         durationText(dueUtc - startUtc) + " after the start of the check, " +
         absoluteMomentText(startUtc) + ": is its date right?";
}

std::string promptBeforeWaitFinding(uint32_t checkpointLine, uint32_t promptLine,
                                    uint64_t slackUnits) {
  const std::string base = checkpointLine == 0
                               ? "the start"
                               : "the checkpoint of line " + std::to_string(checkpointLine);
  return "the wait counts from " + base + ", before the prompt of line " +
         std::to_string(promptLine) + ": an answer later than " + durationText(slackUnits) +
         " finds its moment past (a run prints \"Moment in the past. Continue\")";
}

std::string datesFinding(const std::vector<std::pair<std::string, uint32_t>>& dates) {
  if (dates.size() < 2) return "";
  std::string list;
  for (const auto& date : dates) {
    list += (list.empty() ? "" : ", ") + date.first + " (line " + std::to_string(date.second) + ")";
  }
  return "the clock times fall on " + std::to_string(dates.size()) + " dates: " + list;
}
