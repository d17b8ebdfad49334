// Facts about the terminal the program's standard output goes to, and the escape sequences that
// redraw one status line on it.
//
// Thread safety: every function may be called from any thread.
#ifndef QUORVALE_PLATFORM_TERMINAL_H_
#define QUORVALE_PLATFORM_TERMINAL_H_

#include <cstddef>

namespace platform {

// True when standard output is a terminal (not a pipe, a file or a null device).
bool standardOutputIsTerminal();

// The width of standard output's terminal in columns; 80 when it cannot be read.
size_t terminalColumns();

}  // namespace platform

#endif  // QUORVALE_PLATFORM_TERMINAL_H_
