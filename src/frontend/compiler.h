// Compiles one source line into intermediate code, and keeps the program area.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/errors.h"

class QorMacro;

namespace msc {

struct ExecFrame;

// Compiles a writable, NUL-terminated source line into out (at least 65536
// bytes). Gives the line number (0 when none) and the code length (bytes
// before the final 0x00; 0 when the line holds no content).
[[nodiscard]] ErrNo CompileLine(char* source, uint8_t* out, QorMacro& m, bool messages,
                                uint32_t* lineNumber, int32_t* codeLength) noexcept;

// Inserts or replaces a line in line-number order; 7 when the area cannot
// grow, 5 while the object runs on another thread (see EditPermit).
[[nodiscard]] ErrNo StoreLine(QorMacro& m, uint32_t lineNumber, const uint8_t* code,
                              int32_t codeLength) noexcept;

// Removes every line numbered first..last (both included); 5 while the
// object runs on another thread.
[[nodiscard]] ErrNo DeleteLines(QorMacro& m, uint32_t first, uint32_t last) noexcept;

// Record of exactly that line number, or null.
[[nodiscard]] uint8_t* FindLineRecord(QorMacro& m, uint32_t lineNumber) noexcept;
// First record whose code is a space-run byte then the label definition text.
[[nodiscard]] uint8_t* FindLabelRecord(QorMacro& m, const char* label, size_t len) noexcept;

// Sets the frame's current line (and code position) to the line with that
// number (8 when missing), or, for number 0, to the label's line (32 when missing).
[[nodiscard]] ErrNo FindLine(ExecFrame& f, uint32_t lineNumber, const char* label, size_t len) noexcept;

}  // namespace msc
