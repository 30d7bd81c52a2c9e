// Routine calls: Gosub entries on the control stack (engine/stack_entries.h)
// and jumps to line targets.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/errors.h"
#include "engine/frame.h"
#include "frontend/token_reader.h"

namespace msc {

// Calls the routine at a line number: pushes a Gosub entry returning to the
// frame's current place and jumps. 8 when the line does not exist; 103 when
// the control stack is full (the jump has happened then).
[[nodiscard]] ErrNo CallLine(ExecFrame& f, uint32_t line) noexcept;

// The same for a label (asterisk included, upper case); 32 when missing.
[[nodiscard]] ErrNo CallLabel(ExecFrame& f, const char* label, size_t len) noexcept;

// Makes the line a Goto operand names current: a line-number reference
// (reader kind 8) or a label reference (kind 35). 8 or 32 when it does not
// exist, 2 for any other kind of token.
[[nodiscard]] ErrNo JumpToTarget(ExecFrame& f, int kind, const Token& t) noexcept;

}  // namespace msc
