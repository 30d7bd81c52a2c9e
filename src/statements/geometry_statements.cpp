// Line and circle geometry for measurement scripts. A line is three doubles
// (a, b, c) of a x + b y + c = 0 in elements 0 to 2 of a double array.
// Operands may be separated by "," or ":" or nothing at all.
#include <cstdint>

#include "engine/evaluator.h"
#include "macro_sc/host.h"
#include "statements/geometry_operands.h"
#include "statements/handlers.h"

namespace msc {
namespace {

// The circle fit's point buffers hold this many points each.
constexpr int32_t kMaxCirclePoints = 1024;

}  // namespace

// Lsqumeth n, X#(), Y#(), L#(): the least-squares line through n points.
// The regression runs along the axis the points spread more on, so a
// vertical run of points gives b = 0 instead of dividing by zero. The line is
// not normalised.
ErrNo StmtLsqumeth(ExecFrame& f) noexcept {
  int32_t n = 0;
  if (ErrNo e = IntegerArgument(f, &n); e != kOk) return e;
  if (n < 1) return kErrIllegalCall;
  (void)ArgumentSeparator(f);
  uint8_t* xs = nullptr;
  if (ErrNo e = geometry::DoubleArrayOperand(f, &xs); e != kOk) return e;
  (void)ArgumentSeparator(f);
  uint8_t* ys = nullptr;
  if (ErrNo e = geometry::DoubleArrayOperand(f, &ys); e != kOk) return e;

  double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
  for (int32_t i = 0; i < n; ++i) {
    double x = 0, y = 0;
    if (ErrNo e = geometry::ReadDoubleAt(f, xs, i, &x); e != kOk) return e;
    if (ErrNo e = geometry::ReadDoubleAt(f, ys, i, &y); e != kOk) return e;
    sx += x;
    sy += y;
    sxx += x * x;
    syy += y * y;
    sxy += x * y;
  }
  const double count = n;
  const double lxx = sxx - sx * sx / count;
  const double lyy = syy - sy * sy / count;
  const double lxy = sxy - sx * sy / count;
  double line[3];
  if (lxx > lyy) {
    line[0] = lxy;
    line[1] = -lxx;
    line[2] = (lxx * sy - lxy * sx) / count;
  } else {
    line[0] = -lyy;
    line[1] = lxy;
    line[2] = (lyy * sx - lxy * sy) / count;
  }

  (void)ArgumentSeparator(f);
  uint8_t* out = nullptr;
  if (ErrNo e = geometry::DoubleArrayOperand(f, &out); e != kOk) return e;
  for (int32_t i = 0; i < 3; ++i) {
    if (ErrNo e = geometry::WriteDoubleAt(f, out, i, line[i]); e != kOk) return e;
  }
  return kOk;
}

// Crspoint L1#(), L2#(), X, Y: the intersection of two lines; 5 when they
// are parallel.
ErrNo StmtCrspoint(ExecFrame& f) noexcept {
  uint8_t* first = nullptr;
  if (ErrNo e = geometry::DoubleArrayOperand(f, &first); e != kOk) return e;
  (void)ArgumentSeparator(f);
  uint8_t* second = nullptr;
  if (ErrNo e = geometry::DoubleArrayOperand(f, &second); e != kOk) return e;
  double l1[3], l2[3];
  if (ErrNo e = geometry::ReadLine(f, first, l1); e != kOk) return e;
  if (ErrNo e = geometry::ReadLine(f, second, l2); e != kOk) return e;

  const double d = l1[0] * l2[1] - l2[0] * l1[1];
  if (d == 0.0) return kErrIllegalCall;
  const double x = (l1[1] * l2[2] - l2[1] * l1[2]) / d;
  const double y = (l2[0] * l1[2] - l1[0] * l2[2]) / d;

  (void)ArgumentSeparator(f);
  if (ErrNo e = geometry::AssignDoubleOperand(f, x); e != kOk) return e;
  (void)ArgumentSeparator(f);
  return geometry::AssignDoubleOperand(f, y);
}

// ApproximationCircle n, X(), Y(), V1, V2, V3: hands n points (integer or
// double arrays) to the image-processing library's circle fit and stores its
// three results, in the library's order, into the three variables.
ErrNo StmtApproximationCircle(ExecFrame& f) noexcept {
  int32_t n = 0;
  if (ErrNo e = IntegerArgument(f, &n); e != kOk) return e;
  if (n > kMaxCirclePoints) return kErrIllegalCall;
  (void)ArgumentSeparator(f);
  uint8_t* xs = nullptr;
  if (ErrNo e = geometry::NumericArrayOperand(f, &xs); e != kOk) return e;
  (void)ArgumentSeparator(f);
  uint8_t* ys = nullptr;
  if (ErrNo e = geometry::NumericArrayOperand(f, &ys); e != kOk) return e;

  // A negative count reads no points; the library is told 0 rather than a
  // count its buffers cannot back, and refuses it.
  const int32_t count = n < 0 ? 0 : n;
  double x[kMaxCirclePoints], y[kMaxCirclePoints];
  for (int32_t i = 0; i < count; ++i) {
    if (ErrNo e = geometry::ReadDoubleAt(f, xs, i, &x[i]); e != kOk) return e;
  }
  for (int32_t i = 0; i < count; ++i) {
    if (ErrNo e = geometry::ReadDoubleAt(f, ys, i, &y[i]); e != kOk) return e;
  }

  double results[3] = {0, 0, 0};
  if (GetApproximationCircle(x, y, static_cast<uint32_t>(count), &results[0], &results[1],
                             &results[2]) != 0) {
    return kErrIllegalCall;
  }
  for (int i = 0; i < 3; ++i) {
    (void)ArgumentSeparator(f);
    if (ErrNo e = geometry::AssignDoubleOperand(f, results[i]); e != kOk) return e;
  }
  return kOk;
}

}  // namespace msc
