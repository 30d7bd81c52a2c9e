// The debug console: a prompt on the process console at which a stopped or
// single-stepped run takes direct statements until one of them is "Cont".
#pragma once

#include "engine/errors.h"
#include "engine/frame.h"

namespace msc {

inline constexpr size_t kConsoleLineSize = 65536;

// Opens the console for the frame (or joins it when another entry has it
// open), runs the prompt loop, and applies the step mode of the "Cont" that
// ended it to the frame. Always 0. End of standard input counts as "Cont".
// error: the untrapped error that ends the run, 0 before a line; a
// debugger's driver (debug_hooks.h), when installed, is told it.
[[nodiscard]] ErrNo DebugConsole(ExecFrame& f, ErrNo error = kOk) noexcept;

// Reads one typed line for the console: shows prompt, reads the line without
// its end into line (capacity bytes, zero-terminated, cut to fit). False at
// the end of input, or when the thread's stop check says stop.
using ConsoleLineReader = bool (*)(const char* prompt, char* line, size_t capacity);
// Installs the reader of the console's lines, so that a tool can offer line
// editing without the engine depending on it; null: the prompt on standard
// output and a plain read of standard input.
void SetConsoleLineReader(ConsoleLineReader reader) noexcept;

}  // namespace msc
