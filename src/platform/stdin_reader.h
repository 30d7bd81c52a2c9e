// Standard input, read without a user-space buffer.
//
// Several readers share standard input (the debug console's prompt, the
// "Input" statements, a host's own line editor). Reading one byte at a time
// with read(2) leaves every byte not yet asked for in the descriptor, so no
// reader swallows input meant for the next one.
#pragma once

#include <cstddef>

namespace msc::platform {

// What ReadStdinByte returns when the thread's stop check (stop_check.h)
// said stop; a line read then ends as at the end of input.
inline constexpr int kStdinStopped = -2;

// The next byte of standard input (0 to 255), -1 at its end or on an error,
// or kStdinStopped.
[[nodiscard]] int ReadStdinByte() noexcept;


// Reads one line into buffer (capacity bytes, at least 1), zero-terminated,
// without its line end (LF, and a CR just before it). A longer line is cut to
// capacity - 1 bytes and the rest of it is read and dropped. Returns false at
// the end of input when no byte of a new line was read.
[[nodiscard]] bool ReadStdinLine(char* buffer, size_t capacity, size_t* length) noexcept;

// Whether standard input is a terminal.
[[nodiscard]] bool StdinIsTerminal() noexcept;

// On a terminal: waits up to waitMs for input and, when some arrives, discards
// everything typed ahead. Other kinds of input are never discarded.
void FlushTypedAhead(int waitMs) noexcept;

}  // namespace msc::platform
