// The front end as the source tools (checker, formatter) see it: one file
// line compiled as the loader compiles it, its code tokens with the source
// column each came from, the compiler's messages, and its listing. The only
// engine header the tools include.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/errors.h"

class QorMacro;

namespace msc::inspect {

// One code token (space runs are left out).
struct CodeToken {
  uint8_t first = 0;         // its first code byte (see frontend/code.h)
  uint16_t keyword = 0;      // keyword code; 0 for other tokens
  uint8_t punct = 0;         // operator or punctuation byte; 0 for other tokens
  uint32_t lineRef = 0;      // line-number reference (first byte 0x0E)
  std::string_view text;     // label text (asterisk included) or variable name
  const uint8_t* cell = nullptr;  // a variable's cell
  uint32_t column = 0;       // 1-based, in characters of the source line
};

struct CompileNote {
  std::string text;          // the compiler's message, in UTF-8
  uint32_t column = 0;       // where the token it is about begins
};

struct InspectedLine {
  ErrNo error = kOk;              // the compile result
  uint32_t errorColumn = 1;       // the token that failed, for a line without notes
  std::vector<CompileNote> notes;
  std::vector<uint8_t> code;      // code bytes with the end byte
  std::vector<CodeToken> tokens;
  // For a line that compiled: its listing in UTF-8 with the spaces of the
  // source (every run of spaces between tokens and at the start as typed,
  // where the listing alone caps a run at nine), and without the one space
  // that follows the line number.
  std::string canonical;
  // The code with space runs left out and variables by name: two compiles
  // of a line that mean the same give the same shape, on any object.
  std::string shape;
};

// Compiles a line of a source file (UTF-8, no line end) as the loader does:
// numbered, variables bound on the object, messages collected rather than
// printed. Nothing is stored in the program.
[[nodiscard]] InspectedLine InspectLine(QorMacro& m, uint32_t number, std::string_view utf8);

// The text a program holds for compiled code, in UTF-8, without a line
// number and without the single space that follows one.
[[nodiscard]] std::string StoredText(const std::vector<uint8_t>& code);

// The column of the first token of the program's line with that number
// (1 when there is no such line or it holds nothing).
[[nodiscard]] uint32_t FirstTokenColumn(QorMacro& m, uint32_t number);

// The spelling of a keyword code ("EndIf", "End Select").
[[nodiscard]] const char* KeywordSpelling(uint16_t code) noexcept;

// Token codes the tools look for, by their keyword's name.
[[nodiscard]] uint16_t KeywordCode(const char* name) noexcept;

}  // namespace msc::inspect
