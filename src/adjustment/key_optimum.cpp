#include "adjustment/key_optimum.h"

#include <algorithm>
#include <cmath>

#include "adjustment/key_iteration.h"
#include "geometry/geometry.h"

namespace ternavo {

namespace {

// The sums carry rounding errors of about this share of the squares they
// were formed from; a sum of squares derived from them is no more exact.
constexpr Extended kSumsNoise = 1e-18L;

// A taken-away point may leave at most this share of the squares unexplained
// before the sums are formed afresh: below, the rounding of the larger sums
// would swamp what is left.
constexpr Extended kDowndateShare = 0.5L;

bool Finite(const CentredSums& s) {
  bool finite = std::isfinite(s.sourceSquares) && std::isfinite(s.targetSquares);
  for (int i = 0; i < 3; ++i) {
    finite = finite && std::isfinite(s.sourceMean[i]) && std::isfinite(s.targetMean[i]);
    for (int j = 0; j < 3; ++j) finite = finite && std::isfinite(s.cross[i][j]);
  }
  return finite;
}

// A key as rotation matrix, scale and translation.
struct PlainKey {
  Extended rotation[3][3];
  Extended scale;
  Extended translation[3];
};

PlainKey WorkingKey(const TSeznam& s, bool withScale) {
  PlainKey k{};
  const RotationTrig t = MakeTrig(s.IterOmega, s.IterPhi, s.IterKappa);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) k.rotation[i][j] = RotationElement(t, i + 1, j + 1);
  }
  k.scale = withScale ? s.IterScale : 1.0L;
  k.translation[0] = s.IterTranslationX;
  k.translation[1] = s.IterTranslationY;
  k.translation[2] = s.IterTranslationZ;
  return k;
}

PlainKey KeyOf(const ClosedFormKey& c) {
  PlainKey k{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) k.rotation[i][j] = c.rotation[i][j];
    k.translation[i] = c.translation[i];
  }
  k.scale = c.scale;
  return k;
}

// The sum of squared residuals of a key, from the sums alone:
// St + m^2 Ss - 2 m trace(R^T C) + n |tMean - T - m R sMean|^2.
Extended SumOfSquaresFromSums(const CentredSums& sums, const PlainKey& k) {
  Extended trace = 0;
  Extended offset = 0;
  for (int i = 0; i < 3; ++i) {
    Extended moved = 0;
    for (int j = 0; j < 3; ++j) {
      trace += k.rotation[i][j] * sums.cross[i][j];
      moved += k.rotation[i][j] * sums.sourceMean[j];
    }
    const Extended d = sums.targetMean[i] - k.translation[i] - k.scale * moved;
    offset += d * d;
  }
  return sums.targetSquares + k.scale * k.scale * sums.sourceSquares - 2 * k.scale * trace +
         static_cast<Extended>(sums.count) * offset;
}

// The sum of squared residuals of a key over the used points, point by
// point; `largest` grows to the largest coordinate magnitude met.
Extended SumOfSquaresOfResiduals(const TSeznam& s, const PlainKey& k, Extended& largest) {
  Extended sum = 0;
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    if (!p.Used) continue;
    const Extended source[3] = {p.SourceX, p.SourceY, p.SourceZ};
    const Extended target[3] = {p.TargetX, p.TargetY, p.TargetZ};
    for (int i = 0; i < 3; ++i) {
      const Extended moved = k.rotation[i][0] * source[0] + k.rotation[i][1] * source[1] +
                             k.rotation[i][2] * source[2];
      const Extended v = k.translation[i] + k.scale * moved - target[i];
      sum += v * v;
      largest = std::max({largest, std::fabs(source[i]), std::fabs(target[i])});
    }
  }
  return sum;
}

}  // namespace

CentredSums SumsOfUsedPoints(const TSeznam& s) {
  CentredSums sums;
  FpGuard quiet;  // an overflow only makes the sums unusable
  Extended source[3] = {0, 0, 0};
  Extended target[3] = {0, 0, 0};
  int32_t n = 0;
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    if (!p.Used) continue;
    ++n;
    source[0] += p.SourceX, source[1] += p.SourceY, source[2] += p.SourceZ;
    target[0] += p.TargetX, target[1] += p.TargetY, target[2] += p.TargetZ;
  }
  sums.count = n;
  if (n == 0) return sums;
  for (int i = 0; i < 3; ++i) {
    sums.sourceMean[i] = source[i] / static_cast<Extended>(n);
    sums.targetMean[i] = target[i] / static_cast<Extended>(n);
  }
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    if (!p.Used) continue;
    const Extended ds[3] = {p.SourceX - sums.sourceMean[0], p.SourceY - sums.sourceMean[1],
                            p.SourceZ - sums.sourceMean[2]};
    const Extended dt[3] = {p.TargetX - sums.targetMean[0], p.TargetY - sums.targetMean[1],
                            p.TargetZ - sums.targetMean[2]};
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) sums.cross[i][j] += dt[i] * ds[j];
      sums.sourceSquares += ds[i] * ds[i];
      sums.targetSquares += dt[i] * dt[i];
    }
  }
  sums.sourceScale = sums.sourceSquares;
  sums.targetScale = sums.targetSquares;
  sums.finite = quiet.Raised() == 0 && Finite(sums);
  return sums;
}

CentredSums SumsWithout(const CentredSums& all, const TSeznam& list, const TIdentickyBod& left) {
  const int32_t n = all.count;
  if (!all.finite || n < 2) return SumsOfUsedPoints(list);
  CentredSums sums;
  FpGuard quiet;
  // Taking point p from n points: the centroid moves by (mean - p) / (n - 1)
  // and each centred sum loses n / (n - 1) times p's own centred product.
  const Extended rest = static_cast<Extended>(n - 1);
  const Extended weight = static_cast<Extended>(n) / rest;
  const Extended ds[3] = {left.SourceX - all.sourceMean[0], left.SourceY - all.sourceMean[1],
                          left.SourceZ - all.sourceMean[2]};
  const Extended dt[3] = {left.TargetX - all.targetMean[0], left.TargetY - all.targetMean[1],
                          left.TargetZ - all.targetMean[2]};
  sums.count = n - 1;
  sums.sourceSquares = all.sourceSquares;
  sums.targetSquares = all.targetSquares;
  for (int i = 0; i < 3; ++i) {
    sums.sourceMean[i] = all.sourceMean[i] - ds[i] / rest;
    sums.targetMean[i] = all.targetMean[i] - dt[i] / rest;
    for (int j = 0; j < 3; ++j) sums.cross[i][j] = all.cross[i][j] - weight * (dt[i] * ds[j]);
    sums.sourceSquares -= weight * (ds[i] * ds[i]);
    sums.targetSquares -= weight * (dt[i] * dt[i]);
  }
  sums.sourceScale = all.sourceScale;
  sums.targetScale = all.targetScale;
  sums.finite = quiet.Raised() == 0 && Finite(sums);
  if (!sums.finite || !(sums.sourceSquares >= kDowndateShare * all.sourceSquares) ||
      !(sums.targetSquares >= kDowndateShare * all.targetSquares)) {
    return SumsOfUsedPoints(list);
  }
  return sums;
}

ClosedFormKey SolveClosedForm(const CentredSums& sums, bool withScale) {
  ClosedFormKey key;
  if (!sums.finite || sums.count < 3 || !(sums.sourceSquares > 0)) return key;
  Extended trace = 0;
  if (!ProperRotationFromCovariance(sums.cross, key.rotation, trace)) return key;
  FpGuard quiet;
  key.scale = withScale ? trace / sums.sourceSquares : 1.0L;
  // The smallest sum of squares there is, St - trace^2 / Ss at the best
  // scale, St + Ss - 2 trace at scale 1; never below 0 by rounding.
  const Extended sum = withScale ? sums.targetSquares - trace * (trace / sums.sourceSquares)
                                 : sums.targetSquares + sums.sourceSquares - 2 * trace;
  key.sumOfSquares = std::max(sum, Extended{0});
  for (int i = 0; i < 3; ++i) {
    const Extended moved = key.rotation[i][0] * sums.sourceMean[0] +
                           key.rotation[i][1] * sums.sourceMean[1] +
                           key.rotation[i][2] * sums.sourceMean[2];
    key.translation[i] = sums.targetMean[i] - key.scale * moved;
  }
  key.valid = quiet.Raised() == 0 && key.scale > 0 && std::isfinite(key.sumOfSquares);
  return key;
}

bool SettleAtOptimum(TSeznam& s, bool withScale, const CentredSums& sums) {
  const int32_t redundancy = 3 * sums.count - (withScale ? 7 : 6);
  if (redundancy <= 0) return false;
  const ClosedFormKey best = SolveClosedForm(sums, withScale);
  if (!best.valid) return false;
  const Extended r = static_cast<Extended>(redundancy);
  const Extended margin = (1 + kOptimumMargin) * (1 + kOptimumMargin);
  const Extended under = (1 - kOptimumMargin) * (1 - kOptimumMargin);
  const PlainKey route = WorkingKey(s, withScale);
  const PlainKey optimum = KeyOf(best);
  const bool reflected = withScale && !(s.IterScale > 0);
  Extended bestDirect = -1;
  {
    FpGuard quiet;
    const Extended reported = s.IterM0 * s.IterM0 * r;
    if (!reflected) {
      // First from the sums alone, which costs nothing per point; only a key
      // that looks worse there is compared residual by residual. An m0 of
      // the last step below the optimum's is no better key: the step's
      // linearisation was still poor, and the key's own residuals say more.
      const Extended own = SumOfSquaresFromSums(sums, route);
      const Extended noise =
          kSumsNoise * (sums.targetScale +
                        (route.scale * route.scale + best.scale * best.scale) * sums.sourceScale);
      if (quiet.Raised() == 0 && !(std::max(reported, own) > best.sumOfSquares * margin + noise) &&
          !(reported < best.sumOfSquares * under - noise)) {
        return false;
      }
      Extended largest = 0;
      const Extended ownDirect = SumOfSquaresOfResiduals(s, route, largest);
      bestDirect = SumOfSquaresOfResiduals(s, optimum, largest);
      // Differences at the rounding level of the coordinates are no misses.
      const Extended fit = kPerfectFitRatio * largest;
      if (quiet.Raised() != 0 ||
          (!(std::max(reported, ownDirect) > bestDirect * margin + r * fit * fit) &&
           !(reported < bestDirect * under - r * fit * fit))) {
        return false;
      }
    }
  }

  // Start again from the optimum; the iteration settles there at once.
  Matice rotation(3, 3);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) rotation.Put(i + 1, j + 1, best.rotation[i][j]);
  }
  Extended omega = 0, phi = 0, kappa = 0;
  AnglesFromRotation(rotation, omega, phi, kappa);
  auto start = [&]() {
    s.IterOmega = omega;
    s.IterPhi = phi;
    s.IterKappa = kappa;
    s.IterTranslationX = best.translation[0];
    s.IterTranslationY = best.translation[1];
    s.IterTranslationZ = best.translation[2];
    s.IterScale = withScale ? best.scale : 1.0L;
  };
  start();
  if (withScale ? s.IterateSimilarity() : s.IterateCongruence()) return true;
  // It did not settle: the closed form is the key, with the m0 of its own
  // residuals.
  start();
  FpGuard guard;
  if (bestDirect < 0) {
    Extended largest = 0;
    bestDirect = SumOfSquaresOfResiduals(s, WorkingKey(s, withScale), largest);
  }
  s.IterM0 = std::sqrt(bestDirect / r);
  guard.Check();
  return true;
}

}  // namespace ternavo
