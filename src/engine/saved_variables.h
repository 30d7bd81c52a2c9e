// The saved variable stack of a macro object ("VarPush" pushes, "VarPop" and
// the undo of a failed run pop).
//
//   saved block (malloc'ed):  [entry][entry]...[00 x 8]
//   integer entry (12 bytes):  +0 ptr64 cell (tag 0xE0)   +8 i32 saved value
//   double entry (16 bytes):   +0 ptr64 cell (tag 0xE1)   +8 f64 saved value
//
// The size of an entry follows from the kind of the cell it names; cells never
// change kind, so a block is walked the way it was written.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/errors.h"

class QorMacro;

namespace msc {

inline constexpr size_t kSavedPointerSize = 8;
inline constexpr size_t kSavedIntegerEntrySize = kSavedPointerSize + 4;
inline constexpr size_t kSavedDoubleEntrySize = kSavedPointerSize + 8;
inline constexpr size_t kSavedEndSize = kSavedPointerSize;
// The largest entry.
inline constexpr size_t kSavedEntrySize = kSavedDoubleEntrySize;

// Saves the current values of count cells (each an integer or double scalar)
// as the newest block. 103 when the stack already holds 16 blocks, when a cell
// is of another kind, or when memory runs out; nothing is pushed then.
[[nodiscard]] ErrNo PushSavedVariables(QorMacro& m, uint8_t* const* cells, size_t count) noexcept;

// Pops the newest block, writing its saved values back. 103 when the stack is
// empty, or when the block names a cell of another kind (the block is freed
// all the same).
[[nodiscard]] ErrNo PopSavedVariables(QorMacro& m) noexcept;

// Pops blocks, newest first, writing their saved values back, until the
// stack holds depth blocks. A block with a cell of another kind stops the
// restore: every remaining block is freed, the depth becomes 0, and the result
// is 103. Popping nothing is not an error.
[[nodiscard]] ErrNo RestoreSavedVariables(QorMacro& m, int32_t depth) noexcept;

}  // namespace msc
