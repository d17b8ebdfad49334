// The texts of the check's findings about a day's resources and moments, and the checks that need
// nothing but their arguments. The planner decides when each applies.
//
// Thread safety: pure functions.
#ifndef QUORVALE_CHECK_FINDING_TEXTS_H_
#define QUORVALE_CHECK_FINDING_TEXTS_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// "30.0 MB": |bytes| in millions of bytes.
std::string megabytesText(uint64_t bytes);

// The local calendar date of |utc|: "2026-08-12".
std::string localDateText(uint64_t utc);

// A set item's echo line ("set Tv=2 -> 0\"5\n"): when the Tv was written as a plain whole number
// n >= 2, which the Tv table reads as 1/n s, the finding that says so and what to write for n
// seconds; else "".
std::string tvSecondsFinding(const char* echo);

// Shot |shot| finds no card with room for its image of |quality| (a readable name) and |bytes|,
// with |freeBytes| left on the cards.
std::string cardFullFinding(uint32_t shot, const std::string& quality, uint64_t bytes,
                            uint64_t freeBytes);

// Shot |shot| finds the battery empty: it started at |startPercent| and uses |perShot| a shot
// and |perHour| an hour.
std::string batteryEmptyFinding(uint32_t shot, double startPercent, double perShot, double perHour);

// The first clock time a script waits for, |dueUtc|, is more than 12 hours after the start of the
// check |startUtc|: the finding; else "".
std::string farFirstMomentFinding(uint64_t startUtc, uint64_t dueUtc);

// A wait relative to the checkpoint set at |checkpointUtc| (by line |checkpointLine|; 0: the start)
// comes after the prompt of line |promptLine|: its moment moves with the answer. |slackUnits| is
// how long the prompt may take before the moment is past.
std::string promptBeforeWaitFinding(uint32_t checkpointLine, uint32_t promptLine,
                                    uint64_t slackUnits);

// The clock times of a script fall on more than one local date: |dates| holds each date with the
// first line whose clock time is on it. "" for one date or none.
std::string datesFinding(const std::vector<std::pair<std::string, uint32_t>>& dates);

#endif  // QUORVALE_CHECK_FINDING_TEXTS_H_
