// Elementary numeric functions (angles in radians) and the distance of a
// point from a line. The elementary ones receive their argument as a double.
#include <cmath>

#include "engine/builtin_functions.h"
#include "engine/evaluator.h"
#include "statements/geometry_operands.h"

namespace msc {

// Sqr(x): 5 for a negative x.
ErrNo FnSqr(Value* args, Value& result, ExecFrame&) noexcept {
  const double x = args[0].number;
  if (x < 0.0) return kErrIllegalCall;
  result.SetDouble(std::sqrt(x));
  return kOk;
}

ErrNo FnExp(Value* args, Value& result, ExecFrame&) noexcept {
  result.SetDouble(std::exp(args[0].number));
  return kOk;
}

// Log(x): the natural logarithm; 5 unless x is above 0.
ErrNo FnLog(Value* args, Value& result, ExecFrame&) noexcept {
  const double x = args[0].number;
  if (x <= 0.0) return kErrIllegalCall;
  result.SetDouble(std::log(x));
  return kOk;
}

ErrNo FnSin(Value* args, Value& result, ExecFrame&) noexcept {
  result.SetDouble(std::sin(args[0].number));
  return kOk;
}

ErrNo FnCos(Value* args, Value& result, ExecFrame&) noexcept {
  result.SetDouble(std::cos(args[0].number));
  return kOk;
}

ErrNo FnTan(Value* args, Value& result, ExecFrame&) noexcept {
  result.SetDouble(std::tan(args[0].number));
  return kOk;
}

ErrNo FnAtn(Value* args, Value& result, ExecFrame&) noexcept {
  result.SetDouble(std::atan(args[0].number));
  return kOk;
}

// Dposline(x, y, L#()): |a x + b y + c| / sqrt(a² + b²) for the line held in
// L#(0..2); 5 when a and b are both 0, which is no line at all.
ErrNo FnDposline(Value*, Value& result, ExecFrame& f) noexcept {
  if (ExpectChar(f, '(') != kOk) return kErrSyntax;
  double x = 0, y = 0;
  if (ErrNo e = DoubleArgument(f, &x); e != kOk) return e;
  (void)ArgumentSeparator(f);
  if (ErrNo e = DoubleArgument(f, &y); e != kOk) return e;
  (void)ArgumentSeparator(f);
  uint8_t* cell = nullptr;
  if (ErrNo e = geometry::DoubleArrayOperand(f, &cell); e != kOk) return e;
  if (ExpectChar(f, ')') != kOk) return kErrSyntax;

  double line[3];
  if (ErrNo e = geometry::ReadLine(f, cell, line); e != kOk) return e;
  const double norm2 = line[0] * line[0] + line[1] * line[1];
  if (norm2 == 0.0) return kErrIllegalCall;
  result.SetDouble(std::fabs(line[0] * x + line[1] * y + line[2]) / std::sqrt(norm2));
  return kOk;
}

}  // namespace msc
