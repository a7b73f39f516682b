// The general affine key (twelve parameters) by least squares.
//
// The coordinates are reduced to the centroids of the used points before the
// normal equations are formed: with raw geocentric coordinates (millions of
// metres over a region of kilometres) the normal matrix is beyond even 80-bit
// precision. The key is returned in its usual unreduced form.
//
// The design matrix A (3n x 12) is never stored: every row has at most four
// non-zero elements in fixed columns, so A^T A, (Q A^T) L, A p and v^T v are
// streamed over the points. Each sum adds the same non-zero terms in the same
// order as the full matrix products would; the terms skipped are products
// with the structural zeros of A, which leave an accumulator unchanged.
#include <algorithm>
#include <cmath>
#include <vector>

#include "adjustment/key_iteration.h"
#include "adjustment/seznam.h"

namespace ternavo {

namespace {

// The determinant of the centred source scatter against the cube of its
// trace, roughly the squared ratio of the thinnest to the widest spread of
// the points: below this they lie in one plane or on one line up to rounding.
constexpr Extended kSingularScatter = 1e-16L;

// A point reduced to the centroids; V is Extended or SplitValue (the same
// values, loaded faster).
template <class V>
struct ReducedPoint {
  V s[3];  // centred source x, y, z
  V t[3];  // centred target X, Y, Z
};

bool ScatterIsSingular(const Extended s[3][3]) {
  const Extended trace = s[0][0] + s[1][1] + s[2][2];
  if (!(trace > 0)) return true;
  const Extended det = s[0][0] * (s[1][1] * s[2][2] - s[1][2] * s[1][2]) -
                       s[0][1] * (s[0][1] * s[2][2] - s[1][2] * s[0][2]) +
                       s[0][2] * (s[0][1] * s[1][2] - s[1][1] * s[0][2]);
  return det <= kSingularScatter * trace * trace * trace;
}

// The equation (0 X, 1 Y, 2 Z) an unknown of the affine key belongs to.
constexpr int EquationOf(int unknown) { return unknown < 9 ? unknown / 3 : unknown - 9; }

// N couples only the unknowns of one equation. True when the inverse kept
// that: every element between unknowns of different equations exactly zero.
bool SplitsByEquation(const Extended* q) {
  for (int i = 0; i < 12; ++i) {
    for (int j = 0; j < 12; ++j) {
      if (EquationOf(i) != EquationOf(j) && q[12 * i + j] != 0) return false;
    }
  }
  return true;
}

template <class V>
std::vector<ReducedPoint<V>> ReducePoints(const std::vector<TIdentickyBod>& identical, int32_t n,
                                          const Extended (&sourceMean)[3],
                                          const Extended (&targetMean)[3]) {
  std::vector<ReducedPoint<V>> points;
  points.reserve(static_cast<std::size_t>(n));
  for (const TIdentickyBod& p : identical) {
    if (!p.Used) continue;
    ReducedPoint<V> r;
    StoreValue(r.s[0], p.SourceX - sourceMean[0]);
    StoreValue(r.s[1], p.SourceY - sourceMean[1]);
    StoreValue(r.s[2], p.SourceZ - sourceMean[2]);
    StoreValue(r.t[0], p.TargetX - targetMean[0]);
    StoreValue(r.t[1], p.TargetY - targetMean[1]);
    StoreValue(r.t[2], p.TargetZ - targetMean[2]);
    points.push_back(r);
  }
  return points;
}

// The normal equations, solution, residuals and m0 of the reduced points;
// stores the key (or the m0 of the left-out run) in s.
template <class V>
bool SolveReduced(TSeznam& s, const std::vector<ReducedPoint<V>>& points,
                  const Extended (&sourceMean)[3], const Extended (&targetMean)[3],
                  FpGuard& guard) {
  const int32_t n = static_cast<int32_t>(points.size());
  // N = A^T A. The three equations of a point share the products of its
  // source coordinates, so N consists of one 3 x 3 scatter block and the
  // coordinate sums, repeated for X, Y and Z.
  Extended scatter[3][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
  Extended coordSum[3] = {0, 0, 0};
  for (const ReducedPoint<V>& r : points) {
    for (int a = 0; a < 3; ++a) {
      for (int b = a; b < 3; ++b) scatter[a][b] += ValueOf(r.s[a]) * ValueOf(r.s[b]);
      coordSum[a] += ValueOf(r.s[a]);
    }
  }
  for (int a = 0; a < 3; ++a) {
    for (int b = 0; b < a; ++b) scatter[a][b] = scatter[b][a];
  }
  Extended ones = 0;
  for (int32_t k = 0; k < n; ++k) ones += 1;

  if (ScatterIsSingular(scatter)) {
    guard.Check();
    return false;
  }

  Matice normal(12, 12);
  for (int e = 0; e < 3; ++e) {
    for (int a = 0; a < 3; ++a) {
      for (int b = 0; b < 3; ++b) normal.Put(3 * e + a + 1, 3 * e + b + 1, scatter[a][b]);
      normal.Put(3 * e + a + 1, 10 + e, coordSum[a]);
      normal.Put(10 + e, 3 * e + a + 1, coordSum[a]);
    }
    normal.Put(10 + e, 10 + e, ones);
  }
  MaticePtr q = normal.Inverse();
  if (!q) {
    guard.Check();
    return false;
  }
  const Extended* qd = q->Data();  // 12 x 12, row-major

  // p = (Q A^T) L, streamed row by row of A^T's columns.
  Extended p[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  if (SplitsByEquation(qd)) {
    // Only the rows of an unknown's own equation give it a non-zero term:
    // the others would add products with exact zeros to a sum that is never
    // -0. Each element of p is its own sum over the points in order, so they
    // are summed one after the other (the sum and its four elements of Q in
    // registers), a cached block of points at a time.
    constexpr std::size_t kBlock = 128;
    for (std::size_t first = 0; first < points.size(); first += kBlock) {
      const ReducedPoint<V>* const begin = points.data() + first;
      const ReducedPoint<V>* const end = points.data() + std::min(points.size(), first + kBlock);
      for (int i = 0; i < 12; ++i) {
        const int e = EquationOf(i);
        const Extended* qi = qd + 12 * i;
        const Extended qx = qi[3 * e], qy = qi[3 * e + 1], qz = qi[3 * e + 2], qt = qi[9 + e];
        Extended sum = p[i];
        for (const ReducedPoint<V>* r = begin; r != end; ++r) {
          Extended qa = 0;
          qa += qx * ValueOf(r->s[0]);
          qa += qy * ValueOf(r->s[1]);
          qa += qz * ValueOf(r->s[2]);
          qa += qt * 1;
          sum += qa * ValueOf(r->t[e]);
        }
        p[i] = sum;
      }
    }
  } else {
    for (const ReducedPoint<V>& r : points) {
      for (int e = 0; e < 3; ++e) {
        const int c0 = 3 * e;  // first matrix column of this equation
        const int ct = 9 + e;  // its translation column
        const Extended l = ValueOf(r.t[e]);
        for (int i = 0; i < 12; ++i) {
          const Extended* qi = qd + 12 * i;
          Extended qa = 0;
          qa += qi[c0] * ValueOf(r.s[0]);
          qa += qi[c0 + 1] * ValueOf(r.s[1]);
          qa += qi[c0 + 2] * ValueOf(r.s[2]);
          qa += qi[ct] * 1;
          p[i] += qa * l;
        }
      }
    }
  }

  // Residuals v = A p + (-L) and their square sum.
  Extended vv = 0;
  for (const ReducedPoint<V>& r : points) {
    for (int e = 0; e < 3; ++e) {
      Extended ap = 0;
      ap += ValueOf(r.s[0]) * p[3 * e];
      ap += ValueOf(r.s[1]) * p[3 * e + 1];
      ap += ValueOf(r.s[2]) * p[3 * e + 2];
      ap += 1 * p[9 + e];
      const Extended v = ap + (-ValueOf(r.t[e]));
      vv += v * v;
    }
  }

  const int32_t redundancy = 3 * n - 12;
  Extended m0 = 0;
  if (redundancy > 0) m0 = std::sqrt(vv / static_cast<Extended>(redundancy));

  if (s.LeftOutIndex < 0) {
    Extended translation[3];
    for (int i = 0; i < 3; ++i) {
      Extended moved = 0;
      for (int j = 0; j < 3; ++j) moved += p[3 * i + j] * sourceMean[j];
      translation[i] = targetMean[i] + p[9 + i] - moved;
    }
    guard.Check();
    for (int i = 1; i <= 3; ++i) {
      for (int j = 1; j <= 3; ++j) s.RotationMatrix->Put(i, j, p[3 * (i - 1) + j - 1]);
    }
    for (int i = 1; i <= 3; ++i) {
      s.TranslationVector->Put(i, 1, translation[i - 1]);
      s.ScaleMatrix->Put(i, i, 1);
    }
    s.M0 = m0;
  } else {
    guard.Check();
    s.IdenticalPoints[static_cast<std::size_t>(s.LeftOutIndex)].M0Without = m0;
  }
  return true;
}

}  // namespace

bool TSeznam::ComputeAffineKey() {
  const int32_t n = GetUsedCount();
  if (n < 4) return false;
  // 3n rows must fit a 16-bit matrix dimension.
  if (n > kMaxUsedPoints) return false;

  FpGuard guard;

  // Centroids, plain means in ascending index order.
  Extended sourceSum[3] = {0, 0, 0};
  Extended targetSum[3] = {0, 0, 0};
  for (const TIdentickyBod& p : IdenticalPoints) {
    if (!p.Used) continue;
    sourceSum[0] += p.SourceX;
    sourceSum[1] += p.SourceY;
    sourceSum[2] += p.SourceZ;
    targetSum[0] += p.TargetX;
    targetSum[1] += p.TargetY;
    targetSum[2] += p.TargetZ;
  }
  const Extended count = n;
  Extended sourceMean[3];
  Extended targetMean[3];
  for (int a = 0; a < 3; ++a) {
    sourceMean[a] = sourceSum[a] / count;
    targetMean[a] = targetSum[a] / count;
  }

  // The reduced points are kept split when every value splits exactly and
  // reducing raised no fault; otherwise as extended values, which raise the
  // fault where it belongs.
  {
    std::vector<ReducedPoint<SplitValue>> points;
    if (SplitCleanly([&] {
          points = ReducePoints<SplitValue>(IdenticalPoints, n, sourceMean, targetMean);
        })) {
      return SolveReduced(*this, points, sourceMean, targetMean, guard);
    }
  }
  return SolveReduced(*this, ReducePoints<Extended>(IdenticalPoints, n, sourceMean, targetMean),
                      sourceMean, targetMean, guard);
}

}  // namespace ternavo
