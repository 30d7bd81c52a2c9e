// The image-processing library's circle fit.
#include <cmath>

#include "macro_sc/host.h"

// Algebraic least-squares fit: with coordinates taken relative to the
// points' mean, the centre (uc, vc) solves
//   Suu uc + Suv vc = (Suuu + Suvv) / 2
//   Suv uc + Svv vc = (Svvv + Svuu) / 2
// and r² = uc² + vc² + (Suu + Svv) / n. Centring keeps the sums small, so
// points far from the origin fit as well as points near it.
int32_t GetApproximationCircle(const double* x, const double* y, uint32_t n, double* centreX,
                               double* centreY, double* radius) {
  if (x == nullptr || y == nullptr || centreX == nullptr || centreY == nullptr ||
      radius == nullptr || n < 3)
    return 1;
  double meanX = 0, meanY = 0;
  for (uint32_t i = 0; i < n; ++i) {
    meanX += x[i];
    meanY += y[i];
  }
  meanX /= n;
  meanY /= n;
  double suu = 0, suv = 0, svv = 0, suuu = 0, svvv = 0, suvv = 0, svuu = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const double u = x[i] - meanX, v = y[i] - meanY;
    suu += u * u;
    suv += u * v;
    svv += v * v;
    suuu += u * u * u;
    svvv += v * v * v;
    suvv += u * v * v;
    svuu += v * u * u;
  }
  const double det = suu * svv - suv * suv;
  // Points on one line (or all equal) leave the system singular.
  const double scale = (suu + svv) * (suu + svv);
  if (!(det > 1e-12 * scale) || !std::isfinite(det)) return 1;
  const double ru = (suuu + suvv) / 2, rv = (svvv + svuu) / 2;
  const double uc = (ru * svv - rv * suv) / det;
  const double vc = (rv * suu - ru * suv) / det;
  const double r2 = uc * uc + vc * vc + (suu + svv) / n;
  if (!std::isfinite(r2)) return 1;
  *centreX = uc + meanX;
  *centreY = vc + meanY;
  *radius = std::sqrt(r2);
  return 0;
}
