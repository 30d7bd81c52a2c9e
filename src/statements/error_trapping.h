// Trapping run-time errors with Try / Catch / End Try.
//
// Try entry (tag 0x8045, 24-byte payload):
//
//   +0  ptr  TRY line record
//   +8  ptr  code position just after TRY
//   +16 u32  in-catch flag (1 once an error has sent execution to Catch)
//   +20 u32  (unused)
#pragma once

#include <cstdint>

#include "engine/errors.h"
#include "engine/frame.h"

namespace msc {

// Offers a failing statement's error to the open Try blocks of this run (those
// above base, the control stack top when the run began; null means the empty
// stack). True when a Try took it: the frame then continues at that block's
// Catch, or at its End Try when it has none. Entries above the Try are
// discarded on the way; an error inside a Catch part is never taken. The
// caller records the error fields first.
[[nodiscard]] bool TrapError(ExecFrame& f, uint8_t* base, ErrNo err) noexcept;

}  // namespace msc
