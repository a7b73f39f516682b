#include <cmath>

#include "geometry_checks.h"

namespace ternavo {
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

TEST(Vectors, ProductsUnitAndAliasing) {
  TVektor a{2, 3, 4};
  CrossProduct(a, TVektor{5, 6, 7}, a);  // the output may be an input
  EXPECT_TRUE(a.x == -3 && a.y == 6 && a.z == -3);
  UnitVector(TVektor{3, 0, 4}, a);
  EXPECT_NEAR(a.x, 0.6L, 1e-18L);
  EXPECT_NEAR(a.z, 0.8L, 1e-18L);
  Array3x3 cols;
  VectorsToColumns(TVektor{1, 2, 3}, TVektor{4, 5, 6}, TVektor{7, 8, 9}, cols);
  EXPECT_TRUE(cols[0][1] == 4 && cols[2][0] == 3 && cols[1][2] == 8);
  TVektor kept{1, 1, 1};
  ExpectDegenerate([&] { UnitVector(TVektor{0, 0, 0}, kept); });
  EXPECT_EQ(kept.x, 1);
}

// R must be Ry(phi) * Rx(omega) * Rz(kappa) of the coordinate rotations.
TEST(Rotation, EqualsProductOfElementaryRotations) {
  for (Angles a : {Angles{0.3L, -0.7L, 1.9L}, Angles{-1.2L, 2.5L, -0.4L}}) {
    const Extended so = sinl(a.omega), co = cosl(a.omega), sp = sinl(a.phi), cp = cosl(a.phi),
                   sk = sinl(a.kappa), ck = cosl(a.kappa);
    const Extended rz[3][3] = {{ck, sk, 0}, {-sk, ck, 0}, {0, 0, 1}};
    const Extended rx[3][3] = {{1, 0, 0}, {0, co, so}, {0, -so, co}};
    const Extended ry[3][3] = {{cp, 0, -sp}, {0, 1, 0}, {sp, 0, cp}};
    MaticePtr expected = FromRows(ry)->Multiply(*FromRows(rx)->Multiply(*FromRows(rz)));
    ExpectSameMatrix(*Rotation(a), *expected, 1e-18L);
  }
  ExpectSameMatrix(*Rotation({0, 0, 0}), *Matice::Identity(3), 0);
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
  for (Extended k : {1.6L, 3.2L, 4.7L}) EXPECT_NEAR(AnglesOf(*Rotation({0, 0, k})).kappa, k, 1e-17L);
}

TEST(Rotation, NegativeCosOmegaGivesTheEquivalentTriple) {
  MaticePtr r = Rotation({2, 0.3L, 0.4L});
  const Angles a = AnglesOf(*r);
  EXPECT_NEAR(a.omega, kPi - 2, 1e-17L);
  EXPECT_NEAR(a.phi, 0.3L + kPi, 1e-17L);
  EXPECT_NEAR(a.kappa, 0.4L + kPi, 1e-17L);
  ExpectSameMatrix(*Rotation(a), *r, 1e-17L);
}

// Exact right angles put zeros where the one-argument formulas divide.
TEST(Rotation, RightAnglesStillRebuildTheirMatrix) {
  const Extended s = 0.6L, c = 0.8L;
  const Extended cases[][3][3] = {
      {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}},   // Phi = pi/2
      {{0, 0, 1}, {0, 1, 0}, {-1, 0, 0}},   // Phi = -pi/2
      {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}},   // Kappa = pi/2
      {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},   // Kappa = -pi/2 with Phi = pi
      {{0, s, -c}, {0, c, s}, {1, 0, 0}},   // Phi = pi/2 after some Omega
      {{1, 0, 0}, {0, 0, 1}, {0, -1, 0}},   // Omega = pi/2
      {{c, -s, 0}, {0, 0, -1}, {s, c, 0}},  // Omega = -pi/2, Phi - Kappa alone known
      {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}},    // not a rotation: must not fault
  };
  for (int n = 0; n < 8; ++n) {
    MaticePtr m = FromRows(cases[n]);
    Angles a;
    ASSERT_NO_THROW(a = AnglesOf(*m)) << n;
    ASSERT_TRUE(std::isfinite(a.omega) && std::isfinite(a.phi) && std::isfinite(a.kappa)) << n;
    if (n < 7) ExpectSameMatrix(*Rotation(a), *m, 1e-18L);
  }
}

using Model = Extended (*)(Extended, Extended, Extended, Extended, Extended, Extended, Extended,
                           Extended, Extended, Extended);
using Derivative = Extended (*)(Extended, Extended, Extended, Extended, Extended, Extended,
                                Extended);
using TrigDerivative = Extended (*)(Extended, Extended, Extended, Extended, const RotationTrig&);

Extended NoPhiInY(Extended, Extended, Extended, Extended, Extended, Extended, Extended) {
  return 0;
}

TEST(Model, DerivativesMatchCentralDifferences) {
  struct Case {
    Model model;
    int parameter;  // 0 scale, 1 omega, 2 phi, 3 kappa
    Derivative derivative;
    TrigDerivative trig;
  };
  const Case cases[] = {
      {ModelX, 0, DXdScale, DXdScale}, {ModelY, 0, DYdScale, DYdScale},
      {ModelZ, 0, DZdScale, DZdScale}, {ModelX, 1, DXdOmega, DXdOmega},
      {ModelX, 2, DXdPhi, DXdPhi},     {ModelX, 3, DXdKappa, DXdKappa},
      {ModelY, 1, DYdOmega, DYdOmega}, {ModelY, 2, NoPhiInY, nullptr},
      {ModelY, 3, DYdKappa, DYdKappa}, {ModelZ, 1, DZdOmega, DZdOmega},
      {ModelZ, 2, DZdPhi, DZdPhi},     {ModelZ, 3, DZdKappa, DZdKappa},
  };
  const TVektor points[] = {{1, 2, 3}, {-150.25L, 87.5L, -12.75L}, {0.5L, -4, 2}};
  const Angles angles[] = {{0.1L, 0.2L, 0.3L}, {-1.1L, 2.7L, 4.0L}, {1.4L, -0.6L, -1.2L}};
  const Extended h = 1e-6L;
  for (int n = 0; n < 12; ++n) {
    const Case& c = cases[n];
    for (const TVektor& p : points)
      for (Extended m : {1.0L, 0.9995L, 2.5L})
        for (const Angles& a : angles) {
          auto at = [&](Extended delta) {
            Extended v[4] = {m, a.omega, a.phi, a.kappa};
            v[c.parameter] += delta;
            return c.model(p.x, p.y, p.z, v[0], v[1], v[2], v[3], 7, -3, 11);
          };
          const Extended numeric = (at(h) - at(-h)) / (2 * h);
          const Extended exact = c.derivative(p.x, p.y, p.z, m, a.omega, a.phi, a.kappa);
          EXPECT_NEAR(exact, numeric, 1e-8L * (1 + fabsl(numeric))) << n;
          if (c.trig != nullptr) {  // the hot-loop form gives the very same bits
            EXPECT_EQ(exact, c.trig(p.x, p.y, p.z, m, MakeTrig(a.omega, a.phi, a.kappa)));
          }
        }
  }
  // Each model adds its own translation component.
  EXPECT_EQ(ModelX(4, 5, 6, 1, 0, 0, 0, 7, 8, 9), 11);
  EXPECT_EQ(ModelY(4, 5, 6, 1, 0, 0, 0, 7, 8, 9), 13);
  EXPECT_EQ(ModelZ(4, 5, 6, 0, 0.3L, 0.2L, 0.1L, 7, 8, 9), 9);
}

}  // namespace
}  // namespace ternavo
