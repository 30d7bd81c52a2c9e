// The process console: every interpreter message goes to standard output.
#pragma once

#include <cstddef>

namespace msc::platform {

// "Macro(SC) ", the text and a line end as one unit under a process-wide lock,
// so lines of different threads never mix.
void ConsolePrint(const char* text) noexcept;
// At most 255 bytes of the text, no line end, no lock.
void RawConsolePrint(const char* text, size_t length) noexcept;
// The text and a line end, no prefix, no lock.
void LinePrint(const char* text) noexcept;
// Shows the console again when it has been minimised (nothing to do on a terminal).
void RestoreConsoleWindow() noexcept;

// A message box: here its caption and text on the console; returns when shown.
void MessageBox(const wchar_t* caption, const wchar_t* text) noexcept;

}  // namespace msc::platform
