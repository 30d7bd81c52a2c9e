// The compiler and the runner of decoded number expressions.
//
// The compiler walks the intermediate code with the general evaluator's own
// precedence climbing (engine/operators.h), emitting postfix steps where the
// evaluator would combine values, so both parse every expression alike.
//
//   QuickExpr:  u32 count | ptr end | ptr token start | Step[count]
//   Step:       op, operator or function index, and an integer, a double
//               or a cell address
#include "engine/quick_expr.h"

#include <cassert>
#include <climits>
#include <cmath>
#include <cstring>

#include "api/qor_macro.h"
#include "engine/functions.h"
#include "engine/operators.h"
#include "engine/quick_table.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/keywords.h"

namespace msc {
namespace {

enum class Op : uint8_t {
  Integer,     // push a constant integer
  Double,      // push a constant double
  IntVar,      // push X&
  DblVar,      // push X#
  IntElement,  // replace the subscript on top by X&(subscript)
  DblElement,  // replace the subscript on top by X#(subscript)
  Negate,      // - top
  Not,         // NOT top
  Binary,      // second operator top
  BinaryWith,  // top operator an operand held in the step (a fused push)
  Function,    // a pure number function of the top
  TextLength,  // push Len(X$)
};

struct Step;
struct Machine;
// Runs one step; false where the general evaluator must take over.
using StepFn = bool (*)(const Step& s, Machine& m);

struct Step {
  StepFn run;         // the step's own function, chosen for its operator and operand
  Op op;
  uint8_t binary;     // operator code of Binary and BinaryWith
  Op operand;         // BinaryWith: how its operand is pushed (Integer .. DblVar)
  uint8_t chain;      // BinaryWith in a kChain expression: ChainCode of its operator and operand
  uint16_t function;  // function index of Function
  int32_t integer;
  union {
    double number;
    uint8_t* cell;
    FunctionImpl impl;
  };
  uint32_t argumentKind;  // the conversion of a function's argument
};

using Num = QuickNumber;

// Deeper expressions are left to the general evaluator, which keeps its own
// nesting bound; these bounds keep the runner's stack and the compiler's
// recursion small.
constexpr int kMaxSteps = 64;
constexpr int kMaxStack = 16;
constexpr int kMaxNesting = 32;
// The general evaluator counts its nesting from the frame's depth; a decoded
// expression runs only where it could not reach that bound.
constexpr uint32_t kDepthRoom = 200;

// The pure functions of one number argument.
constexpr uint16_t kPureFunctions[] = {
    0xC000,  // Abs(x)
    0xC002,  // Atn(x)
    0xC004,  // Cos(x)
    0xC00D,  // Exp(x)
    0xC00E,  // Fix(x)
    0xC011,  // Int(x)
    0xC015,  // Log(x)
    0xC019,  // Sin(x)
    0xC01A,  // Sqr(x)
    0xC01D,  // Tan(x)
};

constexpr uint16_t kLenFunction = 0xC014;  // Len(s)

bool IsPureFunction(uint16_t code) noexcept {
  for (uint16_t c : kPureFunctions)
    if (c == code) return true;
  return false;
}

const uint8_t* SkipSpacing(const uint8_t* p) noexcept {
  while (*p >= 0x01 && *p <= code::MaxSpaceRun) ++p;
  return p;
}

class Compiler {
 public:
  explicit Compiler(const uint8_t* site) noexcept : p_(site), tokenStart_(site) {}

  // The whole expression, as EvaluateExpression reads it.
  bool Expression() noexcept {
    if (!Primary()) return false;
    for (;;) {
      const uint8_t* start;
      const int op = ReadOperator(&start);
      if (op == kOpNone) return true;
      if (!Apply(op)) return false;
    }
  }

  int count() const noexcept { return count_; }
  const Step* steps() const noexcept { return steps_; }
  const uint8_t* end() const noexcept { return p_; }
  const uint8_t* tokenStart() const noexcept { return tokenStart_; }

 private:
  class Nest {
   public:
    explicit Nest(int& depth) noexcept : depth_(depth) { ++depth_; }
    ~Nest() { --depth_; }
    Nest(const Nest&) = delete;
    Nest& operator=(const Nest&) = delete;
    bool Exceeded() const noexcept { return depth_ > kMaxNesting; }

   private:
    int& depth_;
  };

  Step* Emit(Op op, int stackChange) noexcept {
    if (count_ >= kMaxSteps) return nullptr;
    stack_ += stackChange;
    if (stack_ > kMaxStack) return nullptr;
    Step* s = &steps_[count_++];
    std::memset(s, 0, sizeof *s);
    s->op = op;
    return s;
  }

  // A binary operator; when its right operand is the constant or variable
  // just pushed, the push is folded into the operator's step.
  Step* EmitBinary(int op) noexcept {
    if (count_ > 0) {
      Step* last = &steps_[count_ - 1];
      if (last->op == Op::Integer || last->op == Op::Double || last->op == Op::IntVar || last->op == Op::DblVar) {
        last->operand = last->op;
        last->op = Op::BinaryWith;
        last->binary = static_cast<uint8_t>(op);
        --stack_;
        return last;
      }
    }
    Step* s = Emit(Op::Binary, -1);
    if (s != nullptr) s->binary = static_cast<uint8_t>(op);
    return s;
  }

  bool Constant(int32_t v) noexcept {
    Step* s = Emit(Op::Integer, 1);
    if (s != nullptr) s->integer = v;
    return s != nullptr;
  }

  // The operator after the operand, as the evaluator's ReadOperator takes it.
  int ReadOperator(const uint8_t** start) noexcept {
    tokenStart_ = p_;
    *start = p_;
    p_ = SkipSpacing(p_);
    const int code = kOperatorOfByte[*p_];
    if (code != kOpNone) ++p_;
    return code;
  }

  bool ExpectChar(char c) noexcept {
    p_ = SkipSpacing(p_);
    if (*p_ != static_cast<uint8_t>(c) || c == 0) return false;
    ++p_;
    return true;
  }

  // The right operand of op with everything binding tighter, then op.
  bool Apply(int op) noexcept {
    Nest nest(nesting_);
    if (nest.Exceeded() || !Primary()) return false;
    const uint8_t* start;
    int next = ReadOperator(&start);
    while (kBinding[op] > kBinding[next]) {
      if (!Apply(next)) return false;
      next = ReadOperator(&start);
    }
    Step* s;
    if (op == kOpNegate) {
      s = Emit(Op::Negate, 0);
    } else if (op == kOpNot) {
      s = Emit(Op::Not, 0);
    } else {
      s = EmitBinary(op);
    }
    p_ = start;
    return s != nullptr;
  }

  bool Primary() noexcept {
    Nest nest(nesting_);
    if (nest.Exceeded()) return false;
    const uint8_t* q = SkipSpacing(p_);
    const uint8_t b = *q;
    if (b >= code::SmallFirst && b <= code::SmallLast) {
      p_ = q + 1;
      return Constant(b - code::SmallFirst);
    }
    switch (b) {
      case code::Byte:
        p_ = q + 2;
        return Constant(q[1]);
      case code::Short:
        p_ = q + 3;
        return Constant(LoadI16(q + 1));
      case code::Double: {
        p_ = q + 9;
        Step* s = Emit(Op::Double, 1);
        if (s != nullptr) s->number = LoadF64(q + 1);
        return s != nullptr;
      }
      case tag::Int:
      case tag::Dbl:
      case tag::IntArray:
      case tag::DblArray:
        return Variable(q);
      case '-':
        p_ = q + 1;
        return Apply(kOpNegate);
      case op::Not:
        p_ = q + 1;
        return Apply(kOpNot);
      case '(':
        p_ = q + 1;
        return Expression() && ExpectChar(')');
      default:
        break;
    }
    if (b < code::KeywordFirst || b > code::KeywordLast) return false;
    const auto c = static_cast<uint16_t>(q[0] << 8 | q[1]);
    p_ = q + 2;
    if (c >= kConstantFirst && c < kConstantFirstDouble) return Constant(ConstantInteger(c));
    if (c >= kConstantFirstDouble && c < kConstantFirstString) {
      Step* s = Emit(Op::Double, 1);
      if (s != nullptr) s->number = ConstantDouble(c);
      return s != nullptr;
    }
    if (c == kLenFunction) return TextLength();
    if (!IsPureFunction(c)) return false;
    const FunctionEntry* entry = FunctionAt(c - kFunctionFirst);
    if (entry == nullptr || (entry->argumentKinds != 2 && entry->argumentKinds != 3)) return false;
    if (!ExpectChar('(') || !Expression() || !ExpectChar(')')) return false;
    Step* s = Emit(Op::Function, 0);
    if (s == nullptr) return false;
    s->function = static_cast<uint16_t>(c - kFunctionFirst);
    s->impl = entry->impl;
    s->argumentKind = entry->argumentKinds;
    return true;
  }

  // Len of a text variable alone: Len(X$).
  bool TextLength() noexcept {
    if (!ExpectChar('(')) return false;
    const uint8_t* q = SkipSpacing(p_);
    if (*q != tag::Str) return false;
    uint8_t* cell = LoadPtr(q + 1);
    if (cell == nullptr || cell[0] != tag::Str) return false;
    p_ = q + 1 + sizeof(void*);
    if (!ExpectChar(')')) return false;
    Step* s = Emit(Op::TextLength, 1);
    if (s != nullptr) s->cell = cell;
    return s != nullptr;
  }

  // A number variable, or an element of a number array with one subscript.
  bool Variable(const uint8_t* q) noexcept {
    uint8_t* cell = LoadPtr(q + 1);
    if (cell == nullptr || cell[0] != q[0]) return false;
    p_ = q + 1 + sizeof(void*);
    if (q[0] == tag::Int || q[0] == tag::Dbl) {
      Step* s = Emit(q[0] == tag::Int ? Op::IntVar : Op::DblVar, 1);
      if (s != nullptr) s->cell = cell;
      return s != nullptr;
    }
    if (!ExpectChar('(') || !Expression()) return false;
    p_ = SkipSpacing(p_);
    if (*p_ != ')') return false;  // more subscripts: the general path
    ++p_;
    Step* s = Emit(q[0] == tag::IntArray ? Op::IntElement : Op::DblElement, 0);
    if (s != nullptr) s->cell = cell;
    return s != nullptr;
  }

  const uint8_t* p_;
  const uint8_t* tokenStart_;
  Step steps_[kMaxSteps];
  int count_ = 0;
  int stack_ = 0;
  int nesting_ = 0;
};

// ---- the runner ----

constexpr double kIntMin = -2147483648.0;
constexpr double kIntMax = 2147483647.0;

// An integer result is kept as +0.0, never -0.0 (0 * -5 is the integer 0,
// which a double variable receives as 0).
void SetInt(Num& n, double whole) noexcept {
  n.isInt = true;
  n.d = whole + 0.0;
}
void SetInt(Num& n, int32_t v) noexcept {
  n.isInt = true;
  n.d = v;
}
void SetDbl(Num& n, double v) noexcept {
  n.isInt = false;
  n.d = v;
}
// The result of + - * or / computed in doubles: an integer when both operands
// were and the exact result is a whole number within 32 bits.
void SetExact(Num& n, double r, bool whole) noexcept {
  if (whole && r >= kIntMin && r <= kIntMax) {
    SetInt(n, r);
  } else {
    SetDbl(n, r);
  }
}

// The integer of a number as ToInteger makes it; false out of range.
bool AsInteger(const Num& n, int32_t* out) noexcept {
  if (n.isInt) {
    *out = n.Int();
    return true;
  }
  return DoubleToInteger(n.d, out) == kOk;
}

// left op right into left, with the general evaluator's results; false for
// an error, which the general evaluator then reports. Integers are exact in
// doubles, so the relations and the sums, differences and quotients of
// integers need no integer instructions; a product of two integers rounds
// as the conversion of its exact 64-bit value does.
template <int kOp>
bool Combine(Num& left, const Num& right) noexcept {
  const bool integers = left.isInt && right.isInt;
  const double a = left.d, b = right.d;
  if constexpr (kOp == kOpAdd) {
    SetExact(left, a + b, integers);
  } else if constexpr (kOp == kOpSubtract) {
    SetExact(left, a - b, integers);
  } else if constexpr (kOp == kOpMultiply) {
    SetExact(left, a * b, integers);
  } else if constexpr (kOp == kOpLess) {
    SetInt(left, a < b ? -1 : 0);
  } else if constexpr (kOp == kOpGreater) {
    SetInt(left, a > b ? -1 : 0);
  } else if constexpr (kOp == kOpEqual) {
    SetInt(left, a == b ? -1 : 0);
  } else if constexpr (kOp == kOpNotEqual) {
    SetInt(left, a == b ? 0 : -1);  // NaN differs from all
  } else if constexpr (kOp == kOpLessEqual) {
    SetInt(left, a <= b ? -1 : 0);
  } else if constexpr (kOp == kOpGreaterEqual) {
    SetInt(left, a >= b ? -1 : 0);
  } else if constexpr (kOp == kOpDivide) {
    if (b == 0.0) return false;
    // The quotient of two integers is whole exactly when the division
    // leaves no remainder: an inexact one lies closer to its true value
    // than to any whole number. It is within 2^31, so its conversion to
    // 64 bits is exact.
    const double q = a / b;
    SetExact(left, q, integers && q == static_cast<double>(static_cast<int64_t>(q)));
  } else if constexpr (kOp == kOpPower) {
    const double r = Power(a, b);
    if (r > -2147483648.5 && r < 2147483647.5 && r == std::trunc(r)) {
      SetInt(left, r);
    } else {
      SetDbl(left, r);
    }
  } else {  // MOD, AND, OR, XOR work on integers
    int32_t x, y;
    if (!AsInteger(left, &x) || !AsInteger(right, &y)) return false;
    if constexpr (kOp == kOpRemainder) {
      if (y == 0) return false;
      SetInt(left, y == -1 ? 0 : x % y);
    } else if constexpr (kOp == kOpAnd) {
      SetInt(left, x & y);
    } else if constexpr (kOp == kOpOr) {
      SetInt(left, x | y);
    } else {
      static_assert(kOp == kOpXor, "an operator the table produces");
      SetInt(left, x ^ y);
    }
  }
  return true;
}

// The element of a one-dimensional number array; false where the general
// path reports an error (or the array has more dimensions).
bool ReadElementNumber(const Step& s, Num& top) noexcept {
  int32_t index;
  if (!AsInteger(top, &index)) return false;
  const uint8_t* block = ArrayBlock(s.cell);
  if (block == nullptr || LoadU32(block) != 1) return false;
  if (index < 0 || static_cast<uint32_t>(index) >= LoadU32(block + 4)) return false;
  const uint8_t* element = block + 8 + static_cast<size_t>(index) * (s.op == Op::IntElement ? 4 : 8);
  if (s.op == Op::IntElement) {
    SetInt(top, static_cast<int32_t>(LoadU32(element)));
  } else {
    SetDbl(top, LoadF64(element));
  }
  return true;
}

bool CallPure(const Step& s, ExecFrame& f, Num& top) noexcept {
  Value args[1];
  if (top.isInt) {
    args[0].SetInteger(top.Int());
  } else {
    args[0].SetDouble(top.d);
  }
  if (s.argumentKind == 2 && ToDouble(args[0]) != kOk) return false;
  Value result;
  if (s.impl(args, result, f) != kOk) return false;
  if (result.type == kInteger) {
    SetInt(top, result.count);
  } else if (result.type == kDouble) {
    SetDbl(top, result.number);
  } else {
    return false;
  }
  return true;
}

}  // namespace

namespace {

// ---- the steps' functions ----
//
// Each step runs through a function made for its operator and operand, so
// running an expression is one indirect call per step with no decoding.

// The state the steps work on: the top of the stack kept apart, the numbers
// below it in an array (a push moves the top down first, so the first push
// moves an unused number; the array has room for it).
struct Machine {
  Num top;
  Num* below;  // the next free place
  ExecFrame* f;
};

template <Op kKind>
Num Load(const Step& s) noexcept {
  Num n;
  if constexpr (kKind == Op::Integer) {
    SetInt(n, s.integer);
  } else if constexpr (kKind == Op::Double) {
    SetDbl(n, s.number);
  } else if constexpr (kKind == Op::IntVar) {
    SetInt(n, static_cast<int32_t>(LoadU32(s.cell + 1)));
  } else {
    SetDbl(n, LoadF64(s.cell + 1));
  }
  return n;
}

// Numbers move field by field: a whole-record copy of a number whose fields
// were just written one by one would wait for those writes to reach memory.
void Put(Num& to, const Num& from) noexcept {
  to.d = from.d;
  to.isInt = from.isInt;
}

template <Op kKind>
bool PushStep(const Step& s, Machine& m) noexcept {
  Put(*m.below++, m.top);
  Put(m.top, Load<kKind>(s));
  return true;
}

// An operator whose right operand is folded into the step.
template <int kOp, Op kKind>
bool WithStep(const Step& s, Machine& m) noexcept {
  return Combine<kOp>(m.top, Load<kKind>(s));
}

template <int kOp>
bool BinaryStep(const Step&, Machine& m) noexcept {
  Num& left = *--m.below;
  if (!Combine<kOp>(left, m.top)) return false;
  Put(m.top, left);
  return true;
}

bool ElementStep(const Step& s, Machine& m) noexcept { return ReadElementNumber(s, m.top); }

bool NegateStep(const Step&, Machine& m) noexcept {
  if (!m.top.isInt) {
    m.top.d = -m.top.d;
  } else if (m.top.d != kIntMin) {  // negation wraps: minus -2147483648 stays -2147483648
    m.top.d = 0.0 - m.top.d;         // and minus 0 is the integer 0, not -0.0
  }
  return true;
}

bool NotStep(const Step&, Machine& m) noexcept {
  int32_t x;
  if (!AsInteger(m.top, &x)) return false;
  SetInt(m.top, ~x);
  return true;
}

// The functions of the math library, called directly: the argument is a
// double, and only Log and Sqr have values they refuse.
template <uint16_t kCode>
bool Math(Num& top) noexcept {
  const double x = top.d;
  if constexpr (kCode == 0xC002) {  // Atn
    SetDbl(top, std::atan(x));
  } else if constexpr (kCode == 0xC004) {  // Cos
    SetDbl(top, std::cos(x));
  } else if constexpr (kCode == 0xC00D) {  // Exp
    SetDbl(top, std::exp(x));
  } else if constexpr (kCode == 0xC015) {  // Log
    if (!(x > 0.0)) return false;
    SetDbl(top, std::log(x));
  } else if constexpr (kCode == 0xC019) {  // Sin
    SetDbl(top, std::sin(x));
  } else if constexpr (kCode == 0xC01A) {  // Sqr
    if (x < 0.0) return false;
    SetDbl(top, std::sqrt(x));
  } else {
    static_assert(kCode == 0xC01D, "Tan, the last of them");
    SetDbl(top, std::tan(x));
  }
  return true;
}

template <uint16_t kCode>
bool MathStep(const Step&, Machine& m) noexcept {
  return Math<kCode>(m.top);
}

// The step of a math library function; null for the other pure functions.
StepFn MathStepFor(uint16_t code) noexcept {
  switch (code) {
    case 0xC002: return MathStep<0xC002>;
    case 0xC004: return MathStep<0xC004>;
    case 0xC00D: return MathStep<0xC00D>;
    case 0xC015: return MathStep<0xC015>;
    case 0xC019: return MathStep<0xC019>;
    case 0xC01A: return MathStep<0xC01A>;
    case 0xC01D: return MathStep<0xC01D>;
    default: return nullptr;
  }
}

bool FunctionStep(const Step& s, Machine& m) noexcept { return CallPure(s, *m.f, m.top); }

bool TextLengthStep(const Step& s, Machine& m) noexcept {
  Put(*m.below++, m.top);
  const char* text = reinterpret_cast<const char*>(LoadPtr(s.cell + 1));
  SetInt(m.top, static_cast<int32_t>(text == nullptr ? 0 : std::strlen(text)));
  return true;
}

template <int kOp>
StepFn OperatorFor(Op kind) noexcept {
  switch (kind) {
    case Op::Integer: return WithStep<kOp, Op::Integer>;
    case Op::Double: return WithStep<kOp, Op::Double>;
    case Op::IntVar: return WithStep<kOp, Op::IntVar>;
    case Op::DblVar: return WithStep<kOp, Op::DblVar>;
    default: return BinaryStep<kOp>;  // both operands on the stack
  }
}

StepFn OperatorFor(int op, Op kind) noexcept {
  switch (op) {
    case kOpPower: return OperatorFor<kOpPower>(kind);
    case kOpMultiply: return OperatorFor<kOpMultiply>(kind);
    case kOpDivide: return OperatorFor<kOpDivide>(kind);
    case kOpRemainder: return OperatorFor<kOpRemainder>(kind);
    case kOpAdd: return OperatorFor<kOpAdd>(kind);
    case kOpSubtract: return OperatorFor<kOpSubtract>(kind);
    case kOpEqual: return OperatorFor<kOpEqual>(kind);
    case kOpNotEqual: return OperatorFor<kOpNotEqual>(kind);
    case kOpGreater: return OperatorFor<kOpGreater>(kind);
    case kOpLess: return OperatorFor<kOpLess>(kind);
    case kOpLessEqual: return OperatorFor<kOpLessEqual>(kind);
    case kOpGreaterEqual: return OperatorFor<kOpGreaterEqual>(kind);
    case kOpAnd: return OperatorFor<kOpAnd>(kind);
    case kOpOr: return OperatorFor<kOpOr>(kind);
    default: return OperatorFor<kOpXor>(kind);  // the operator table produces nothing else
  }
}

StepFn FunctionOf(const Step& s) noexcept {
  switch (s.op) {
    case Op::Integer: return PushStep<Op::Integer>;
    case Op::Double: return PushStep<Op::Double>;
    case Op::IntVar: return PushStep<Op::IntVar>;
    case Op::DblVar: return PushStep<Op::DblVar>;
    case Op::IntElement:
    case Op::DblElement: return ElementStep;
    case Op::Negate: return NegateStep;
    case Op::Not: return NotStep;
    case Op::Binary: return OperatorFor(s.binary, Op::Binary);
    case Op::BinaryWith: return OperatorFor(s.binary, s.operand);
    case Op::Function: {
      const StepFn math = MathStepFor(static_cast<uint16_t>(s.function + kFunctionFirst));
      return math != nullptr ? math : FunctionStep;
    }
    case Op::TextLength: return TextLengthStep;
  }
  return nullptr;
}

}  // namespace

namespace {

// The steps follow the head, 8-aligned.
constexpr size_t kStepsOffset = (sizeof(QuickExpr) + 7) & ~size_t{7};

const Step* StepsOf(const QuickExpr& e) noexcept {
  return reinterpret_cast<const Step*>(reinterpret_cast<const unsigned char*>(&e) + kStepsOffset);
}

bool IsPush(Op op) noexcept {
  return op == Op::Integer || op == Op::Double || op == Op::IntVar || op == Op::DblVar;
}

// A pair: two constants or variables and one operator, with no step calls.
template <int kOp, Op kLeft, Op kRight>
bool Pair(const QuickExpr& e, QuickNumber* out) noexcept {
  const Step* s = StepsOf(e);
  Put(*out, Load<kLeft>(s[0]));
  return Combine<kOp>(*out, Load<kRight>(s[1]));
}

using PairFn = bool (*)(const QuickExpr& e, QuickNumber* out) noexcept;

template <int kOp, Op kLeft>
PairFn PairFor(Op right) noexcept {
  switch (right) {
    case Op::Integer: return Pair<kOp, kLeft, Op::Integer>;
    case Op::Double: return Pair<kOp, kLeft, Op::Double>;
    case Op::IntVar: return Pair<kOp, kLeft, Op::IntVar>;
    default: return Pair<kOp, kLeft, Op::DblVar>;
  }
}

template <int kOp>
PairFn PairFor(Op left, Op right) noexcept {
  switch (left) {
    case Op::Integer: return PairFor<kOp, Op::Integer>(right);
    case Op::Double: return PairFor<kOp, Op::Double>(right);
    case Op::IntVar: return PairFor<kOp, Op::IntVar>(right);
    default: return PairFor<kOp, Op::DblVar>(right);
  }
}

PairFn PairFor(int op, Op left, Op right) noexcept {
  switch (op) {
    case kOpPower: return PairFor<kOpPower>(left, right);
    case kOpMultiply: return PairFor<kOpMultiply>(left, right);
    case kOpDivide: return PairFor<kOpDivide>(left, right);
    case kOpRemainder: return PairFor<kOpRemainder>(left, right);
    case kOpAdd: return PairFor<kOpAdd>(left, right);
    case kOpSubtract: return PairFor<kOpSubtract>(left, right);
    case kOpEqual: return PairFor<kOpEqual>(left, right);
    case kOpNotEqual: return PairFor<kOpNotEqual>(left, right);
    case kOpGreater: return PairFor<kOpGreater>(left, right);
    case kOpLess: return PairFor<kOpLess>(left, right);
    case kOpLessEqual: return PairFor<kOpLessEqual>(left, right);
    case kOpGreaterEqual: return PairFor<kOpGreaterEqual>(left, right);
    case kOpAnd: return PairFor<kOpAnd>(left, right);
    case kOpOr: return PairFor<kOpOr>(left, right);
    default: return PairFor<kOpXor>(left, right);  // the operator table produces nothing else
  }
}

// A math library function of a constant or variable, with no step calls.
template <Op kKind, uint16_t kCode>
bool MathOf(const QuickExpr& e, QuickNumber* out) noexcept {
  Put(*out, Load<kKind>(StepsOf(e)[0]));
  return Math<kCode>(*out);
}

template <uint16_t kCode>
PairFn MathOfFor(Op kind) noexcept {
  switch (kind) {
    case Op::Integer: return MathOf<Op::Integer, kCode>;
    case Op::Double: return MathOf<Op::Double, kCode>;
    case Op::IntVar: return MathOf<Op::IntVar, kCode>;
    default: return MathOf<Op::DblVar, kCode>;
  }
}

// The two-step function of a math library function of a push; null for
// any other function.
PairFn MathOfFor(Op kind, uint16_t code) noexcept {
  switch (code) {
    case 0xC002: return MathOfFor<0xC002>(kind);
    case 0xC004: return MathOfFor<0xC004>(kind);
    case 0xC00D: return MathOfFor<0xC00D>(kind);
    case 0xC015: return MathOfFor<0xC015>(kind);
    case 0xC019: return MathOfFor<0xC019>(kind);
    case 0xC01A: return MathOfFor<0xC01A>(kind);
    case 0xC01D: return MathOfFor<0xC01D>(kind);
    default: return nullptr;
  }
}

// An integer variable with an operator and an integer constant or
// variable: one of the shapes the runner computes inline, where it is one.
void SetIntegerShape(QuickExpr& e, const uint8_t* cell, const Step& with) noexcept {
  bool constant = with.operand == Op::Integer;
  int32_t k = with.integer;
  // A whole double within 32 bits compares with an integer as that integer
  // does (a sum with it would be a double, so only the relations take it).
  if (with.operand == Op::Double && with.binary >= kOpEqual && with.binary <= kOpGreaterEqual &&
      with.number == std::trunc(with.number) && with.number >= kIntMin && with.number <= kIntMax) {
    constant = true;
    k = static_cast<int32_t>(with.number);
  }
  if (!constant && with.operand != Op::IntVar) return;
  switch (with.binary) {
    case kOpAdd:
    case kOpSubtract:
      if (!constant || (with.binary == kOpSubtract && k == INT32_MIN)) return;
      e.shape = QuickExpr::kIntSum;
      e.integer = with.binary == kOpAdd ? k : -k;
      break;
    case kOpRemainder:
      if (!constant || k == 0) return;  // MOD 0 is the general evaluator's error
      e.shape = QuickExpr::kIntRemainder;
      e.integer = k;
      break;
    case kOpLess: e.test = QuickExpr::kLess; break;
    case kOpGreater: e.test = QuickExpr::kGreater; break;
    case kOpEqual: e.test = QuickExpr::kEqual; break;
    case kOpNotEqual: e.test = QuickExpr::kNotEqual; break;
    case kOpLessEqual: e.test = QuickExpr::kLessEqual; break;
    case kOpGreaterEqual: e.test = QuickExpr::kGreaterEqual; break;
    default: return;
  }
  if (e.shape == QuickExpr::kPair) {
    e.shape = QuickExpr::kIntTest;
    e.integer = k;
    e.other = constant ? nullptr : with.cell;
  }
  e.cell = cell;
}

// The place of + - * or / with one kind of operand among the cases of
// RunQuickChain; kNoChain for any other operator or operand.
constexpr uint8_t kNoChain = 255;
constexpr uint8_t ChainCode(int op, Op operand) noexcept {
  const int kind = static_cast<int>(operand);
  if (kind > static_cast<int>(Op::DblVar)) return kNoChain;
  switch (op) {
    case kOpAdd: return static_cast<uint8_t>(kind);
    case kOpSubtract: return static_cast<uint8_t>(4 + kind);
    case kOpMultiply: return static_cast<uint8_t>(8 + kind);
    case kOpDivide: return static_cast<uint8_t>(12 + kind);
    default: return kNoChain;
  }
}
static_assert(static_cast<int>(Op::Integer) == 0 && static_cast<int>(Op::DblVar) == 3,
              "the four pushes come first, in the order of RunQuickChain's cases");

// A push followed only by fused operators RunQuickChain runs: those steps
// get their codes.
bool MarkChain(Step* steps, uint32_t count) noexcept {
  if (count < 3 || !IsPush(steps[0].op)) return false;
  for (uint32_t i = 1; i < count; ++i)
    if (steps[i].op != Op::BinaryWith || ChainCode(steps[i].binary, steps[i].operand) == kNoChain) return false;
  for (uint32_t i = 1; i < count; ++i) steps[i].chain = ChainCode(steps[i].binary, steps[i].operand);
  static_assert(ChainCode(kOpDivide, Op::DblVar) == 15, "the codes fill 4 bits");
  return true;
}

// The shape of a one-step expression, run from the head alone, and of a
// push with one fused operator or one math function.
void SetShape(QuickExpr& e, Step* steps) noexcept {
  e.shape = QuickExpr::kSteps;
  if (MarkChain(steps, e.count)) {
    e.shape = QuickExpr::kChain;
    return;
  }
  if (e.count == 2 && IsPush(steps[0].op) && steps[1].op == Op::Function) {
    e.pair = MathOfFor(steps[0].op, static_cast<uint16_t>(steps[1].function + kFunctionFirst));
    if (e.pair != nullptr) e.shape = QuickExpr::kPair;
    return;
  }
  if (e.count == 2 && IsPush(steps[0].op) && steps[1].op == Op::BinaryWith) {
    e.shape = QuickExpr::kPair;
    e.pair = PairFor(steps[1].binary, steps[0].op, steps[1].operand);
    if (steps[0].op == Op::IntVar) SetIntegerShape(e, steps[0].cell, steps[1]);
    return;
  }
  if (e.count != 1) return;
  switch (steps[0].op) {
    case Op::Integer: e.shape = QuickExpr::kInteger; e.integer = steps[0].integer; break;
    case Op::Double: e.shape = QuickExpr::kDouble; e.number = steps[0].number; break;
    case Op::IntVar: e.shape = QuickExpr::kIntVar; e.cell = steps[0].cell; break;
    case Op::DblVar: e.shape = QuickExpr::kDblVar; e.cell = steps[0].cell; break;
    default: break;
  }
}

}  // namespace

const QuickExpr* QuickExpressionAt(ExecFrame& f, const uint8_t* site) noexcept {
  QorMacro& m = *f.macro;
  if (!m.lock.OwnedByThisThread()) return nullptr;
  return QuickExpressionHeld(m, site);
}

const QuickExpr* QuickExpressionHeld(QorMacro& m, const uint8_t* site) noexcept {
  ProgramArea& a = m.program;
  void* form = a.quick.Find(a, a.generation, QuickKind::Expression, site);
  if (form == nullptr) {
    if (!a.quick.Covers(site)) return nullptr;  // a line run directly: nothing is kept
    Compiler c(site);
    form = QuickTable::NoForm();
    if (c.Expression()) {
      const size_t bytes = kStepsOffset + sizeof(Step) * static_cast<size_t>(c.count());
      auto* e = static_cast<QuickExpr*>(a.quick.Allocate(bytes));
      if (e != nullptr) {
        std::memset(static_cast<void*>(e), 0, sizeof *e);
        e->count = static_cast<uint32_t>(c.count());
        e->end = c.end();
        e->tokenStart = c.tokenStart();
        auto* steps = reinterpret_cast<Step*>(reinterpret_cast<unsigned char*>(e) + kStepsOffset);
        std::memcpy(static_cast<void*>(steps), c.steps(), sizeof(Step) * static_cast<size_t>(c.count()));
        for (int i = 0; i < c.count(); ++i) steps[i].run = FunctionOf(steps[i]);
        SetShape(*e, steps);
        form = e;
      }
    }
    a.quick.Store(QuickKind::Expression, site, form);
  }
  return form == QuickTable::NoForm() ? nullptr : static_cast<const QuickExpr*>(form);
}

bool RunQuickSteps(const QuickExpr& e, ExecFrame& f, QuickNumber* out) noexcept {
  if (f.evalDepth > kDepthRoom) return false;
  Num below[kMaxStack + 1];
  Machine m{Num{0.0, true}, below, &f};
  const Step* s = StepsOf(e);
  for (const Step* const end = s + e.count; s != end; ++s)
    if (!s->run(*s, m)) return false;
  Put(*out, m.top);
  return true;
}

// The number stays in registers from step to step, and each step is one
// jump through the switch rather than a call.
bool RunQuickChain(const QuickExpr& e, ExecFrame& f, QuickNumber* out) noexcept {
  if (f.evalDepth > kDepthRoom) return false;
  const Step* s = StepsOf(e);
  Num top;
  switch (s->op) {
    case Op::Integer: top = Load<Op::Integer>(*s); break;
    case Op::Double: top = Load<Op::Double>(*s); break;
    case Op::IntVar: top = Load<Op::IntVar>(*s); break;
    default: top = Load<Op::DblVar>(*s); break;
  }
  for (const Step* const end = s + e.count; ++s != end;) {
    // (The 16 cases cover every value of the 4 bits.)
    switch (s->chain & 15u) {
      case ChainCode(kOpAdd, Op::Integer): Combine<kOpAdd>(top, Load<Op::Integer>(*s)); break;
      case ChainCode(kOpAdd, Op::Double): Combine<kOpAdd>(top, Load<Op::Double>(*s)); break;
      case ChainCode(kOpAdd, Op::IntVar): Combine<kOpAdd>(top, Load<Op::IntVar>(*s)); break;
      case ChainCode(kOpAdd, Op::DblVar): Combine<kOpAdd>(top, Load<Op::DblVar>(*s)); break;
      case ChainCode(kOpSubtract, Op::Integer): Combine<kOpSubtract>(top, Load<Op::Integer>(*s)); break;
      case ChainCode(kOpSubtract, Op::Double): Combine<kOpSubtract>(top, Load<Op::Double>(*s)); break;
      case ChainCode(kOpSubtract, Op::IntVar): Combine<kOpSubtract>(top, Load<Op::IntVar>(*s)); break;
      case ChainCode(kOpSubtract, Op::DblVar): Combine<kOpSubtract>(top, Load<Op::DblVar>(*s)); break;
      case ChainCode(kOpMultiply, Op::Integer): Combine<kOpMultiply>(top, Load<Op::Integer>(*s)); break;
      case ChainCode(kOpMultiply, Op::Double): Combine<kOpMultiply>(top, Load<Op::Double>(*s)); break;
      case ChainCode(kOpMultiply, Op::IntVar): Combine<kOpMultiply>(top, Load<Op::IntVar>(*s)); break;
      case ChainCode(kOpMultiply, Op::DblVar): Combine<kOpMultiply>(top, Load<Op::DblVar>(*s)); break;
      // A quotient by zero is the general evaluator's error.
      case ChainCode(kOpDivide, Op::Integer):
        if (!Combine<kOpDivide>(top, Load<Op::Integer>(*s))) return false;
        break;
      case ChainCode(kOpDivide, Op::Double):
        if (!Combine<kOpDivide>(top, Load<Op::Double>(*s))) return false;
        break;
      case ChainCode(kOpDivide, Op::IntVar):
        if (!Combine<kOpDivide>(top, Load<Op::IntVar>(*s))) return false;
        break;
      case ChainCode(kOpDivide, Op::DblVar):
        if (!Combine<kOpDivide>(top, Load<Op::DblVar>(*s))) return false;
        break;
    }
  }
  Put(*out, top);
  return true;
}

bool RunQuickExpression(const QuickExpr& e, ExecFrame& f, Value& v) noexcept {
  Num n;
  if (!RunQuickNumber(e, f, &n)) return false;
  if (n.isInt) {
    v.SetInteger(n.Int());
  } else {
    v.SetDouble(n.d);
  }
  f.pos = e.end;
  f.tokenStart = e.tokenStart;
  return true;
}

}  // namespace msc
