// Forward searches through intermediate code for the partner keyword of a block.
//
// Blocks have no structure table: a statement that must skip a block scans the
// code from the frame's position, line by line, for its partner keyword, and
// skips the nested blocks it meets on the way.
#pragma once

#include <cstdint>

#include "engine/frame.h"

namespace msc {

// Looks for the first of up to three statement words (0 for an unused slot)
// at the nesting level of the frame's position. Nested Do/Loop, For/Next (or
// the "," after Next), block If/EndIf, Select/End Select and
// ParallelExecute/End ParallelExecute are skipped whole; a one-line If and a
// comment end their line; the word after Exit is consumed when it is For or Do.
// On success the frame is on the found line with the token start at the
// keyword and the code position after it. On failure (the program area ends
// first) the frame is left exactly as it was.
[[nodiscard]] bool BlockSearch(ExecFrame& f, uint16_t t1, uint16_t t2 = 0, uint16_t t3 = 0) noexcept;

// Looks for the Catch or End Try of the Try block whose body starts at the
// frame's position; nested Try ... End Try blocks are skipped and nothing else
// nests. Success and failure leave the frame as BlockSearch does.
[[nodiscard]] bool CatchSearch(ExecFrame& f) noexcept;

}  // namespace msc
