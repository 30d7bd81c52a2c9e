// The evaluation record that carries every value the interpreter computes.
//
// A value is a plain five-field record (type, count, number, text, block).
// Only an owned text (type 11) and a value with a block own memory; every
// other value borrows. The record frees what it owns when cleared or
// destroyed, so temporaries on any exit path release their buffers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/errors.h"

namespace msc {

enum ValueType : int32_t {
  kEmpty = -1,
  kInteger = 1,
  kDouble = 2,
  kVarText = 3,    // borrows a variable's buffer; valid until the variable changes
  kConstText = 4,  // borrows intermediate code, a constant table, or its own number field
  kBytes = 5,      // count bytes at text; owns block when block is set
  kOwnedText = 11, // owns a zero-terminated heap buffer of count + 1 bytes
};

inline constexpr bool IsTextType(int32_t t) noexcept {
  return t == kVarText || t == kConstText || t == kOwnedText;
}
inline constexpr bool IsNumericType(int32_t t) noexcept {
  return t == kInteger || t == kDouble;
}

struct Value {
  int32_t type = kEmpty;
  int32_t count = 0;      // the integer itself, or the length of a text or byte run
  double number = 0.0;    // the double; or a one-character constant text's bytes
  const char* text = nullptr;
  void* block = nullptr;  // heap buffer owned by a bytes value

  Value() noexcept = default;
  Value(const Value&) = delete;
  Value& operator=(const Value&) = delete;
  ~Value() { Clear(); }

  // Frees what the value owns and makes it empty. Inline because every
  // operand and every result passes through it; only owners leave the line.
  void Clear() noexcept {
    if (type == kOwnedText || block != nullptr) ReleaseOwned();
    type = kEmpty;
    count = 0;
    number = 0.0;
    text = nullptr;
    block = nullptr;
  }

  // Takes over other's content (fixing a text that points into other's own
  // number field); other becomes empty.
  void MoveFrom(Value& other) noexcept;

  void SetInteger(int32_t v) noexcept { Clear(); type = kInteger; count = v; }
  void SetDouble(double v) noexcept { Clear(); type = kDouble; number = v; }
  // Borrowed text of the given type (kVarText or kConstText).
  void SetBorrowedText(int32_t textType, const char* t, int32_t len) noexcept {
    Clear(); type = textType; text = t; count = len;
  }
  // A constant text of one character kept inside the value itself.
  void SetCharText(char c) noexcept;
  // A new owned copy of len bytes; 7 when memory runs out (value left empty).
  [[nodiscard]] ErrNo SetOwnedText(const char* t, size_t len) noexcept;
  // Copies len bytes into a new block; 7 when memory runs out (value left empty).
  [[nodiscard]] ErrNo SetBytes(const void* src, size_t len) noexcept;

 private:
  void ReleaseOwned() noexcept;
};

// Coercions. Each leaves the value unchanged when it fails.
[[nodiscard]] ErrNo ToInteger(Value& v) noexcept;
[[nodiscard]] ErrNo ToDouble(Value& v) noexcept;
[[nodiscard]] ErrNo ToNumber(Value& v) noexcept;
[[nodiscard]] ErrNo ToText(Value& v) noexcept;

// Double to 32-bit integer with halves rounded away from zero; 6 outside the range.
// Inline: every store of a double into an integer variable or element comes
// here. Within the range the truncation is exact, and so is the fraction
// d - trunc(d), so the halves are found without a library call (and
// 0.49999999999999994 stays 0, which trunc(d + 0.5) would round up).
[[nodiscard]] inline ErrNo DoubleToInteger(double d, int32_t* out) noexcept {
  // Written so that NaN fails too.
  if (!(d >= -2147483648.0 && d <= 2147483647.0)) return kErrOverflow;
  int64_t whole = static_cast<int64_t>(d);
  const double fraction = d - static_cast<double>(whole);
  if (fraction >= 0.5) {
    ++whole;
  } else if (fraction <= -0.5) {
    --whole;
  }
  *out = static_cast<int32_t>(whole);
  return kOk;
}

// Reads a number from text: "&H", "&O", "&B" prefixes, otherwise a decimal or
// exponent number. Trailing characters are ignored; no number gives 0. The
// result is an integer when integral and in range, else a double; a range
// error gives 6. Never a type mismatch.
[[nodiscard]] ErrNo ParseNumber(const char* text, Value& out) noexcept;

// "%d" of an integer and "%.15g" of a double. The buffer must hold 32 bytes.
inline constexpr size_t kNumberTextSize = 32;
int FormatInteger(int32_t v, char* buf) noexcept;
int FormatDouble(double d, char* buf) noexcept;

// True when text matches pattern: "*" any run, "?" one character, else itself.
[[nodiscard]] bool NamePatternMatch(const char* pattern, const char* text) noexcept;
[[nodiscard]] bool NamePatternMatch(const char* pattern, const char* text, size_t textLen) noexcept;

}  // namespace msc
