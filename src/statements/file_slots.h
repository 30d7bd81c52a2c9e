// The "#n" file numbers of the file statements and functions.
//
// A file number is always an integer literal written in the program, never an
// expression: "#" missing or anything but an integer after it is 2, a number
// outside 0 to 15 (or naming an empty slot where an open one is needed) is 5.
#pragma once

#include <cstdint>
#include <cstdio>

#include "engine/errors.h"
#include "engine/frame.h"

namespace msc {

// Reads "#" and an integer literal into *number (not yet range-checked).
[[nodiscard]] ErrNo ReadFileNumber(ExecFrame& f, int32_t* number) noexcept;

// File slots and text-data slots are both numbered 0 to 15.
inline constexpr int32_t kSlotNumbers = 16;
[[nodiscard]] constexpr bool IsSlotNumber(int32_t number) noexcept {
  return number >= 0 && number < kSlotNumbers;
}

// The open stream of file slot number; 5 when the number is out of range or
// the slot is empty.
[[nodiscard]] ErrNo OpenFileSlot(ExecFrame& f, int32_t number, std::FILE** file) noexcept;

}  // namespace msc
