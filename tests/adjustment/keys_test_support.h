// Test data for the keys and a plain reference computation of them: full
// design matrices and the Matice products, inverse and pseudo-inverse, one
// leave-one-out run after the other. The fast code must agree with it to
// the last bit.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <tuple>

#include "adjustment/key_iteration.h"
#include "adjustment/key_optimum.h"
#include "adjustment/seznam.h"
#include "geometry/geometry.h"
#include "geometry/geometry_test_support.h"

namespace ternavo::testing {

// The driver of the type, as "Přepočítat klíč" runs it.
inline void RunDriver(TSeznam& s, TTypTransformace type) {
  if (type == kGeneralAffine) s.AdjustAffine();
  if (type == kSimilarity) s.AdjustSimilarity();
  if (type == kCongruence) s.AdjustCongruence();
}

struct SimilarityTruth {
  Extended omega = 0, phi = 0, kappa = 0, scale = 1, tX = 0, tY = 0, tZ = 0;
};

// Uniform in [lo, hi) from the raw generator bits (independent of the
// library's distributions, so the data is the same everywhere).
inline Extended Uniform(std::mt19937_64& rng, Extended lo, Extended hi) {
  return lo + (hi - lo) * (static_cast<Extended>(rng() >> 11) / 9007199254740992.0L);
}

inline void AddPoint(TSeznam& s, int32_t number, Extended sx, Extended sy, Extended sz, Extended tx,
                     Extended ty, Extended tz) {
  s.IdenticalPoints.push_back({std::to_string(number), tx, ty, tz, sx, sy, sz, true, 0, false});
}

// Targets = T + m R source, plus uniform noise of the given amplitude.
// Source points spread over `extent` around (x0, y0, z0).
inline void FillSimilar(TSeznam& s, int n, uint64_t seed, const SimilarityTruth& truth, Extended x0,
                        Extended y0, Extended z0, Extended extent, Extended noise) {
  std::mt19937_64 rng(seed);
  Matice r(3, 3);
  RotationFromAngles(r, truth.omega, truth.phi, truth.kappa);
  const Extended shift[3] = {truth.tX, truth.tY, truth.tZ};
  for (int k = 0; k < n; ++k) {
    const Extended x = x0 + Uniform(rng, -extent, extent);
    const Extended y = y0 + Uniform(rng, -extent, extent);
    const Extended z = z0 + Uniform(rng, -extent / 10, extent / 10);
    Extended t[3];
    for (int i = 1; i <= 3; ++i) {
      t[i - 1] = shift[i - 1] +
                 truth.scale * (r.Get(i, 1) * x + r.Get(i, 2) * y + r.Get(i, 3) * z) +
                 Uniform(rng, -noise, noise);
    }
    AddPoint(s, 100 + k, x, y, z, t[0], t[1], t[2]);
  }
}

// National-grid-like data: |X|, |Y| around 10^6 m, centimetre noise.
inline TSeznam GridData(int n, uint64_t seed) {
  TSeznam s;
  SimilarityTruth truth{0.0003L, -0.0002L, 0.0123L, 1.0000123L, -1234.5L, 876.25L, 45.5L};
  FillSimilar(s, n, seed, truth, 1.0e6L, 1.1e6L, 300, 20000, 0.05L);
  return s;
}

// Affine key of the used points; `centred` false skips the reduction to the
// centroids (the textbook route, kept to show what that reduction buys).
inline bool RefAffineKey(TSeznam& s, bool centred = true) {
  const int32_t n = s.GetUsedCount();
  if (n < 4) return false;
  Extended mean[6] = {0, 0, 0, 0, 0, 0};
  if (centred) {
    for (const TIdentickyBod& p : s.IdenticalPoints) {
      if (!p.Used) continue;
      const Extended c[6] = {p.SourceX, p.SourceY, p.SourceZ, p.TargetX, p.TargetY, p.TargetZ};
      for (int i = 0; i < 6; ++i) mean[i] += c[i];
    }
    for (Extended& m : mean) m = m / static_cast<Extended>(n);
  }
  const auto rows = static_cast<uint16_t>(3 * n);
  Matice a(rows, 12);
  Matice l(rows, 1);
  int row = 1;
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    if (!p.Used) continue;
    const Extended src[3] = {p.SourceX - mean[0], p.SourceY - mean[1], p.SourceZ - mean[2]};
    const Extended dst[3] = {p.TargetX - mean[3], p.TargetY - mean[4], p.TargetZ - mean[5]};
    for (int e = 0; e < 3; ++e, ++row) {
      for (int j = 0; j < 3; ++j) a.Put(row, 3 * e + j + 1, src[j]);
      a.Put(row, 10 + e, 1);
      l.Put(row, 1, dst[e]);
    }
  }
  MaticePtr at = a.Transpose();
  MaticePtr q = at->Multiply(a)->Inverse();
  if (!q) return false;
  MaticePtr p = q->Multiply(*at)->Multiply(l);
  MaticePtr v = a.Multiply(*p)->Add(*l.Negate());
  MaticePtr vv = v->Transpose()->Multiply(*v);
  const int32_t redundancy = 3 * n - 12;
  const Extended m0 =
      redundancy > 0 ? std::sqrt(vv->Get(1, 1) / static_cast<Extended>(redundancy)) : 0;
  if (s.LeftOutIndex >= 0) {
    s.IdenticalPoints[static_cast<std::size_t>(s.LeftOutIndex)].M0Without = m0;
    return true;
  }
  Matice centroid(3, 1);
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) s.RotationMatrix->Put(i, j, p->Get(3 * (i - 1) + j, 1));
    centroid.Put(i, 1, mean[i - 1]);
  }
  MaticePtr moved = s.RotationMatrix->Multiply(centroid);
  for (int i = 1; i <= 3; ++i) {
    s.TranslationVector->Put(i, 1, mean[2 + i] + p->Get(9 + i, 1) - moved->Get(i, 1));
    s.ScaleMatrix->Put(i, i, 1);
  }
  s.M0 = m0;
  return true;
}

using Partial = Extended (*)(Extended, Extended, Extended, Extended, Extended, Extended, Extended);
using Model = Extended (*)(Extended, Extended, Extended, Extended, Extended, Extended, Extended,
                           Extended, Extended, Extended);

inline StepOutcome RefStep(TSeznam& s, Extended& m0, bool withScale) {
  const int32_t n = s.GetUsedCount();
  if (n < 3) return StepOutcome::Skipped;
  // Columns omega, phi, kappa, scale per equation; Y does not depend on phi.
  static const Partial partials[3][4] = {{DXdOmega, DXdPhi, DXdKappa, DXdScale},
                                         {DYdOmega, nullptr, DYdKappa, DYdScale},
                                         {DZdOmega, DZdPhi, DZdKappa, DZdScale}};
  static const Model models[3] = {ModelX, ModelY, ModelZ};
  const int cols = withScale ? 7 : 6;
  const Extended m = withScale ? s.IterScale : 1.0L;
  const Extended o = s.IterOmega, f = s.IterPhi, k = s.IterKappa;
  Matice a(static_cast<uint16_t>(3 * n), static_cast<uint16_t>(cols));
  Matice l(static_cast<uint16_t>(3 * n), 1);
  int row = 1;
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    if (!p.Used) continue;
    const Extended x = p.SourceX, y = p.SourceY, z = p.SourceZ;
    const Extended target[3] = {p.TargetX, p.TargetY, p.TargetZ};
    for (int e = 0; e < 3; ++e, ++row) {
      for (int c = 0; c < 4; ++c) {
        if (partials[e][c] && (c < 3 || withScale)) {
          a.Put(row, c < 3 ? c + 1 : 7, partials[e][c](x, y, z, m, o, f, k));
        }
      }
      a.Put(row, 4 + e, 1);
      l.Put(row, 1,
            models[e](x, y, z, m, o, f, k, s.IterTranslationX, s.IterTranslationY,
                      s.IterTranslationZ) -
                target[e]);
    }
  }
  MaticePtr at = a.Transpose();
  bool ok = false;
  MaticePtr q = at->Multiply(a)->PseudoInverse(1e-15L, ok);
  if (!q) {
    m0 = 0;
    return StepOutcome::Failed;
  }
  MaticePtr dx = q->Multiply(*at)->Multiply(l);
  Extended* unknowns[7] = {&s.IterOmega,        &s.IterPhi,          &s.IterKappa,
                           &s.IterTranslationX, &s.IterTranslationY, &s.IterTranslationZ,
                           &s.IterScale};
  for (int c = 0; c < cols; ++c) *unknowns[c] -= dx->Get(c + 1, 1);
  if (!withScale) s.IterScale = 1;
  MaticePtr v = a.Multiply(*dx)->Add(*l.Negate());
  const Extended vv = v->Transpose()->Multiply(*v)->Get(1, 1);
  m0 = std::sqrt(vv / static_cast<Extended>(3 * n - cols));
  Extended largest = 0;
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    if (!p.Used) continue;
    for (Extended c : {p.SourceX, p.SourceY, p.SourceZ, p.TargetX, p.TargetY, p.TargetZ}) {
      largest = std::max(largest, std::fabs(c));
    }
  }
  return vv == 0 || m0 < kPerfectFitRatio * largest ? StepOutcome::ExactFit : StepOutcome::Solved;
}

inline bool RefIterate(TSeznam& s, bool withScale) {
  return IterateUntilConverged(s.IterM0, [&](Extended& m0) { return RefStep(s, m0, withScale); });
}

inline bool RefEstimateFromAffine(TSeznam& s) {
  if (s.GetUsedCount() < 4) return false;
  if (!RefAffineKey(s) && !(s.LeftOutIndex >= 0 && s.KeyValid)) return false;
  s.IterTranslationX = s.TranslationVector->Get(1, 1);
  s.IterTranslationY = s.TranslationVector->Get(2, 1);
  s.IterTranslationZ = s.TranslationVector->Get(3, 1);
  s.IterScale = MeanAxisScale(*s.RotationMatrix);
  MaticePtr r;
  OrthonormalizeMatrix(*s.RotationMatrix, r);
  AnglesFromRotation(*r, s.IterOmega, s.IterPhi, s.IterKappa);
  return true;
}

// Runs `diagnose` with each used point left out in turn, then restores.
template <class F>
void RefLeaveOneOut(TSeznam& s, F diagnose) {
  if (s.LeaveOutFirst()) {
    do diagnose(s.IdenticalPoints[static_cast<std::size_t>(s.LeftOutIndex)]);
    while (s.LeaveOutNext());
  }
  s.LeaveOut(-1);
}

inline void RefAdjustAffine(TSeznam& s) {
  s.LeaveOut(-1);
  s.KeyValid = RefAffineKey(s);
  // Four remaining points leave no redundancy: no diagnostics.
  if (s.KeyValid) {
    RefLeaveOneOut(
        s, [&](TIdentickyBod& p) { p.M0WithoutValid = s.GetUsedCount() >= 5 && RefAffineKey(s); });
  }
}

inline void RefAdjustIterative(TSeznam& s, bool withScale) {
  s.IterM0 = 0;
  s.LeaveOut(-1);
  const int32_t n = s.GetUsedCount();
  s.KeyValid = false;
  if (n == 3 || (n >= 4 && !RefEstimateFromAffine(s))) s.EstimateFromThreePoints();
  if (withScale && !RefIterate(s, false)) {
    if (!RefEstimateFromAffine(s) && n >= 4) s.EstimateFromThreePoints();
  }
  s.KeyValid = RefIterate(s, withScale);
  if (!s.KeyValid) return;
  const CentredSums sums = SumsOfUsedPoints(s);
  SettleAtOptimum(s, withScale, sums);
  std::tie(s.M0, s.Omega, s.Phi, s.Kappa, s.TranslationX, s.TranslationY, s.TranslationZ) =
      std::tie(s.IterM0, s.IterOmega, s.IterPhi, s.IterKappa, s.IterTranslationX,
               s.IterTranslationY, s.IterTranslationZ);
  s.Scale = withScale ? s.IterScale : 1.0L;
  RotationFromAngles(*s.RotationMatrix, s.Omega, s.Phi, s.Kappa);
  const Extended t[3] = {s.TranslationX, s.TranslationY, s.TranslationZ};
  for (int i = 1; i <= 3; ++i) {
    s.ScaleMatrix->Put(i, i, s.Scale);
    s.TranslationVector->Put(i, 1, t[i - 1]);
  }
  RefLeaveOneOut(s, [&](TIdentickyBod& p) {
    RefEstimateFromAffine(s);
    p.M0WithoutValid = RefIterate(s, withScale);
    if (p.M0WithoutValid) {
      SettleAtOptimum(s, withScale, n - 1 >= 4 ? SumsWithout(sums, s, p) : SumsOfUsedPoints(s));
    }
    p.M0Without = s.IterM0;
  });
}

}  // namespace ternavo::testing
