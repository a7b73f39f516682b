// Test data for the keys and a plain reference computation of them: full
// design matrices and the Matice products, inverse and pseudo-inverse, one
// leave-one-out run after the other. The fast code must agree with it to
// the last bit.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "adjustment/key_iteration.h"
#include "adjustment/seznam.h"
#include "geometry/geometry.h"

namespace ternavo::testing {

struct SimilarityTruth {
  Extended omega = 0;
  Extended phi = 0;
  Extended kappa = 0;
  Extended scale = 1;
  Extended tX = 0;
  Extended tY = 0;
  Extended tZ = 0;
};

// Uniform in [lo, hi) from the raw generator bits (independent of the
// library's distributions, so the data is the same everywhere).
inline Extended Uniform(std::mt19937_64& rng, Extended lo, Extended hi) {
  const Extended u = static_cast<Extended>(rng() >> 11) / 9007199254740992.0L;
  return lo + (hi - lo) * u;
}

inline void AddPoint(TSeznam& s, int32_t number, Extended sx, Extended sy, Extended sz,
                     Extended tx, Extended ty, Extended tz) {
  TIdentickyBod p;
  p.Number = number;
  p.SourceX = sx;
  p.SourceY = sy;
  p.SourceZ = sz;
  p.TargetX = tx;
  p.TargetY = ty;
  p.TargetZ = tz;
  p.Used = true;
  s.IdenticalPoints.push_back(p);
}

// Targets = T + m R source, plus uniform noise of the given amplitude.
// Source points spread over `extent` around (x0, y0, z0).
inline void FillSimilar(TSeznam& s, int n, uint64_t seed, const SimilarityTruth& truth,
                        Extended x0, Extended y0, Extended z0, Extended extent, Extended noise) {
  std::mt19937_64 rng(seed);
  Matice r(3, 3);
  RotationFromAngles(r, truth.omega, truth.phi, truth.kappa);
  for (int k = 0; k < n; ++k) {
    const Extended x = x0 + Uniform(rng, -extent, extent);
    const Extended y = y0 + Uniform(rng, -extent, extent);
    const Extended z = z0 + Uniform(rng, -extent / 10, extent / 10);
    Extended t[3];
    const Extended shift[3] = {truth.tX, truth.tY, truth.tZ};
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

// ---------------------------------------------------------------------------
// Reference computation.

inline bool RefAffineKey(TSeznam& s) {
  const int32_t n = s.GetUsedCount();
  if (n < 4) return false;
  Extended sum[6] = {0, 0, 0, 0, 0, 0};
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    if (!p.Used) continue;
    sum[0] += p.SourceX;
    sum[1] += p.SourceY;
    sum[2] += p.SourceZ;
    sum[3] += p.TargetX;
    sum[4] += p.TargetY;
    sum[5] += p.TargetZ;
  }
  Extended mean[6];
  for (int i = 0; i < 6; ++i) mean[i] = sum[i] / static_cast<Extended>(n);

  const auto rows = static_cast<uint16_t>(3 * n);
  Matice a(rows, 12);
  Matice l(rows, 1);
  int k = 0;
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    if (!p.Used) continue;
    const Extended src[3] = {p.SourceX - mean[0], p.SourceY - mean[1], p.SourceZ - mean[2]};
    const Extended dst[3] = {p.TargetX - mean[3], p.TargetY - mean[4], p.TargetZ - mean[5]};
    for (int e = 0; e < 3; ++e) {
      const int row = 3 * k + e + 1;
      for (int j = 0; j < 3; ++j) a.Put(row, 3 * e + j + 1, src[j]);
      a.Put(row, 10 + e, 1);
      l.Put(row, 1, dst[e]);
    }
    ++k;
  }
  MaticePtr at = a.Transpose();
  MaticePtr nn = at->Multiply(a);
  MaticePtr q = nn->Inverse();
  if (!q) return false;
  MaticePtr p = q->Multiply(*at)->Multiply(l);
  MaticePtr v = a.Multiply(*p)->Add(*l.Negate());
  MaticePtr vv = v->Transpose()->Multiply(*v);
  const int32_t redundancy = 3 * n - 12;
  const Extended m0 =
      redundancy > 0 ? std::sqrt(vv->Get(1, 1) / static_cast<Extended>(redundancy)) : 0;
  if (s.LeftOutIndex < 0) {
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
  } else {
    s.IdenticalPoints[static_cast<std::size_t>(s.LeftOutIndex)].M0Without = m0;
  }
  return true;
}

inline StepOutcome RefStep(TSeznam& s, Extended& m0, bool withScale) {
  const int32_t n = s.GetUsedCount();
  if (n < 3) return StepOutcome::Skipped;
  const int cols = withScale ? 7 : 6;
  const Extended m = withScale ? s.IterScale : 1.0L;
  const Extended o = s.IterOmega, f = s.IterPhi, k = s.IterKappa;
  const Extended tx = s.IterTranslationX, ty = s.IterTranslationY, tz = s.IterTranslationZ;
  Matice a(static_cast<uint16_t>(3 * n), static_cast<uint16_t>(cols));
  Matice l(static_cast<uint16_t>(3 * n), 1);
  int row = 1;
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    if (!p.Used) continue;
    const Extended x = p.SourceX, y = p.SourceY, z = p.SourceZ;
    a.Put(row, 1, DXdOmega(x, y, z, m, o, f, k));
    a.Put(row, 2, DXdPhi(x, y, z, m, o, f, k));
    a.Put(row, 3, DXdKappa(x, y, z, m, o, f, k));
    a.Put(row, 4, 1);
    if (withScale) a.Put(row, 7, DXdScale(x, y, z, m, o, f, k));
    l.Put(row, 1, ModelX(x, y, z, m, o, f, k, tx, ty, tz) - p.TargetX);
    a.Put(row + 1, 1, DYdOmega(x, y, z, m, o, f, k));
    a.Put(row + 1, 3, DYdKappa(x, y, z, m, o, f, k));
    a.Put(row + 1, 5, 1);
    if (withScale) a.Put(row + 1, 7, DYdScale(x, y, z, m, o, f, k));
    l.Put(row + 1, 1, ModelY(x, y, z, m, o, f, k, tx, ty, tz) - p.TargetY);
    a.Put(row + 2, 1, DZdOmega(x, y, z, m, o, f, k));
    a.Put(row + 2, 2, DZdPhi(x, y, z, m, o, f, k));
    a.Put(row + 2, 3, DZdKappa(x, y, z, m, o, f, k));
    a.Put(row + 2, 6, 1);
    if (withScale) a.Put(row + 2, 7, DZdScale(x, y, z, m, o, f, k));
    l.Put(row + 2, 1, ModelZ(x, y, z, m, o, f, k, tx, ty, tz) - p.TargetZ);
    row += 3;
  }
  MaticePtr at = a.Transpose();
  MaticePtr nn = at->Multiply(a);
  bool ok = false;
  MaticePtr q = nn->PseudoInverse(1e-15L, ok);
  if (!q) {
    m0 = 0;
    return StepOutcome::Failed;
  }
  MaticePtr dx = q->Multiply(*at)->Multiply(l);
  s.IterOmega -= dx->Get(1, 1);
  s.IterPhi -= dx->Get(2, 1);
  s.IterKappa -= dx->Get(3, 1);
  s.IterTranslationX -= dx->Get(4, 1);
  s.IterTranslationY -= dx->Get(5, 1);
  s.IterTranslationZ -= dx->Get(6, 1);
  if (withScale) {
    s.IterScale -= dx->Get(7, 1);
  } else {
    s.IterScale = 1;
  }
  MaticePtr v = a.Multiply(*dx)->Add(*l.Negate());
  const Extended vv = v->Transpose()->Multiply(*v)->Get(1, 1);
  m0 = std::sqrt(vv / static_cast<Extended>(3 * n - cols));
  return vv == 0 ? StepOutcome::ExactFit : StepOutcome::Solved;
}

inline bool RefIterate(TSeznam& s, bool withScale) {
  return IterateUntilConverged(s.IterM0,
                               [&](Extended& m0) { return RefStep(s, m0, withScale); });
}

inline bool RefEstimateFromAffine(TSeznam& s) {
  if (s.GetUsedCount() < 4) return false;
  const bool solved = RefAffineKey(s);
  if (!solved && !(s.LeftOutIndex >= 0 && s.KeyValid)) return false;
  s.IterTranslationX = s.TranslationVector->Get(1, 1);
  s.IterTranslationY = s.TranslationVector->Get(2, 1);
  s.IterTranslationZ = s.TranslationVector->Get(3, 1);
  s.IterScale = MeanAxisScale(*s.RotationMatrix);
  MaticePtr r;
  OrthonormalizeMatrix(*s.RotationMatrix, r);
  AnglesFromRotation(*r, s.IterOmega, s.IterPhi, s.IterKappa);
  return true;
}

// One leave-one-out run after the other, through the stepping primitives.
inline void RefAdjustAffine(TSeznam& s) {
  s.LeaveOut(-1);
  s.KeyValid = RefAffineKey(s);
  if (s.KeyValid && s.LeaveOutFirst()) {
    do {
      const bool r = RefAffineKey(s);
      s.IdenticalPoints[static_cast<std::size_t>(s.LeftOutIndex)].M0WithoutValid = r;
    } while (s.LeaveOutNext());
  }
  s.LeaveOut(-1);
}

inline void RefAdjustIterative(TSeznam& s, bool withScale) {
  s.IterM0 = 0;
  s.LeaveOut(-1);
  const int32_t n = s.GetUsedCount();
  s.KeyValid = false;
  if (n >= 4) {
    if (!RefEstimateFromAffine(s)) s.EstimateFromThreePoints();
  } else if (n == 3) {
    s.EstimateFromThreePoints();
  }
  if (withScale && !RefIterate(s, false)) {
    if (!RefEstimateFromAffine(s) && n >= 4) s.EstimateFromThreePoints();
  }
  s.KeyValid = RefIterate(s, withScale);
  if (!s.KeyValid) return;
  s.M0 = s.IterM0;
  s.Omega = s.IterOmega;
  s.Phi = s.IterPhi;
  s.Kappa = s.IterKappa;
  s.TranslationX = s.IterTranslationX;
  s.TranslationY = s.IterTranslationY;
  s.TranslationZ = s.IterTranslationZ;
  s.Scale = withScale ? s.IterScale : 1.0L;
  RotationFromAngles(*s.RotationMatrix, s.Omega, s.Phi, s.Kappa);
  for (int i = 1; i <= 3; ++i) s.ScaleMatrix->Put(i, i, s.Scale);
  s.TranslationVector->Put(1, 1, s.TranslationX);
  s.TranslationVector->Put(2, 1, s.TranslationY);
  s.TranslationVector->Put(3, 1, s.TranslationZ);
  if (s.LeaveOutFirst()) {
    do {
      RefEstimateFromAffine(s);
      const bool r = RefIterate(s, withScale);
      TIdentickyBod& p = s.IdenticalPoints[static_cast<std::size_t>(s.LeftOutIndex)];
      p.M0WithoutValid = r;
      p.M0Without = s.IterM0;
    } while (s.LeaveOutNext());
  }
  s.LeaveOut(-1);
}

}  // namespace ternavo::testing
