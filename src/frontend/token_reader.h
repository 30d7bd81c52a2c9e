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

// Decodes the token at p (no space run) into t, moves the code position past
// it and gives its kind: the rarer forms that ReadToken leaves out of line.
[[nodiscard]] int ReadOtherToken(ExecFrame& f, const uint8_t* p, Token& t) noexcept;

// Skips space runs, records the token start, decodes one token and moves the
// code position past it. At the end of the line the position stays on the
// end-of-line byte, so further reads keep giving kind 0.
//
// Variables, small integers, keywords, line ends and ":" make most of the
// tokens a run reads, so they are decoded here, inline in the statements and the
// evaluator.
[[nodiscard]] inline int ReadToken(ExecFrame& f, Token& t) noexcept {
  const uint8_t* p = f.pos;
  while (*p >= 0x01 && *p <= code::MaxSpaceRun) ++p;
  f.tokenStart = p;
  t.length = 0;
  const uint8_t b = *p;
  if (b >= code::VarFirst && b <= code::VarLast) {
    t.cell = LoadPtr(p + 1);
    f.pos = p + 1 + sizeof(void*);
    return b - (code::VarFirst - kind::VarFirst);
  }
  if (b >= code::SmallFirst && b <= code::SmallLast) {
    t.integer = b - code::SmallFirst;
    f.pos = p + 1;
    return kind::Integer;
  }
  if (b >= code::KeywordFirst && b <= code::KeywordLast) {
    // Rem and ' stop here too; the comment's raw text is left for the statement.
    t.code = static_cast<uint16_t>(b << 8 | p[1]);
    f.pos = p + 2;
    return kind::Keyword;
  }
  // Every line ends, and most statements are separated, here.
  if (b == code::EndOfLine) {
    f.pos = p;  // stays on the end byte
    return kind::End;
  }
  if (b == ':') {
    t.byte = b;
    f.pos = p + 1;
    return kind::Punct;
  }
  return ReadOtherToken(f, p, t);
}

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
