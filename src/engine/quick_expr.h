// Number expressions decoded once into a short postfix program.
//
// An expression made only of number constants, number variables, elements
// of one-dimensional number arrays, the arithmetic, comparison and bit
// operators, the pure number functions (Abs, Atn, Cos, Exp, Fix, Int, Log,
// Sin, Sqr, Tan) and Len of a text variable is compiled the first time a
// run evaluates it; later evaluations run the steps over a small stack of
// numbers instead of decoding tokens and building values.
//
// A decoded expression computes exactly what the general evaluator does: the
// same parse (the two share the operator tables), the same results. It
// covers only the successful path: anything else (a division by zero, a
// number out of range, an undimensioned array, a subscript out of range)
// makes the run fall back to the general evaluator, which reports the error
// as it always did. Evaluating such an expression has no side effect, so
// starting it over is safe.
#pragma once

#include <cstdint>

#include "engine/frame.h"
#include "engine/value.h"
#include "frontend/code.h"

class QorMacro;

namespace msc {

// A number the runner computes. d always holds the value and isInt says it
// is an integer (d is then whole and within 32 bits), so integers and
// doubles share the same arithmetic.
struct QuickNumber {
  double d;
  bool isInt;
  int32_t Int() const noexcept { return static_cast<int32_t>(d); }  // when isInt
};

// A decoded expression: its head, then its steps (private to the runner).
// The commonest expressions, one constant or one variable, are run from the
// head alone, inline.
struct QuickExpr {
  // kChain: a constant or variable and then + - * or / with one each, as in
  // K& / 2 * 3 + 4 - 5, run as one loop.
  enum Shape : uint8_t { kSteps, kInteger, kDouble, kIntVar, kDblVar, kPair, kIntSum, kIntRemainder, kIntTest, kChain };
  // How a kIntTest compares.
  enum Test : uint8_t { kLess, kGreater, kEqual, kNotEqual, kLessEqual, kGreaterEqual };
  uint32_t count;           // steps that follow
  Shape shape;
  int32_t integer;          // kInteger
  double number;            // kDouble
  const uint8_t* cell;      // kIntVar, kDblVar, and the integer variable of the three below
  // The commonest pairs of an integer variable, run inline without a call:
  // kIntSum X& + integer (X& - integer with the integer negated),
  // kIntRemainder X& MOD integer (not 0), kIntTest X& compared with integer
  // or, when other is set, with Y&.
  const uint8_t* other;
  Test test;
  const uint8_t* end;       // where the general evaluation leaves the position
  const uint8_t* tokenStart;
  // kPair: a function made for the pair's operator and operands (or for a
  // math function and its operand).
  bool (*pair)(const QuickExpr& e, QuickNumber* out) noexcept;
};

// The decoded form of the expression at site, compiled on the first visit;
// null when it has none. The caller holds the object lock.
[[nodiscard]] const QuickExpr* QuickExpressionAt(ExecFrame& f, const uint8_t* site) noexcept;
// The same where the caller knows it holds the object lock.
[[nodiscard]] const QuickExpr* QuickExpressionHeld(QorMacro& m, const uint8_t* site) noexcept;


// Runs the steps of a decoded expression (shape kSteps).
[[nodiscard]] bool RunQuickSteps(const QuickExpr& e, ExecFrame& f, QuickNumber* out) noexcept;
// Runs the steps of a kChain expression.
[[nodiscard]] bool RunQuickChain(const QuickExpr& e, ExecFrame& f, QuickNumber* out) noexcept;

// Whether the comparison of a kIntTest holds.
[[nodiscard]] inline bool IntTestHolds(const QuickExpr& e) noexcept {
  const int32_t a = static_cast<int32_t>(LoadU32(e.cell + 1));
  const int32_t b = e.other != nullptr ? static_cast<int32_t>(LoadU32(e.other + 1)) : e.integer;
  switch (e.test) {
    case QuickExpr::kLess: return a < b;
    case QuickExpr::kGreater: return a > b;
    case QuickExpr::kEqual: return a == b;
    case QuickExpr::kNotEqual: return a != b;
    case QuickExpr::kLessEqual: return a <= b;
    default: return a >= b;
  }
}

// Evaluates e; false, with nothing changed, when the general evaluator must
// take over. The code position is left alone.
[[nodiscard]] inline bool RunQuickNumber(const QuickExpr& e, ExecFrame& f, QuickNumber* out) noexcept {
  switch (e.shape) {
    case QuickExpr::kInteger:
      out->isInt = true;
      out->d = e.integer;
      return true;
    case QuickExpr::kDouble:
      out->isInt = false;
      out->d = e.number;
      return true;
    case QuickExpr::kIntVar:
      out->isInt = true;
      out->d = static_cast<int32_t>(LoadU32(e.cell + 1));
      return true;
    case QuickExpr::kDblVar:
      out->isInt = false;
      out->d = LoadF64(e.cell + 1);
      return true;
    case QuickExpr::kPair:  // a constant or variable combined with another, or a math function of one
      return e.pair(e, out);
    case QuickExpr::kIntSum: {
      // The sum of two integers is an integer when it fits in 32 bits.
      const int64_t r = int64_t{static_cast<int32_t>(LoadU32(e.cell + 1))} + e.integer;
      out->isInt = r >= INT32_MIN && r <= INT32_MAX;
      out->d = static_cast<double>(r);
      return true;
    }
    case QuickExpr::kIntRemainder: {
      const int32_t x = static_cast<int32_t>(LoadU32(e.cell + 1));
      out->isInt = true;
      out->d = e.integer == -1 ? 0 : x % e.integer;  // INT32_MIN MOD -1 would trap
      return true;
    }
    case QuickExpr::kIntTest:
      out->isInt = true;
      out->d = IntTestHolds(e) ? -1 : 0;
      return true;
    case QuickExpr::kChain:
      return RunQuickChain(e, f, out);
    default:
      return RunQuickSteps(e, f, out);
  }
}

// Where the general evaluation of e leaves the code position and the token start.
[[nodiscard]] inline const uint8_t* QuickEnd(const QuickExpr& e) noexcept { return e.end; }
[[nodiscard]] inline const uint8_t* QuickTokenStart(const QuickExpr& e) noexcept { return e.tokenStart; }

// Evaluates e into v and leaves the code position where the general
// evaluation would; false, with nothing changed, when the general evaluator
// must take over.
[[nodiscard]] bool RunQuickExpression(const QuickExpr& e, ExecFrame& f, Value& v) noexcept;

}  // namespace msc
