// Program images (host memory) and program source files (UTF-8 text).
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/errors.h"

class QorMacro;

namespace msc {

// Exact size of the image that SaveProgramImage writes; 0 for an empty program.
[[nodiscard]] uint32_t ProgramImageSize(QorMacro& m) noexcept;
// Writes the image into dest (which holds ProgramImageSize bytes, 4-aligned).
[[nodiscard]] ErrNo SaveProgramImage(QorMacro& m, uint8_t* dest) noexcept;
// 0 loaded or no program magic (unchanged), -1 bad size or end marker
// (unchanged), or the first compile or store error (program cleared).
// *after receives the address after the image (image start without the magic).
[[nodiscard]] ErrNo LoadProgramImage(QorMacro& m, const uint8_t* image, const uint8_t** after) noexcept;

// Source files: one stored line text per line, CR LF ends, UTF-8.
[[nodiscard]] ErrNo SaveProgramSource(QorMacro& m, const wchar_t* path) noexcept;
[[nodiscard]] ErrNo LoadProgramSource(QorMacro& m, const wchar_t* path) noexcept;

// Conversions between the conversion code page and UTF-8, through wide text of
// at most 65536 characters. Output cut to capacity, last byte forced to 0; on
// failure the output is emptied and -1 returned (kConvertOutOfMemory when the
// wide text found no memory), else the output length.
inline constexpr int kConvertOutOfMemory = -2;
int CodePageToUtf8(const char* in, char* out, size_t capacity) noexcept;
int Utf8ToCodePage(const char* in, char* out, size_t capacity) noexcept;

}  // namespace msc
