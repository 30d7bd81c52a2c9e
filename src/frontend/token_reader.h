// Reads one token of intermediate code at an execution frame's code position.
#pragma once

#include <cstdint>

#include "engine/frame.h"
#include "frontend/code.h"

namespace msc {

struct Token {
  union {
    int32_t integer;       // kind 1; line number for kind 8
    double dbl;            // kind 2
    uint16_t code;         // kind 5
    uint8_t byte;          // kind 6
    uint8_t* cell;         // kinds 20..28
    const char* text;      // kinds 4, 34, 35, 40..43
  };
  int32_t length = 0;      // text length for the text kinds
};

// Skips space runs, records the token start, decodes one token and moves the
// code position past it. At the end of the line the position stays on the
// end-of-line byte, so further reads keep giving kind 0.
[[nodiscard]] int ReadToken(ExecFrame& f, Token& t) noexcept;

// Gives back the token read last.
inline void UnreadToken(ExecFrame& f) noexcept { f.pos = f.tokenStart; }

// Skips space-run bytes at the code position.
inline void SkipSpaces(ExecFrame& f) noexcept {
  while (*f.pos >= 0x01 && *f.pos <= code::MaxSpaceRun) ++f.pos;
}

// True at the end of a statement (end of line or ":"); a ":" is consumed.
inline bool AtStatementEnd(ExecFrame& f) noexcept {
  SkipSpaces(f);
  if (*f.pos == code::EndOfLine) return true;
  if (*f.pos == ':') {
    ++f.pos;
    return true;
  }
  return false;
}

// Byte length of the token starting at p (space runs count as tokens of 1);
// 0 for the end of line. Used to walk code without decoding values.
[[nodiscard]] size_t TokenLength(const uint8_t* p) noexcept;

}  // namespace msc
