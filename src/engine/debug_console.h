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
[[nodiscard]] ErrNo DebugConsole(ExecFrame& f) noexcept;

}  // namespace msc
