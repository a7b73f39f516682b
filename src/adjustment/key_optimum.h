// The least-squares similarity and congruence keys in closed form, as a check
// on the keys the iteration accepts. The iteration can settle in a wrong
// minimum (far from a scale of 1, or with a reflection: a negative scale)
// and still call it converged; the closed form cannot, and its sum of
// squares follows from a few sums over the points.
#pragma once

#include <cstdint>

#include "adjustment/seznam.h"

namespace ternavo {

// Sums over the used points: their count and centroids, the cross-covariance
// of the centred points and the sums of their squared distances from the
// centroids.
struct CentredSums {
  int32_t count = 0;
  Extended sourceMean[3] = {0, 0, 0};
  Extended targetMean[3] = {0, 0, 0};
  Extended cross[3][3] = {};  // sum of (t - targetMean)(s - sourceMean)^T
  Extended sourceSquares = 0;
  Extended targetSquares = 0;
  // The two sums of squares these were first formed with, before points were
  // taken away: the scale of their rounding errors.
  Extended sourceScale = 0;
  Extended targetScale = 0;
  bool finite = false;  // false: a sum overflowed, nothing here can be used
};

CentredSums SumsOfUsedPoints(const TSeznam& s);

// The sums of the used points of `list` (which has `left` left out), made
// from `all`, the sums with `left` still used, by taking that point away.
// Formed afresh from the points when too little is left to be accurate.
CentredSums SumsWithout(const CentredSums& all, const TSeznam& list, const TIdentickyBod& left);

// The least-squares key of the sums: rotation from the singular value
// decomposition of the cross-covariance (proper), scale from it (1 for the
// congruence key), translation through the centroids, and its sum of
// squared residuals.
struct ClosedFormKey {
  bool valid = false;  // false: too few points, or the rotation is not determined
  Extended rotation[3][3] = {};
  Extended scale = 1;
  Extended translation[3] = {0, 0, 0};
  Extended sumOfSquares = 0;
};

ClosedFormKey SolveClosedForm(const CentredSums& sums, bool withScale);

// The relative margin by which the key the iteration accepted may miss the
// optimum's m0 (the stopping rule stops a little short now and then).
inline constexpr Extended kOptimumMargin = 1e-6L;

// Checks the key that the iteration has just accepted into the working
// parameters of s (IterOmega .. IterScale, its m0 in IterM0) against the
// closed form of `sums`, the sums of the used points of s. When its m0 (above
// or below), or the m0 of its own residuals, misses the optimum's by more
// than the margin, or its scale is not positive, the iteration runs again
// from the closed-form values and its result replaces the key. Returns true
// when it did.
bool SettleAtOptimum(TSeznam& s, bool withScale, const CentredSums& sums);

}  // namespace ternavo
