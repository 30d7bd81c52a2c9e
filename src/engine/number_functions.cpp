// Number, time and array functions.
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "api/qor_macro.h"
#include "engine/builtin_functions.h"
#include "engine/evaluator.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/token_reader.h"
#include "platform/lock.h"

namespace msc {
namespace {

bool InIntegerRange(double x) noexcept { return x >= -2147483648.0 && x <= 2147483647.0; }

// The high-resolution counter: a monotonic clock counted in nanoseconds.
constexpr double kTicksPerSecond = 1e9;

uint64_t CounterNow() noexcept {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(since).count());
}

ErrNo SetLocalTimeText(Value& result, bool date) noexcept {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return kErrIllegalCall;
  char buf[32];
  const int n = date ? std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", (local.tm_year + 1900) % 100,
                                     local.tm_mon + 1, local.tm_mday)
                     : std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", local.tm_hour, local.tm_min,
                                     local.tm_sec);
  if (n < 0 || static_cast<size_t>(n) >= sizeof buf) return kErrIllegalCall;
  return result.SetOwnedText(buf, static_cast<size_t>(n));
}

bool IsArrayKind(int k) noexcept {
  return k == kind::IntArray || k == kind::DblArray || k == kind::StrArray || k == kind::VariantArray;
}

// "(" NAME() of any array, as the array functions take it; *cell is its cell.
ErrNo ArrayOperand(ExecFrame& f, uint8_t** cell) noexcept {
  if (ExpectChar(f, '(') != kOk) return kErrSyntax;
  Token t;
  if (!IsArrayKind(ReadToken(f, t))) return kErrSyntax;
  if (ExpectChar(f, '(') != kOk || ExpectChar(f, ')') != kOk) return kErrSyntax;
  *cell = t.cell;
  return kOk;
}

// The dimension count of a dimensioned array block, checked for sense.
ErrNo Dimensions(const uint8_t* cell, const uint8_t** block, uint32_t* dims) noexcept {
  *block = ArrayBlock(cell);
  if (*block == nullptr) return kErrUndefinedArray;
  *dims = LoadU32(*block);
  return *dims < 1 ? kErrInternal : kOk;
}

}  // namespace

// Abs(x): the argument's type is kept. The most negative integer has no
// positive counterpart and stays as it is; a double's sign bit is flipped,
// so -0.0 gives 0.0.
ErrNo FnAbs(Value* args, Value& result, ExecFrame&) noexcept {
  const Value& x = args[0];
  if (x.type == kInteger) {
    const uint32_t bits = static_cast<uint32_t>(x.count);
    result.SetInteger(x.count > 0 ? x.count : static_cast<int32_t>(0u - bits));
  } else {
    result.SetDouble(x.number > 0.0 ? x.number : -x.number);
  }
  return kOk;
}

// Int(x): rounded down, where a negative value whose fraction is below
// 0.000001 counts as whole (-2.0000001 gives -2). Beyond the integer range
// the double floor(x).
ErrNo FnInt(Value* args, Value& result, ExecFrame&) noexcept {
  const double x = args[0].number;
  if (!InIntegerRange(x)) {
    result.SetDouble(std::floor(x));
  } else if (x >= 0.0) {
    result.SetInteger(static_cast<int32_t>(x));
  } else {
    result.SetInteger(static_cast<int32_t>(x - 0.999999));
  }
  return kOk;
}

// Fix(x): truncated toward zero; beyond the integer range the double floor(x).
ErrNo FnFix(Value* args, Value& result, ExecFrame&) noexcept {
  const double x = args[0].number;
  if (InIntegerRange(x)) {
    result.SetInteger(static_cast<int32_t>(x));
  } else {
    result.SetDouble(std::floor(x));
  }
  return kOk;
}

// Date$: "yy/mm/dd" of the local date.
ErrNo FnDateS(Value*, Value& result, ExecFrame&) noexcept { return SetLocalTimeText(result, true); }

// Time$: "hh:mm:ss" of the local time, 24-hour clock.
ErrNo FnTimeS(Value*, Value& result, ExecFrame&) noexcept { return SetLocalTimeText(result, false); }

// StartTimer: the counter now, in ticks, as a double for Timer to take back.
ErrNo FnStartTimer(Value*, Value& result, ExecFrame&) noexcept {
  result.SetDouble(static_cast<double>(CounterNow()));
  return kOk;
}

// Timer(start, unit): microseconds (unit not 0) or milliseconds since start,
// truncated. A start after now means the counter wrapped. Intervals too long
// for an integer have no meaningful value; they saturate rather than trap.
ErrNo FnTimer(Value* args, Value& result, ExecFrame&) noexcept {
  const double start = args[0].number;
  double now = static_cast<double>(CounterNow());
  if (start > now) now += 18446744073709551616.0;  // 2^64
  const double scale = args[1].count != 0 ? 1e6 : 1e3;
  const double elapsed = std::trunc((now - start) * scale / kTicksPerSecond);
  int32_t value = 0;
  if (elapsed >= 2147483647.0) {
    value = INT32_MAX;
  } else if (elapsed <= -2147483648.0) {
    value = INT32_MIN;
  } else if (elapsed == elapsed) {
    value = static_cast<int32_t>(elapsed);
  }
  result.SetInteger(value);
  return kOk;
}

// ArrayDims(a()): the number of dimensions.
ErrNo FnArrayDims(Value*, Value& result, ExecFrame& f) noexcept {
  uint8_t* cell = nullptr;
  if (ErrNo e = ArrayOperand(f, &cell); e != kOk) return e;
  if (ExpectChar(f, ')') != kOk) return kErrSyntax;
  platform::LockGuard hold(f.macro->lock);
  const uint8_t* block = nullptr;
  uint32_t dims = 0;
  if (ErrNo e = Dimensions(cell, &block, &dims); e != kOk) return e;
  result.SetInteger(static_cast<int32_t>(dims));
  return kOk;
}

// ArrayLen(a() [, d]): the extent of dimension d (from 0), or without d (or
// with a negative d) the number of elements.
ErrNo FnArrayLen(Value*, Value& result, ExecFrame& f) noexcept {
  uint8_t* cell = nullptr;
  if (ErrNo e = ArrayOperand(f, &cell); e != kOk) return e;
  int32_t d = -1;
  if (ExpectChar(f, ',') == kOk) {
    if (ErrNo e = IntegerArgument(f, &d); e != kOk) return e;
  }
  if (ExpectChar(f, ')') != kOk) return kErrSyntax;

  platform::LockGuard hold(f.macro->lock);
  const uint8_t* block = nullptr;
  uint32_t dims = 0;
  if (ErrNo e = Dimensions(cell, &block, &dims); e != kOk) return e;
  if (d >= 0) {
    if (static_cast<uint32_t>(d) >= dims) return kErrSubscript;
    result.SetInteger(static_cast<int32_t>(LoadU32(block + 4 + 4 * static_cast<size_t>(d))));
    return kOk;
  }
  // Dimensioning keeps a block below 2^31 bytes, so the product fits.
  uint64_t elements = 1;
  for (uint32_t i = 0; i < dims; ++i) elements *= LoadU32(block + 4 + 4 * static_cast<size_t>(i));
  result.SetInteger(static_cast<int32_t>(elements));
  return kOk;
}

// VarPtr(v): the low 32 bits of the address of a scalar's payload or of an
// array element inside its block.
ErrNo FnVarPtr(Value*, Value& result, ExecFrame& f) noexcept {
  if (ExpectChar(f, '(') != kOk) return kErrSyntax;
  Token t;
  const int k = ReadToken(f, t);
  uintptr_t address = 0;
  if (k == kind::IntVar || k == kind::DblVar || k == kind::StrVar || k == kind::VariantVar) {
    address = reinterpret_cast<uintptr_t>(t.cell + 1);
  } else if (k == kind::RefVar) {
    return kErrInternal;  // a reference variable has no storage of its own
  } else if (IsArrayKind(k)) {
    uint32_t offset = 0;
    if (ErrNo e = ElementOffset(f, t.cell, &offset); e != kOk) return e;
    platform::LockGuard hold(f.macro->lock);
    const uint8_t* block = ArrayBlock(t.cell);
    if (block == nullptr) return kErrUndefinedArray;
    address = reinterpret_cast<uintptr_t>(block + offset);
  } else {
    return kErrSyntax;
  }
  if (ExpectChar(f, ')') != kOk) return kErrSyntax;
  result.SetInteger(static_cast<int32_t>(static_cast<uint32_t>(address & 0xFFFFFFFFu)));
  return kOk;
}

}  // namespace msc
