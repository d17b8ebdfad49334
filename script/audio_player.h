// The play command's background player: one detached thread per sound, which opens the file on
// the platform's sound device, plays it to its end and reports "PLAY: <name>" afterwards.
//
// Nothing serialises two players: overlapping plays each play on their own. Nobody waits for a
// player; the program may end while one still plays.
//
// Thread safety: startAudioPlayer may be called from any thread; runningAudioPlayers is atomic.
#ifndef QUORVALE_SCRIPT_AUDIO_PLAYER_H_
#define QUORVALE_SCRIPT_AUDIO_PLAYER_H_

#include <cstdint>
#include <functional>
#include <string>

// Starts a detached player thread for |name| (the thread keeps its own copy). Returns false after
// reporting "Can't create thread for audio player" when the thread cannot be started.
bool startAudioPlayer(const std::string& name);

// What the play command calls: startAudioPlayer, or the starter installed with setSoundStarter.
bool startSound(const std::string& name);

// Replaces what the play command does with a file (an empty function restores startAudioPlayer).
// A script check installs one that looks at the file without playing it. Not to be changed while
// a script runs.
using SoundStarter = std::function<bool(const std::string& name)>;
void setSoundStarter(SoundStarter starter);

// The player thread's body: open, play to the end, report, close. Errors are reported as
// "Can't open '%s'" or "Can't play '%s'" with the sound device's text. Returns 0, or 1 when the
// open failed.
uint32_t audioPlayerThread(const std::string& name);

// The number of player threads that have started and not yet ended (for tests and teardown).
uint32_t runningAudioPlayers();

#endif  // QUORVALE_SCRIPT_AUDIO_PLAYER_H_
