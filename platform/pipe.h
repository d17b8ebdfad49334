// An anonymous pipe as two C runtime descriptors: tests type answers into the prompt through it.
//
// Thread safety: any thread.
#ifndef QUORVALE_PLATFORM_PIPE_H_
#define QUORVALE_PLATFORM_PIPE_H_

namespace platform {

// Stores the read end in fds[0] and the write end in fds[1] (binary, not inherited by child
// processes) and returns true; returns false with lastError() set when the system refuses.
// The caller closes both with the C runtime's close().
bool createPipe(int fds[2]);

}  // namespace platform

#endif  // QUORVALE_PLATFORM_PIPE_H_
