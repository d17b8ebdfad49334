// The prompt that holds a script until the person at the computer answers.
//
// Thread safety: call from one thread at a time (the script thread).
#ifndef QUORVALE_PLATFORM_USER_PROMPT_H_
#define QUORVALE_PLATFORM_USER_PROMPT_H_

#include <string>

namespace platform {

class Event;

// Shows |caption| and |text| on the terminal (/dev/tty when there is one, else standard input and
// standard error) and waits until the person presses Enter, the input ends, or |stop| (may be null)
// is signalled. Returns true when answered (or at the end of input), false when stopped.
bool promptUser(const std::string& caption, const std::string& text, Event* stop);

// Test seam: read the answer from file descriptor |inputFd| and write the prompt to |outputFd|
// instead of the terminal (-1 restores the default).
void setPromptDescriptorsForTest(int inputFd, int outputFd);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_USER_PROMPT_H_
