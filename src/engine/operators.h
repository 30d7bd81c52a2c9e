// The operator tables shared by the evaluator and the quick expression
// compiler, which must parse exactly alike.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "engine/evaluator.h"
#include "engine/language_tables.h"
#include "frontend/keywords.h"

namespace msc {

// Binding value of each operator code: the lower, the tighter.
inline constexpr std::array<uint8_t, kOpXor + 1> kBinding = {
    100,  // 0  none: ends the expression
    3,    // 1  a ^ b
    4,    // 2  - a (unary)
    5,    // 3  a * b
    5,    // 4  a / b
    100,  // 5  never produced
    7,    // 6  a MOD b
    8,    // 7  a + b (also joins texts)
    8,    // 8  a - b
    9,    // 9  a = b
    9,    // 10 a <> b, a >< b
    100,  // 11 never produced
    9,    // 12 a > b
    9,    // 13 a < b
    9,    // 14 a <= b, a =< b
    100,  // 15 never produced
    9,    // 16 a >= b, a => b
    100,  // 17 never produced
    10,   // 18 NOT a
    11,   // 19 a AND b
    12,   // 20 a OR b
    13,   // 21 a XOR b
};
static_assert(kBinding.size() == kOpXor + 1, "one binding value per operator code");
static_assert(kBinding[kOpPower] < kBinding[kOpNegate] && kBinding[kOpNegate] < kBinding[kOpMultiply] &&
                  kBinding[kOpEqual] < kBinding[kOpNot] && kBinding[kOpNot] < kBinding[kOpAnd],
              "comparisons bind tighter than NOT, NOT tighter than AND");

// The operators as the language reference lists them, tightest first.
inline constexpr lang::OperatorDoc kOperatorDocs[] = {
    {kOpPower, "a ^ b", "power"},
    {kOpNegate, "- a", "negation"},
    {kOpMultiply, "a * b", "product"},
    {kOpDivide, "a / b", "quotient: an integer when both are integers that divide evenly, else a double"},
    {kOpRemainder, "a MOD b", "remainder of the integers, with the sign of a"},
    {kOpAdd, "a + b", "sum, or the texts joined"},
    {kOpSubtract, "a - b", "difference"},
    {kOpEqual, "a = b", "equal: -1 (true) or 0 (false); texts compare byte by byte"},
    {kOpNotEqual, "a <> b, a >< b", "not equal"},
    {kOpGreater, "a > b", "greater"},
    {kOpLess, "a < b", "less"},
    {kOpLessEqual, "a <= b, a =< b", "less or equal"},
    {kOpGreaterEqual, "a >= b, a => b", "greater or equal"},
    {kOpNot, "NOT a", "bitwise complement"},
    {kOpAnd, "a AND b", "bitwise and of the integers"},
    {kOpOr, "a OR b", "bitwise or"},
    {kOpXor, "a XOR b", "bitwise exclusive or"},
};
inline constexpr bool OperatorDocsTightestFirst() noexcept {
  for (size_t i = 0; i < std::size(kOperatorDocs); ++i) {
    if (kBinding[kOperatorDocs[i].code] >= 100) return false;
    if (i > 0 && kBinding[kOperatorDocs[i - 1].code] > kBinding[kOperatorDocs[i].code]) return false;
  }
  return true;
}
static_assert(std::size(kOperatorDocs) == 17 && OperatorDocsTightestFirst(),
              "every operator the evaluator makes, tightest first");

// Operator code of a code byte where an operator may follow an operand; 0 for
// every byte that ends the expression. NOT (0xF9) only starts an operand, and
// 0xF3 and 0xF4 are not operators.
inline constexpr std::array<uint8_t, 256> MakeOperatorCodes() noexcept {
  std::array<uint8_t, 256> t{};
  t['^'] = kOpPower;
  t['*'] = kOpMultiply;
  t['/'] = kOpDivide;
  t[op::Mod] = kOpRemainder;
  t['+'] = kOpAdd;
  t['-'] = kOpSubtract;
  t['='] = kOpEqual;
  t[op::NotEqual] = kOpNotEqual;
  t[op::NotEqual2] = kOpNotEqual;
  t['>'] = kOpGreater;
  t['<'] = kOpLess;
  t[op::LessEqual] = kOpLessEqual;
  t[op::LessEqual2] = kOpLessEqual;
  t[op::GreaterEqual] = kOpGreaterEqual;
  t[op::GreaterEqual2] = kOpGreaterEqual;
  t[op::And] = kOpAnd;
  t[op::Or] = kOpOr;
  t[op::Xor] = kOpXor;
  return t;
}
inline constexpr std::array<uint8_t, 256> kOperatorOfByte = MakeOperatorCodes();
static_assert(kOperatorOfByte[0] == kOpNone && kOperatorOfByte[op::Not] == kOpNone &&
              kOperatorOfByte[op::Greater] == kOpNone && kOperatorOfByte[op::Less] == kOpNone);

// a ^ b. A square is the product, which is its correctly rounded value and
// many times cheaper than the general power.
inline double Power(double a, double b) noexcept { return b == 2.0 ? a * a : std::pow(a, b); }

}  // namespace msc
