// Expression evaluation straight from intermediate code, and the argument
// readers that statements use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/errors.h"
#include "engine/frame.h"
#include "engine/value.h"

namespace msc {

// Operator codes of the evaluator (binding values in the evaluator's table).
enum OperatorCode : int {
  kOpNone = 0, kOpPower = 1, kOpNegate = 2, kOpMultiply = 3, kOpDivide = 4,
  kOpRemainder = 6, kOpAdd = 7, kOpSubtract = 8, kOpEqual = 9, kOpNotEqual = 10,
  kOpGreater = 12, kOpLess = 13, kOpLessEqual = 14, kOpGreaterEqual = 16,
  kOpNot = 18, kOpAnd = 19, kOpOr = 20, kOpXor = 21,
};

inline constexpr size_t kTextArgumentSize = 256;  // 255 bytes and the zero

// One operand (primary) into v. The caller holds the object lock.
[[nodiscard]] ErrNo EvaluatePrimary(ExecFrame& f, Value& v) noexcept;
// A whole expression; the code position stays on the token that ended it.
// The caller holds the object lock.
[[nodiscard]] ErrNo EvaluateExpression(ExecFrame& f, Value& v) noexcept;
// The same, taking the object lock around the evaluation.
[[nodiscard]] ErrNo EvaluateLocked(ExecFrame& f, Value& v) noexcept;

// Combines left and right with a binary operator (or unary minus / Not, which
// use only right) into left; right is cleared. Shared with FOR/NEXT.
[[nodiscard]] ErrNo CombineValues(int op, Value& left, Value& right) noexcept;

// Truth of a condition: an integer when not 0, otherwise as a double not 0.0
// (NaN true). 13 for a value that is neither number nor text... see callers.
[[nodiscard]] bool IsTrue(const Value& v) noexcept;

// Argument readers: evaluate under the lock, convert outside it.
[[nodiscard]] ErrNo IntegerArgument(ExecFrame& f, int32_t* out) noexcept;
[[nodiscard]] ErrNo DoubleArgument(ExecFrame& f, double* out) noexcept;
// At most 255 bytes and a zero into buffer (kTextArgumentSize bytes); 15 when longer.
[[nodiscard]] ErrNo TextArgument(ExecFrame& f, char* buffer) noexcept;
// Converted from the code page; cut, the last element always zero.
[[nodiscard]] ErrNo WideTextArgument(ExecFrame& f, wchar_t* buffer, size_t capacity) noexcept;
[[nodiscard]] ErrNo WideStringArgument(ExecFrame& f, std::wstring* out) noexcept;
// A scalar variable (offset 0) or an array element with its subscripts; 2 otherwise.
[[nodiscard]] ErrNo VariableArgument(ExecFrame& f, uint8_t** cell, uint32_t* offset) noexcept;
// Parses "(" subscripts ")" after an array variable token into an element offset.
[[nodiscard]] ErrNo ElementOffset(ExecFrame& f, uint8_t* cell, uint32_t* offset) noexcept;

// Skips spaces; consumes "," (gives 1) or ":" (gives 0); else leaves it, 0.
int ArgumentSeparator(ExecFrame& f) noexcept;
// Skips spaces; consumes the character when it is next (never the end byte), else 2.
[[nodiscard]] ErrNo ExpectChar(ExecFrame& f, char c) noexcept;
// Skips spaces; consumes the keyword when it is next, else 2 and nothing consumed.
[[nodiscard]] ErrNo ExpectKeyword(ExecFrame& f, uint16_t code) noexcept;

}  // namespace msc
