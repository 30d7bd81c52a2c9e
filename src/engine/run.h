// Running intermediate code: the drivers, the run loop and statement dispatch.
#pragma once

#include <cstdint>

#include "api/qor_macro.h"
#include "engine/errors.h"
#include "engine/frame.h"

namespace msc {

// Compiles one line and runs it, or edits the program when it is numbered.
// The step mode of the run is stored in *stepMode when given.
[[nodiscard]] ErrNo DirectExecute(QorMacro& m, const char* text, uint32_t* stepMode = nullptr) noexcept;

// Runs the routine at a label (asterisk included, upper case) as a subroutine;
// -1 for an empty label, 32 when no line defines it.
[[nodiscard]] ErrNo RunLabel(QorMacro& m, const char* label) noexcept;

// Runs from the frame's current line until the program ends or the run returns.
[[nodiscard]] ErrNo RunLoop(ExecFrame& f, uint8_t* base) noexcept;

// Executes the statements of the current line.
[[nodiscard]] ErrNo DispatchLine(ExecFrame& f, uint8_t* base) noexcept;

// The report mode in which every line run is printed.
inline constexpr uint32_t kReportTrace = 2;

// Prints the current line with its number.
void EchoCurrentLine(ExecFrame& f) noexcept;

// In trace mode or while stepping, prints the current line with its number.
// Next, Goto and the like pass here on every run, so the usual case, neither
// tracing nor stepping, is an inline test.
inline void TraceEcho(ExecFrame& f) noexcept {
  if (f.stepFlag != 0 || (f.macro->reportMode & 15) == kReportTrace) [[unlikely]] EchoCurrentLine(f);
}

// Makes record the current line with the code position on its first code byte.
inline void JumpTo(ExecFrame& f, uint8_t* record) noexcept {
  f.line = record;
  f.pos = record + 6;
  f.tokenStart = f.pos;
}

}  // namespace msc
