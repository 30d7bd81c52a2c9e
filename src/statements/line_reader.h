// The line reader of "Input", "Line Input" and their "#n" file forms, and the
// "#n," prefix that selects a file slot.
#pragma once

#include <cstddef>
#include <cstdio>

#include "engine/errors.h"
#include "engine/frame.h"

namespace msc {

// 255 characters and the terminating zero.
inline constexpr size_t kInputLineSize = 256;

// Reads one line into buffer (kInputLineSize bytes), zero-terminated, and its
// length into *length. A null file reads from the console, printing
// "Exec : rsgetch()" for every character it asks for.
//
// A CR ends the line (in a file an LF right after it is consumed too); an LF
// ends it once a character is stored and is skipped before that, so LF-only
// blank lines vanish while CR LF blank lines are empty lines. The end of the
// input gives 5 (a last line without a line end is lost); a 256th character 23.
[[nodiscard]] ErrNo ReadInputLine(std::FILE* file, char* buffer, size_t* length) noexcept;

// Reads the optional "#n," that starts the file forms: n an integer literal
// (else 2) naming an open slot 0 to 15 (else 5), then "," (else 2). Without a
// "#" nothing is consumed and *file stays null.
[[nodiscard]] ErrNo FileSlotPrefix(ExecFrame& f, std::FILE** file) noexcept;

}  // namespace msc
