// Operands shared by Dposline and the geometry statements.
#include "statements/geometry_operands.h"

#include "api/qor_macro.h"
#include "engine/evaluator.h"
#include "engine/value.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/token_reader.h"
#include "platform/lock.h"

namespace msc::geometry {
namespace {

ErrNo ArrayOperand(ExecFrame& f, bool integersToo, uint8_t** cell) noexcept {
  Token t;
  const int k = ReadToken(f, t);
  if (k != kind::DblArray && !(integersToo && k == kind::IntArray)) return kErrTypeMismatch;
  if (ExpectChar(f, '(') != kOk || ExpectChar(f, ')') != kOk) return kErrSyntax;
  *cell = t.cell;
  return kOk;
}

bool IsArrayTag(uint8_t t) noexcept {
  return t == tag::IntArray || t == tag::DblArray || t == tag::StrArray || t == tag::VariantArray;
}

}  // namespace

ErrNo DoubleArrayOperand(ExecFrame& f, uint8_t** cell) noexcept { return ArrayOperand(f, false, cell); }

ErrNo NumericArrayOperand(ExecFrame& f, uint8_t** cell) noexcept { return ArrayOperand(f, true, cell); }

ErrNo ReadDoubleAt(ExecFrame& f, uint8_t* cell, int32_t i, double* out) noexcept {
  Value v;
  {
    platform::LockGuard hold(f.macro->lock);
    if (ErrNo e = ReadElementAt(cell, i, v); e != kOk) return e;
  }
  if (ErrNo e = ToDouble(v); e != kOk) return e;
  *out = v.number;
  return kOk;
}

ErrNo WriteDoubleAt(ExecFrame& f, uint8_t* cell, int32_t i, double value) noexcept {
  Value v;
  v.SetDouble(value);
  platform::LockGuard hold(f.macro->lock);
  return WriteElementAt(cell, i, v);
}

ErrNo ReadLine(ExecFrame& f, uint8_t* cell, double line[3]) noexcept {
  for (int32_t i = 0; i < 3; ++i) {
    if (ErrNo e = ReadDoubleAt(f, cell, i, &line[i]); e != kOk) return e;
  }
  return kOk;
}

ErrNo AssignDoubleOperand(ExecFrame& f, double value) noexcept {
  uint8_t* cell = nullptr;
  uint32_t offset = 0;
  if (ErrNo e = VariableArgument(f, &cell, &offset); e != kOk) return e;
  Value v;
  v.SetDouble(value);
  QorMacro& m = *f.macro;
  platform::LockGuard hold(m.lock);
  return IsArrayTag(cell[0]) ? WriteElement(cell, offset, v) : WriteScalar(m, cell, v);
}

}  // namespace msc::geometry
