// Cuts one source line into lexical tokens for the compiler.
#pragma once

#include <cstdint>

namespace msc {

// A lexical token. Kinds are the reader kinds, plus 7 (run of spaces) and 10
// (error, message already printed when messages are on).
struct LexToken {
  int kind = 0;
  union {
    int32_t integer;   // integer literal, keyword code, punctuation or operator byte
    double dbl;        // double literal
    char* text;        // string body, name, label (asterisk included), SC./SY. name
  };
  int32_t length = 0;  // text length (string: raw, doubled quotes counted twice); space count
  LexToken() noexcept : integer(0) {}
};

// Label state passed to the lexer.
inline constexpr int kLabelDefinition = -1, kLabelNone = 0, kLabelReference = 1;

// Reads the token at *pos (never the end of the line) and advances *pos. Names
// and labels are made upper case in place.
[[nodiscard]] int Lex(char** pos, int labelState, bool messages, LexToken& tok) noexcept;

}  // namespace msc
