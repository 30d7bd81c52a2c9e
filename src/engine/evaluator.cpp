// Expression evaluation straight from the intermediate code of a line.
//
// There is no tree: operands are values on the evaluator's own stack frames,
// and precedence is resolved by precedence climbing over a table of binding
// values. Apply reads the right operand together with every following
// operator that binds strictly tighter, combines, and gives the operator that
// stopped it back to the caller, so operators of equal strength (power
// included) associate to the left.
//
// Locking: the evaluator itself takes the object lock only at "("; the
// top-level entries (EvaluateLocked and the argument readers) take it around
// the evaluation and release it before converting the result, unless the
// result still borrows a variable's storage.
#include "engine/evaluator.h"

#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "engine/memory_budget.h"
#include "api/config.h"
#include "api/qor_macro.h"
#include "engine/functions.h"
#include "engine/host_names.h"
#include "engine/host_window.h"
#include "engine/operators.h"
#include "engine/quick_expr.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/keywords.h"
#include "frontend/token_reader.h"
#include "platform/codepage.h"
#include "platform/lock.h"

namespace msc {
namespace {

using ObjectLock = std::unique_lock<platform::RecursiveLock>;

// Operands nested deeper than this (parentheses, unary operators, subscripts,
// function arguments) give 7 instead of exhausting the thread's stack; a line
// of code can hold tens of thousands of "(".
constexpr uint32_t kMaxEvaluationDepth = 256;

class DepthGuard {
 public:
  explicit DepthGuard(ExecFrame& f) noexcept : f_(f) { ++f_.evalDepth; }
  ~DepthGuard() { --f_.evalDepth; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;
  bool Exceeded() const noexcept { return f_.evalDepth > kMaxEvaluationDepth; }

 private:
  ExecFrame& f_;
};

// Clears a value when the scope ends, whatever the path.
class ClearOnExit {
 public:
  explicit ClearOnExit(Value& v) noexcept : v_(v) {}
  ~ClearOnExit() { v_.Clear(); }
  ClearOnExit(const ClearOnExit&) = delete;
  ClearOnExit& operator=(const ClearOnExit&) = delete;

 private:
  Value& v_;
};

bool IsArrayTag(uint8_t t) noexcept {
  return t == tag::IntArray || t == tag::DblArray || t == tag::StrArray || t == tag::VariantArray;
}

// True while the value points into a variable's storage (a string buffer or
// a variant buffer), which another thread may free once the lock is released.
bool BorrowsVariable(const Value& v) noexcept {
  return v.type == kVarText || (v.type == kBytes && v.block == nullptr);
}

const char* TextOf(const Value& v) noexcept { return v.text ? v.text : ""; }

double AsDouble(const Value& v) noexcept {
  return v.type == kInteger ? static_cast<double>(v.count) : v.number;
}

// An exact integer result: kept as an integer inside the 32-bit range, a
// double outside it.
void SetWideInteger(Value& v, int64_t r) noexcept {
  if (r >= INT32_MIN && r <= INT32_MAX) {
    v.SetInteger(static_cast<int32_t>(r));
  } else {
    v.SetDouble(static_cast<double>(r));
  }
}

bool IsComparison(int op) noexcept {
  return op == kOpEqual || op == kOpNotEqual || op == kOpGreater || op == kOpLess ||
         op == kOpLessEqual || op == kOpGreaterEqual;
}

// The relation op between a and b; with NaN every relation but <> is false.
template <class T>
bool Relation(int op, T a, T b) noexcept {
  switch (op) {
    case kOpEqual: return a == b;
    case kOpNotEqual: return !(a == b);
    case kOpGreater: return a > b;
    case kOpLess: return a < b;
    case kOpLessEqual: return a <= b;
    default: return a >= b;  // kOpGreaterEqual
  }
}

void SetTruth(Value& v, bool holds) noexcept { v.SetInteger(holds ? -1 : 0); }

ErrNo JoinTexts(Value& left, const Value& right) noexcept {
  const size_t a = static_cast<size_t>(left.count);
  const size_t b = static_cast<size_t>(right.count);
  if (a + b > 0x7FFFFFFF) return kErrOutOfMemory;
  char* buf = static_cast<char*>(memory::Allocate(a + b + 1));
  if (!buf) return kErrOutOfMemory;
  if (a) std::memcpy(buf, left.text, a);
  if (b) std::memcpy(buf + a, right.text, b);
  buf[a + b] = '\0';
  left.Clear();
  left.type = kOwnedText;
  left.count = static_cast<int32_t>(a + b);
  left.text = buf;
  return kOk;
}

ErrNo CombineTexts(int op, Value& left, Value& right) noexcept {
  if (op != kOpAdd && !IsComparison(op)) return kErrTypeMismatch;
  if (ErrNo e = ToText(right); e != kOk) return e;
  if (op == kOpAdd) return JoinTexts(left, right);
  // Bytes compare as unsigned, so "B" sorts before "a".
  SetTruth(left, Relation(op, std::strcmp(TextOf(left), TextOf(right)), 0));
  return kOk;
}

ErrNo CombineIntegerBits(int op, Value& left, Value& right) noexcept {
  if (ErrNo e = ToInteger(left); e != kOk) return e;
  if (ErrNo e = ToInteger(right); e != kOk) return e;
  const int32_t a = left.count;
  const int32_t b = right.count;
  switch (op) {
    case kOpRemainder:
      if (b == 0) return kErrDivisionByZero;
      // The sign follows the dividend; -2147483648 MOD -1 is 0 without a trap.
      left.SetInteger(b == -1 ? 0 : a % b);
      return kOk;
    case kOpAnd: left.SetInteger(a & b); return kOk;
    case kOpOr: left.SetInteger(a | b); return kOk;
    default: left.SetInteger(a ^ b); return kOk;  // kOpXor
  }
}

ErrNo CombineIntegers(int op, Value& left, int32_t a, int32_t b) noexcept {
  const int64_t x = a;
  const int64_t y = b;
  switch (op) {
    case kOpAdd: SetWideInteger(left, x + y); return kOk;
    case kOpSubtract: SetWideInteger(left, x - y); return kOk;
    case kOpMultiply: SetWideInteger(left, x * y); return kOk;
    default: {  // kOpDivide
      if (y == 0) return kErrDivisionByZero;
      // In 64 bits -2147483648 / -1 is exact; its quotient leaves the range
      // and becomes the double 2147483648.
      if (x % y == 0) {
        SetWideInteger(left, x / y);
      } else {
        left.SetDouble(static_cast<double>(x) / static_cast<double>(y));
      }
      return kOk;
    }
  }
}

ErrNo CombineDoubles(int op, Value& left, double a, double b) noexcept {
  switch (op) {
    case kOpAdd: left.SetDouble(a + b); return kOk;
    case kOpSubtract: left.SetDouble(a - b); return kOk;
    case kOpMultiply: left.SetDouble(a * b); return kOk;
    default:  // kOpDivide
      if (b == 0.0) return kErrDivisionByZero;
      left.SetDouble(a / b);
      return kOk;
  }
}

ErrNo CombineNumbers(int op, Value& left, Value& right) noexcept {
  if (ErrNo e = ToNumber(right); e != kOk) return e;
  const bool integers = left.type == kInteger && right.type == kInteger;
  switch (op) {
    case kOpPower: {
      const double r = Power(AsDouble(left), AsDouble(right));
      if (r > -2147483648.5 && r < 2147483647.5 && r == std::trunc(r)) {
        left.SetInteger(static_cast<int32_t>(r));
      } else {
        left.SetDouble(r);
      }
      return kOk;
    }
    case kOpRemainder:
    case kOpAnd:
    case kOpOr:
    case kOpXor:
      return CombineIntegerBits(op, left, right);
    case kOpMultiply:
    case kOpDivide:
    case kOpAdd:
    case kOpSubtract:
      if (integers) return CombineIntegers(op, left, left.count, right.count);
      return CombineDoubles(op, left, AsDouble(left), AsDouble(right));
    default:
      if (IsComparison(op)) {
        SetTruth(left, integers ? Relation(op, left.count, right.count)
                                : Relation(op, AsDouble(left), AsDouble(right)));
        return kOk;
      }
      return kErrSyntax;  // not an operator code
  }
}

// Results of the fast path below. Both operands there are plain numbers,
// which own nothing, so the fields are written without a release.
void PutInteger(Value& v, int32_t x) noexcept {
  v.type = kInteger;
  v.count = x;
  v.number = 0.0;
}
void PutWideInteger(Value& v, int64_t r) noexcept {
  if (r >= INT32_MIN && r <= INT32_MAX) {
    PutInteger(v, static_cast<int32_t>(r));
  } else {
    v.type = kDouble;
    v.count = 0;
    v.number = static_cast<double>(r);
  }
}
void PutDouble(Value& v, double d) noexcept {
  v.type = kDouble;
  v.count = 0;
  v.number = d;
}

// Two numbers under arithmetic or a comparison are most of what programs
// compute; this combines them without the coercions, with the results of
// CombineIntegers, CombineDoubles and CombineNumbers. False (nothing changed)
// for every other operator or operand, which take the general path.
bool CombinePlainNumbers(int op, Value& left, const Value& right) noexcept {
  if (left.block != nullptr || right.block != nullptr) return false;
  if (left.type == kInteger && right.type == kInteger) {
    const int64_t a = left.count;
    const int64_t b = right.count;
    switch (op) {
      case kOpAdd: PutWideInteger(left, a + b); return true;
      case kOpSubtract: PutWideInteger(left, a - b); return true;
      case kOpMultiply: PutWideInteger(left, a * b); return true;
      case kOpEqual: PutInteger(left, a == b ? -1 : 0); return true;
      case kOpNotEqual: PutInteger(left, a != b ? -1 : 0); return true;
      case kOpGreater: PutInteger(left, a > b ? -1 : 0); return true;
      case kOpLess: PutInteger(left, a < b ? -1 : 0); return true;
      case kOpLessEqual: PutInteger(left, a <= b ? -1 : 0); return true;
      case kOpGreaterEqual: PutInteger(left, a >= b ? -1 : 0); return true;
      default: return false;
    }
  }
  if (!IsNumericType(left.type) || !IsNumericType(right.type)) return false;
  const double a = AsDouble(left);
  const double b = AsDouble(right);
  switch (op) {
    case kOpAdd: PutDouble(left, a + b); return true;
    case kOpSubtract: PutDouble(left, a - b); return true;
    case kOpMultiply: PutDouble(left, a * b); return true;
    case kOpEqual:
    case kOpNotEqual:
    case kOpGreater:
    case kOpLess:
    case kOpLessEqual:
    case kOpGreaterEqual:
      PutInteger(left, Relation(op, a, b) ? -1 : 0);
      return true;
    default: return false;
  }
}

// Unary minus and NOT read only the right operand; a text operand is read
// as a number first (minus "5" is -5, NOT "5" is -6).
ErrNo CombineUnary(int op, Value& left, Value& right) noexcept {
  if (ErrNo e = ToNumber(right); e != kOk) return e;
  if (op == kOpNot) {
    if (ErrNo e = ToInteger(right); e != kOk) return e;
    left.SetInteger(~right.count);
    return kOk;
  }
  if (right.type == kInteger) {
    // Negation wraps: minus -2147483648 stays -2147483648.
    left.SetInteger(static_cast<int32_t>(0u - static_cast<uint32_t>(right.count)));
  } else {
    left.SetDouble(-right.number);
  }
  return kOk;
}

// Maps the next token to an operator code and consumes it; for any other
// token gives 0 and leaves the position on it. *start receives where the
// operator began, so that the caller can give it back.
int ReadOperator(ExecFrame& f, const uint8_t** start) noexcept {
  f.tokenStart = f.pos;
  *start = f.pos;
  SkipSpaces(f);
  const int code = kOperatorOfByte[*f.pos];
  if (code != kOpNone) ++f.pos;
  return code;
}

// Reads the right operand of op with everything that binds tighter, and
// combines it into left. The operator that stopped the operand is given back.
ErrNo ApplyOperator(ExecFrame& f, int op, Value& left) noexcept {
  // The right side may call the host, which frees the object lock.
  const PendingOperands waiting(f, &left, 1);
  Value right;
  if (ErrNo e = EvaluatePrimary(f, right); e != kOk) return e;
  const uint8_t* start;
  int next = ReadOperator(f, &start);
  while (kBinding[op] > kBinding[next]) {
    if (ErrNo e = ApplyOperator(f, next, right); e != kOk) return e;
    next = ReadOperator(f, &start);
  }
  if (left.type <= 0) return kErrTypeMismatch;
  if (!CombinePlainNumbers(op, left, right)) {
    if (ErrNo e = CombineValues(op, left, right); e != kOk) return e;
  }
  f.pos = start;
  return kOk;
}

// Evaluates an argument expression under the object lock held by lk. The
// lock is released at once unless the result borrows a variable's storage:
// then it stays held until lk goes, so converting or copying the result
// cannot race with another thread writing that variable.
ErrNo EvaluateArgument(ExecFrame& f, Value& v, ObjectLock& lk) noexcept {
  const ErrNo e = EvaluateExpression(f, v);
  if (e != kOk || !BorrowsVariable(v)) lk.unlock();
  return e;
}

// An argument converted to text; empty values (and anything below) are 13.
ErrNo TextValueArgument(ExecFrame& f, Value& v, ObjectLock& lk) noexcept {
  if (ErrNo e = EvaluateArgument(f, v, lk); e != kOk) return e;
  if (v.type <= 0) return kErrTypeMismatch;
  return ToText(v);
}

// Converts count bytes of multibyte text into buffer, cutting it to the
// buffer; the last element is always zero.
ErrNo ConvertToWideBuffer(const char* text, int32_t count, wchar_t* buffer, size_t capacity) noexcept {
  if (capacity == 0) return kOk;
  buffer[capacity - 1] = L'\0';
  buffer[0] = L'\0';
  if (capacity == 1 || count <= 0) return kOk;
  const uint32_t cp = CodePage();
  const int room = capacity - 1 > INT_MAX ? INT_MAX : static_cast<int>(capacity - 1);
  const int needed = platform::MultiToWide(cp, text, count, nullptr, 0);
  if (needed <= 0) return kOk;  // not convertible: the empty text
  if (needed <= room) {
    const int n = platform::MultiToWide(cp, text, count, buffer, room);
    buffer[n > 0 ? n : 0] = L'\0';
    return kOk;
  }
  // Too long: convert the whole text aside and keep what fits.
  std::unique_ptr<wchar_t[]> whole(new (std::nothrow) wchar_t[static_cast<size_t>(needed)]);
  if (!whole) return kErrOutOfMemory;
  const int n = platform::MultiToWide(cp, text, count, whole.get(), needed);
  const int kept = n < room ? (n > 0 ? n : 0) : room;
  std::memcpy(buffer, whole.get(), static_cast<size_t>(kept) * sizeof(wchar_t));
  buffer[kept] = L'\0';
  return kOk;
}

// Subscripts of one array reference, kept on the stack for the usual few
// dimensions.
class SubscriptList {
 public:
  explicit SubscriptList(size_t capacity) noexcept : capacity_(capacity) {
    if (capacity > kInline) heap_.reset(new (std::nothrow) int32_t[capacity]);
  }
  bool Valid() const noexcept { return capacity_ <= kInline || heap_ != nullptr; }
  int32_t* Data() noexcept { return heap_ ? heap_.get() : inline_; }
  size_t Capacity() const noexcept { return capacity_; }

 private:
  static constexpr size_t kInline = 16;
  size_t capacity_;
  int32_t inline_[kInline] = {};
  std::unique_ptr<int32_t[]> heap_;
};

// Every subscript takes at least two bytes of code, so a line never holds
// more than this many.
constexpr size_t kMaxSubscriptsInLine = kLineBufferSize / 2;

// A malformed subscript list is 2, unless a subscript read before the
// malformation is already out of range, which is 9 as it would be had the
// list been checked while it was read.
ErrNo MalformedSubscripts(QorMacro& m, const uint8_t* cell, const int32_t* subscripts, int count) noexcept {
  platform::LockGuard guard(m.lock);
  uint32_t unused;
  const ErrNo e = ElementOffsetOf(cell, subscripts, count, &unused);
  return e == kOk || e == kErrSyntax ? kErrSyntax : e;
}

// A subscript that is an integer constant or an integer variable alone
// before the ")", read without the general evaluation; the position and token
// start end where the evaluation leaves them. False, with nothing consumed,
// for any other subscript.
bool PlainSubscript(ExecFrame& f, int32_t* s) noexcept {
  // Past the depth limit the general evaluation reports its error.
  if (f.evalDepth >= kMaxEvaluationDepth) return false;
  const uint8_t* p = f.pos;
  while (*p >= 0x01 && *p <= code::MaxSpaceRun) ++p;
  const uint8_t b = *p;
  const uint8_t* variable = nullptr;
  const uint8_t* after;
  int32_t value = 0;
  if (b >= code::SmallFirst && b <= code::SmallLast) {
    value = b - code::SmallFirst;
    after = p + 1;
  } else if (b == code::Byte) {
    value = p[1];
    after = p + 2;
  } else if (b == code::Short) {
    value = LoadI16(p + 1);
    after = p + 3;
  } else if (b == tag::Int) {
    variable = LoadPtr(p + 1);
    if (variable[0] != tag::Int) return false;
    after = p + 1 + sizeof(void*);
  } else {
    return false;
  }
  const uint8_t* q = after;
  while (*q >= 0x01 && *q <= code::MaxSpaceRun) ++q;
  if (*q != ')') return false;
  if (variable != nullptr) {
    platform::LockGuard guard(f.macro->lock);
    value = static_cast<int32_t>(LoadU32(variable + 1));
  }
  f.pos = after;
  f.tokenStart = after;
  *s = value;
  return true;
}

// The element of a one-dimensional array, the usual case, without a
// subscript list: the same checks and errors as the general walk below.
ErrNo SingleSubscriptOffset(ExecFrame& f, uint8_t* cell, uint32_t* offset) noexcept {
  int32_t s = 0;
  if (!PlainSubscript(f, &s)) {
    if (ErrNo e = IntegerArgument(f, &s); e != kOk) return e;
  }
  SkipSpaces(f);
  if (*f.pos != ')') return MalformedSubscripts(*f.macro, cell, &s, 1);
  ++f.pos;
  platform::LockGuard guard(f.macro->lock);
  return ElementOffsetOf(cell, &s, 1, offset);
}

}  // namespace

ErrNo CombineValues(int op, Value& left, Value& right) noexcept {
  if (CombinePlainNumbers(op, left, right)) {
    right.Clear();
    return kOk;
  }
  ClearOnExit clearRight(right);
  if (op == kOpNegate || op == kOpNot) return CombineUnary(op, left, right);
  if (IsTextType(left.type)) return CombineTexts(op, left, right);
  if (IsNumericType(left.type)) return CombineNumbers(op, left, right);
  return kErrTypeMismatch;  // empty, bytes and unknown types
}

ErrNo EvaluatePrimary(ExecFrame& f, Value& v) noexcept {
  // Number variables and number constants, the most frequent operands, are
  // read without the general token decoding.
  if (f.evalDepth < kMaxEvaluationDepth) {
    const uint8_t* p = f.pos;
    while (*p >= 0x01 && *p <= code::MaxSpaceRun) ++p;
    const uint8_t b = *p;
    if (b >= code::SmallFirst && b <= code::SmallLast) {
      f.tokenStart = p;
      f.pos = p + 1;
      v.SetInteger(b - code::SmallFirst);
      return kOk;
    }
    switch (b) {
      case code::Byte:
        f.tokenStart = p;
        f.pos = p + 2;
        v.SetInteger(p[1]);
        return kOk;
      case code::Short:
        f.tokenStart = p;
        f.pos = p + 3;
        v.SetInteger(LoadI16(p + 1));
        return kOk;
      case code::Double:
        f.tokenStart = p;
        f.pos = p + 9;
        v.SetDouble(LoadF64(p + 1));
        return kOk;
      default:
        break;
    }
    if (b == tag::Int || b == tag::Dbl) {
      const uint8_t* cell = LoadPtr(p + 1);
      if (cell[0] == tag::Int) {
        f.tokenStart = p;
        f.pos = p + 1 + sizeof(void*);
        v.SetInteger(static_cast<int32_t>(LoadU32(cell + 1)));
        return kOk;
      }
      if (cell[0] == tag::Dbl) {
        f.tokenStart = p;
        f.pos = p + 1 + sizeof(void*);
        v.SetDouble(LoadF64(cell + 1));
        return kOk;
      }
    }
  }
  DepthGuard depth(f);
  if (depth.Exceeded()) return kErrOutOfMemory;
  v.Clear();
  Token t;
  const int k = ReadToken(f, t);
  switch (k) {
    case kind::Integer:
      v.SetInteger(t.integer);
      return kOk;
    case kind::Double:
      v.SetDouble(t.dbl);
      return kOk;
    case kind::String:
      v.SetBorrowedText(kConstText, t.text, t.length);
      return kOk;
    case kind::Keyword: {
      const uint16_t c = t.code;
      if (c >= kFunctionFirst && c <= kFunctionLast) return CallFunction(c - kFunctionFirst, v, f);
      if (c >= kConstantFirst && c < kConstantFirstDouble) {
        v.SetInteger(ConstantInteger(c));
      } else if (c >= kConstantFirstDouble && c < kConstantFirstString) {
        v.SetDouble(ConstantDouble(c));
      } else if (c >= kConstantFirstString && c <= kConstantLast) {
        const std::string_view s = ConstantString(c);
        v.SetBorrowedText(kConstText, s.data(), static_cast<int32_t>(s.size()));
      } else {
        return kErrSyntax;  // a statement word cannot be an operand
      }
      return kOk;
    }
    case kind::Punct:
      switch (t.byte) {
        case '(': {
          ErrNo e;
          {
            platform::LockGuard guard(f.macro->lock);
            e = EvaluateExpression(f, v);
          }
          if (e != kOk) return e;
          return ExpectChar(f, ')');
        }
        case '-':
          v.SetInteger(0);
          return ApplyOperator(f, kOpNegate, v);
        case op::Not:
          v.SetInteger(0);
          return ApplyOperator(f, kOpNot, v);
        default:
          return kErrSyntax;
      }
    case kind::IntVar:
    case kind::DblVar:
    case kind::StrVar:
    case kind::RefVar:
    case kind::VariantVar:
      return ReadScalar(*f.macro, t.cell, v);
    case kind::IntArray:
    case kind::DblArray:
    case kind::StrArray:
    case kind::VariantArray: {
      uint32_t offset = 0;
      if (ErrNo e = ElementOffset(f, t.cell, &offset); e != kOk) return e;
      return ReadElement(t.cell, offset, v);
    }
    case kind::ScScalar:
    case kind::ScArray:
    case kind::SyScalar:
    case kind::SyArray:
      return ReadHostName(f, k, t.text, static_cast<size_t>(t.length), v);
    default:
      return kErrSyntax;
  }
}

ErrNo EvaluateExpression(ExecFrame& f, Value& v) noexcept {
  if (const QuickExpr* q = QuickExpressionAt(f, f.pos); q != nullptr && RunQuickExpression(*q, f, v)) return kOk;
  ErrNo e = EvaluatePrimary(f, v);
  while (e == kOk) {
    const uint8_t* start;
    const int op = ReadOperator(f, &start);
    if (op == kOpNone) return kOk;
    e = ApplyOperator(f, op, v);
  }
  v.Clear();
  return e;
}

ErrNo EvaluateLocked(ExecFrame& f, Value& v) noexcept {
  platform::LockGuard guard(f.macro->lock);
  return EvaluateExpression(f, v);
}

bool IsTrue(const Value& v) noexcept {
  // Anything but an integer is read as a double; NaN counts as true.
  return v.type == kInteger ? v.count != 0 : v.number != 0.0;
}

ErrNo IntegerArgument(ExecFrame& f, int32_t* out) noexcept {
  Value v;
  ObjectLock lk(f.macro->lock);
  if (ErrNo e = EvaluateArgument(f, v, lk); e != kOk) return e;
  if (v.type != kInteger) {
    if (ErrNo e = ToInteger(v); e != kOk) return e;
  }
  *out = v.count;
  return kOk;
}

ErrNo DoubleArgument(ExecFrame& f, double* out) noexcept {
  Value v;
  ObjectLock lk(f.macro->lock);
  if (ErrNo e = EvaluateArgument(f, v, lk); e != kOk) return e;
  if (ErrNo e = ToDouble(v); e != kOk) return e;
  *out = v.number;
  return kOk;
}

ErrNo TextArgument(ExecFrame& f, char* buffer) noexcept {
  Value v;
  ObjectLock lk(f.macro->lock);
  if (ErrNo e = TextValueArgument(f, v, lk); e != kOk) return e;
  if (v.count < 0 || static_cast<size_t>(v.count) >= kTextArgumentSize) return kErrStringTooLong;
  if (v.count) std::memcpy(buffer, v.text, static_cast<size_t>(v.count));
  buffer[v.count] = '\0';
  return kOk;
}

ErrNo WideTextArgument(ExecFrame& f, wchar_t* buffer, size_t capacity) noexcept {
  Value v;
  ObjectLock lk(f.macro->lock);
  if (ErrNo e = TextValueArgument(f, v, lk); e != kOk) return e;
  return ConvertToWideBuffer(v.text, v.count, buffer, capacity);
}

ErrNo WideStringArgument(ExecFrame& f, std::wstring* out) noexcept {
  Value v;
  ObjectLock lk(f.macro->lock);
  if (ErrNo e = TextValueArgument(f, v, lk); e != kOk) return e;
  std::wstring result;
  if (v.count > 0) {
    const uint32_t cp = CodePage();
    const int needed = platform::MultiToWide(cp, v.text, v.count, nullptr, 0);
    if (needed > 0) {
      try {
        result.resize(static_cast<size_t>(needed));
      } catch (...) {
        return kErrOutOfMemory;
      }
      const int n = platform::MultiToWide(cp, v.text, v.count, result.data(), needed);
      result.resize(n > 0 ? static_cast<size_t>(n) : 0);
    }
  }
  out->swap(result);
  return kOk;
}

ErrNo VariableArgument(ExecFrame& f, uint8_t** cell, uint32_t* offset) noexcept {
  Token t;
  switch (ReadToken(f, t)) {
    case kind::IntVar:
    case kind::DblVar:
    case kind::StrVar:
    case kind::RefVar:
    case kind::VariantVar:
      *cell = t.cell;
      *offset = 0;
      return kOk;
    case kind::IntArray:
    case kind::DblArray:
    case kind::StrArray:
    case kind::VariantArray: {
      uint32_t o = 0;
      if (ErrNo e = ElementOffset(f, t.cell, &o); e != kOk) return e;
      *cell = t.cell;
      *offset = o;
      return kOk;
    }
    default:
      return kErrSyntax;
  }
}

ErrNo ElementOffset(ExecFrame& f, uint8_t* cell, uint32_t* offset) noexcept {
  QorMacro& m = *f.macro;
  if (!IsArrayTag(cell[0])) return kErrSyntax;
  uint32_t dims;
  {
    platform::LockGuard guard(m.lock);
    const uint8_t* block = ArrayBlock(cell);
    if (!block) return kErrUndefinedArray;
    dims = LoadU32(block);
  }
  if (ExpectChar(f, '(') != kOk) return kErrSyntax;
  if (dims == 1) return SingleSubscriptOffset(f, cell, offset);
  SubscriptList list(dims < kMaxSubscriptsInLine ? dims : kMaxSubscriptsInLine);
  if (!list.Valid()) return kErrOutOfMemory;
  int32_t* subscripts = list.Data();
  const size_t capacity = list.Capacity();
  size_t count = 0;
  for (;;) {
    int32_t s = 0;
    if (ErrNo e = IntegerArgument(f, &s); e != kOk) return e;
    if (count < capacity) subscripts[count] = s;
    ++count;
    SkipSpaces(f);
    if (*f.pos == ')') {
      ++f.pos;
      break;
    }
    // A "," after the last dimension's subscript is one subscript too many.
    if (*f.pos != ',' || count >= capacity) {
      return MalformedSubscripts(m, cell, subscripts, static_cast<int>(count < capacity ? count : capacity));
    }
    ++f.pos;
  }
  if (count != dims) {
    return MalformedSubscripts(m, cell, subscripts, static_cast<int>(count < capacity ? count : capacity));
  }
  platform::LockGuard guard(m.lock);
  return ElementOffsetOf(cell, subscripts, static_cast<int>(count), offset);
}

int ArgumentSeparator(ExecFrame& f) noexcept {
  SkipSpaces(f);
  if (*f.pos == ',') {
    ++f.pos;
    return 1;
  }
  if (*f.pos == ':') ++f.pos;
  return 0;
}

ErrNo ExpectChar(ExecFrame& f, char c) noexcept {
  SkipSpaces(f);
  if (c == '\0' || *f.pos != static_cast<uint8_t>(c)) return kErrSyntax;
  ++f.pos;
  return kOk;
}

ErrNo ExpectKeyword(ExecFrame& f, uint16_t code) noexcept {
  const uint8_t* const saved = f.pos;
  SkipSpaces(f);
  // The second byte is read only when the first matches, so the end-of-line
  // byte is never passed.
  if ((code >> 8) != 0 && f.pos[0] == (code >> 8) && f.pos[1] == (code & 0xFF)) {
    f.pos += 2;
    return kOk;
  }
  f.pos = saved;
  return kErrSyntax;
}

}  // namespace msc
