#include "geometry/geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "geometry_test_support.h"

namespace ternavo::testing {
namespace {

struct Angles {
  Extended omega, phi, kappa;
};

MaticePtr Rotation(Angles a) {
  MaticePtr r = Matice::Create(3, 3);
  RotationFromAngles(*r, a.omega, a.phi, a.kappa);
  return r;
}

Angles AnglesOf(const Matice& m) {
  Angles a;
  AnglesFromRotation(m, a.omega, a.phi, a.kappa);
  return a;
}

MaticePtr FromRows(const Extended (&e)[3][3]) {
  MaticePtr r = Matice::Create(3, 3);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) r->Put(i, j, e[i - 1][j - 1]);
  return r;
}

void ExpectSameMatrix(const Matice& a, const Matice& b, Extended tol) {
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_NEAR(a.Get(i, j), b.Get(i, j), tol) << i << "," << j;
}

void ExpectDegenerate(const std::function<void()>& call) {
  try {
    call();
    ADD_FAILURE() << "no exception";
  } catch (const ArithmeticFault& e) {
    EXPECT_EQ(e.Kind(), FaultKind::DivisionByZero);
    EXPECT_STREQ(e.what(), "Identické body splývají nebo leží na přímce.");
  }
}

TEST(Rotation, AnglesRoundTripAcrossTheirRanges) {
  const Extended step = kPi / 7;
  for (Extended o = -kPi / 2 + 0.05L; o < kPi / 2; o += step)
    for (Extended p = -kPi / 2 + 0.05L; p < 1.5L * kPi; p += step)
      for (Extended k = -kPi / 2 + 0.05L; k < 1.5L * kPi; k += step) {
        const Angles back = AnglesOf(*Rotation({o, p, k}));
        EXPECT_NEAR(back.omega, o, 1e-15L);
        EXPECT_NEAR(back.phi, p, 1e-15L);
        EXPECT_NEAR(back.kappa, k, 1e-15L);
      }
  for (Extended k : {1.6L, 3.2L, 4.7L})  // Kappa alone, beyond pi/2
    EXPECT_NEAR(AnglesOf(*Rotation({0, 0, k})).kappa, k, 1e-17L);
  // cos Omega < 0: the equivalent triple with Omega in range.
  const Angles a = AnglesOf(*Rotation({2, 0.3L, 0.4L}));
  EXPECT_NEAR(a.omega, kPi - 2, 1e-17L);
  EXPECT_NEAR(a.phi, 0.3L + kPi, 1e-17L);
  EXPECT_NEAR(a.kappa, 0.4L + kPi, 1e-17L);
}

// Exact right angles put zeros where the one-argument formulas divide.
TEST(Rotation, RightAnglesStillRebuildTheirMatrix) {
  const Extended s = 0.6L, c = 0.8L;
  const Extended cases[][3][3] = {
      {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}},   // Phi = pi/2
      {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}},   // Kappa = pi/2
      {{0, s, -c}, {0, c, s}, {1, 0, 0}},   // Phi = pi/2 after some Omega
      {{c, -s, 0}, {0, 0, -1}, {s, c, 0}},  // Omega = -pi/2, Phi - Kappa alone known
      {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}},    // not a rotation: must not fault
  };
  for (int n = 0; n < 5; ++n) {
    Angles a;
    ASSERT_NO_THROW(a = AnglesOf(*FromRows(cases[n]))) << n;
    ASSERT_TRUE(std::isfinite(a.omega) && std::isfinite(a.phi) && std::isfinite(a.kappa)) << n;
    if (n < 4) ExpectSameMatrix(*Rotation(a), *FromRows(cases[n]), 1e-18L);
  }
}

using Model = Extended (*)(Extended, Extended, Extended, Extended, Extended, Extended, Extended,
                           Extended, Extended, Extended);
using Derivative = Extended (*)(Extended, Extended, Extended, Extended, Extended, Extended,
                                Extended);

Extended NoPhiInY(Extended, Extended, Extended, Extended, Extended, Extended, Extended) {
  return 0;
}

TEST(Model, DerivativesMatchCentralDifferences) {
  struct Case {
    Model model;
    int parameter;  // 0 scale, 1 omega, 2 phi, 3 kappa
    Derivative derivative;
  };
  const Case cases[] = {
      {ModelX, 0, DXdScale}, {ModelY, 0, DYdScale}, {ModelZ, 0, DZdScale}, {ModelX, 1, DXdOmega},
      {ModelX, 2, DXdPhi},   {ModelX, 3, DXdKappa}, {ModelY, 1, DYdOmega}, {ModelY, 2, NoPhiInY},
      {ModelY, 3, DYdKappa}, {ModelZ, 1, DZdOmega}, {ModelZ, 2, DZdPhi},   {ModelZ, 3, DZdKappa},
  };
  const TVektor points[] = {{-150.25L, 87.5L, -12.75L}, {0.5L, -4, 2}};
  const Angles angles[] = {{0.1L, 0.2L, 0.3L}, {-1.1L, 2.7L, 4.0L}, {1.4L, -0.6L, -1.2L}};
  const Extended h = 1e-6L;
  for (int n = 0; n < 12; ++n) {
    const Case& c = cases[n];
    for (const TVektor& p : points)
      for (Extended m : {0.9995L, 2.5L})
        for (const Angles& a : angles) {
          auto at = [&](Extended delta) {
            Extended v[4] = {m, a.omega, a.phi, a.kappa};
            v[c.parameter] += delta;
            return c.model(p.x, p.y, p.z, v[0], v[1], v[2], v[3], 7, -3, 11);
          };
          const Extended numeric = (at(h) - at(-h)) / (2 * h);
          const Extended exact = c.derivative(p.x, p.y, p.z, m, a.omega, a.phi, a.kappa);
          EXPECT_NEAR(exact, numeric, 1e-8L * (1 + fabsl(numeric))) << n;
        }
  }
}

TEST(Key, RecoversAGeneratedSimilarity) {
  struct Case {
    Angles angles;
    Extended m;
    TVektor t;
  };
  const Case cases[] = {{{0.3L, -0.8L, 2.2L}, 1.0003L, {1000.5L, -2000.25L, 300}},
                        {{-1.2L, 3.9L, -0.1L}, 0.25L, {-5, 7, 1e5L}}};
  const TVektor b[3] = {{152.3L, -88.1L, 12.7L}, {-31.4L, 250.9L, 40.2L}, {77.7L, 60.6L, -95.5L}};
  const Model models[] = {ModelX, ModelY, ModelZ};
  for (const auto& [angles, scale, shift] : cases) {
    TVektor a[3];
    for (int i = 0; i < 3; ++i)
      for (int k = 1; k <= 3; ++k)
        a[i][k] = models[k - 1](b[i].x, b[i].y, b[i].z, scale, angles.omega, angles.phi,
                                angles.kappa, shift.x, shift.y, shift.z);
    MaticePtr r;
    TVektor t;
    Extended m = 0;
    KeyFromThreePoints(a[0], a[1], a[2], b[0], b[1], b[2], r, t, m);
    ExpectSameMatrix(*r, *Rotation(angles), 1e-15L);
    EXPECT_NEAR(m, scale, 1e-15L);
    for (int i = 1; i <= 3; ++i) EXPECT_NEAR(t[i], shift[i], 1e-10L);
  }
}

TEST(Key, IdentityMeanScaleAndDegeneratePoints) {
  const TVektor p1{5, 1, 2}, p2{9, 4, 2}, p3{6, 8, -3};
  MaticePtr r = Matice::Create(2, 2);
  TVektor t{9, 9, 9};
  Extended m = 0;
  KeyFromThreePoints(p1, p2, p3, p1, p2, p3, r, t, m);
  ExpectSameMatrix(*r, *Matice::Identity(3), 1e-18L);
  EXPECT_EQ(m, 1);
  for (int i = 1; i <= 3; ++i) EXPECT_NEAR(t[i], 0, 1e-17L);
  Matice* before = r.get();
  ExpectDegenerate([&] { KeyFromThreePoints(p1, p2, p3, p1, p1, p3, r, t, m); });
  EXPECT_EQ(r.get(), before);  // kept on failure
  const TVektor p{1000000.1L, 2000000.2L, 300.3L}, q{1000000.2L, 2000000.4L, 300.6L};
  const TVektor c{1000000.4L, 2000000.8L, 301.2L};  // on the line p-q up to the decimals
  ExpectDegenerate([&] { FrameFromPoints(p, q, c); });
  ExpectDegenerate([&] { ScaleFromPoints(p, p, q, p, q, c); });
  // Sides sqrt 2 with ratios 1, 2, 3 for the sides 1-2, 2-3, 3-1.
  const Extended s = sqrtl(2);
  EXPECT_NEAR(ScaleFromPoints({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}, {s, 0, 0}, {3 * s, 0, 0}),
              2, 1e-18L);
}

TEST(Orthonormalize, ColumnsInOrderAndMirrorsKept) {
  MaticePtr out, rot = Rotation({0.4L, -1.1L, 2.6L}), mirror = rot->Scale(3);
  for (int i = 1; i <= 3; ++i)
    mirror->Put(i, 3, -mirror->Get(i, 3)), rot->Put(i, 3, -rot->Get(i, 3));
  OrthonormalizeMatrix(*mirror, out);
  ExpectSameMatrix(*out, *rot, 1e-18L);  // determinant -1 stays
  // Columns of lengths 5, 1, 10; the rows have other lengths.
  const Extended rows[3][3] = {{3, 0, -8}, {4, 0, 6}, {0, 1, 0}};
  EXPECT_NEAR(MeanAxisScale(*FromRows(rows)), 16.0L / 3, 1e-18L);
  // Gram-Schmidt in column order: a triangular matrix becomes the identity.
  const Extended triangular[3][3] = {{1, 1, 1}, {0, 1, 1}, {0, 0, 1}};
  OrthonormalizeMatrix(*FromRows(triangular), out);
  ExpectSameMatrix(*out, *Matice::Identity(3), 1e-18L);
  OrthonormalizeMatrix(*Matice::Create(3, 1), out);
  EXPECT_EQ(out, nullptr);
}

// The best proper rotation: a reflection in h turns its smallest singular
// value's sign, singular values in any order, a rotated h gives its rotation
// back; rank 1, zero or non-finite h give none.
TEST(CovarianceRotation, ProperAndBestOrNone) {
  struct Case {
    Extended h[3][3];
    bool found;
    Extended rotation[3][3];
    Extended trace;
  };
  const Extended nan = std::nan("");
  const Case cases[] = {
      {{{3, 0, 0}, {0, 2, 0}, {0, 0, -1}}, true, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, 4},
      {{{3, 0, 0}, {0, -2, 0}, {0, 0, -1}}, true, {{1, 0, 0}, {0, -1, 0}, {0, 0, -1}}, 6},
      {{{-1, 0, 0}, {0, 3, 0}, {0, 0, 2}}, true, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, 4},
      {{{0, 2, 0}, {-5, 0, 0}, {0, 0, 0}}, true, {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}, 7},
      {{{1, 2, 3}, {2, 4, 6}, {3, 6, 9}}, false, {}, 0},
      {{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, false, {}, 0},
      {{{1, 0, 0}, {0, nan, 0}, {0, 0, 1}}, false, {}, 0},
  };
  for (const Case& c : cases) {
    Extended r[3][3];
    Extended trace = 0;
    ASSERT_EQ(ProperRotationFromCovariance(c.h, r, trace), c.found);
    if (!c.found) continue;
    EXPECT_NEAR(trace, c.trace, 1e-17L);
    ExpectSameMatrix(*FromRows(r), *FromRows(c.rotation), 1e-18L);
  }
  // h = R D V^T for a general rotation R and V: the best rotation is R V^T.
  MaticePtr left = Rotation({0.4L, -2.9L, 1.7L}), right = Rotation({-1.2L, 0.3L, 2.2L});
  const Extended d[3] = {1e6L, 3e5L, 2e-3L};
  Extended h[3][3], want[3][3];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      h[i][j] = want[i][j] = 0;
      for (int k = 0; k < 3; ++k) {
        h[i][j] += left->Get(i + 1, k + 1) * d[k] * right->Get(j + 1, k + 1);
        want[i][j] += left->Get(i + 1, k + 1) * right->Get(j + 1, k + 1);
      }
    }
  }
  Extended r[3][3];
  Extended trace = 0;
  ASSERT_TRUE(ProperRotationFromCovariance(h, r, trace));
  EXPECT_NEAR(trace, 1.3e6L + 2e-3L, 1e-11L);
  ExpectSameMatrix(*FromRows(r), *FromRows(want), 1e-17L);
}

}  // namespace
}  // namespace ternavo::testing
