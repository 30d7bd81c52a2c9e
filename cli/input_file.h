// The program source files a command is given: checked before anything reads
// them, and read (and written by Save) in the encoding of --encoding.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace msc::cli {

// kExitOk when path names a regular file this process can open for reading;
// otherwise prints "macro-sc: PATH: <why>" to stderr and returns
// kExitCannotOpen. A directory would load as an empty program and a FIFO
// would block the loader until a writer came, so neither reaches it.
[[nodiscard]] int CheckProgramFile(const std::string& path) noexcept;

// Sets the encoding of source files (any name iconv knows; empty: UTF-8) and
// installs the reader for every load and save of the engine, the Load and
// Save statements included. False when iconv does not know the name.
[[nodiscard]] bool UseSourceEncoding(const std::string& name) noexcept;

// Reads a source file in the encoding set and gives its text in UTF-8. Every
// line with bytes that are not in that encoding is reported on stderr
// ("FILE:LINE:COLUMN: warning: not UTF-8 (byte 0x9A)", the column counted
// in characters) and the bytes become U+FFFD; so is every character that the
// engine's code page cannot hold. False when the file cannot be read (errno
// tells why).
[[nodiscard]] bool ReadSourceFile(const std::string& path, std::string& utf8) noexcept;

// One line (UTF-8, no line end) in the bytes a saved file holds; false when
// the encoding cannot hold one of its characters.
[[nodiscard]] bool EncodeSourceLine(std::string_view utf8, std::string& out) noexcept;

// How many lines have been reported so far; check fails when any was.
[[nodiscard]] size_t SourceWarnings() noexcept;

}  // namespace msc::cli
