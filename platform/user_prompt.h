// The prompt that holds a script until the person at the computer answers.
//
// Thread safety: call from one thread at a time (the script thread). |stop| must outlive the call.
#ifndef QUORVALE_PLATFORM_USER_PROMPT_H_
#define QUORVALE_PLATFORM_USER_PROMPT_H_

#include <string>

namespace platform {

class Event;

// Shows |caption| and |text| on the terminal (/dev/tty when there is one, else standard input and
// standard error) as "caption\ntext\n[Press Enter to continue]\n" and waits until the person
// presses Enter, the input ends (or fails for good), or |stop| (may be null) is signalled.
// Returns true when answered (or at the end of input), false when stopped; when |stop| is already
// signalled it returns false at once and shows nothing. Keys typed on a terminal before the prompt
// appeared are discarded; one answer takes one line of input, so the next prompt reads the next.
// The stop event is watched by a helper thread for the length of the call.
bool promptUser(const std::string& caption, const std::string& text, Event* stop);

// Test seam: read the answer from file descriptor |inputFd| and write the prompt to |outputFd|
// instead of the terminal (-1 restores the default).
void setPromptDescriptorsForTest(int inputFd, int outputFd);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_USER_PROMPT_H_
