#include "adjustment/key_quality.h"

#include <gtest/gtest.h>

#include <cmath>

#include "adjustment/keys_test_support.h"

namespace ternavo {
namespace {

void RunDriver(TSeznam& s, TTypTransformace type) {
  testing::RunDriver(s, type);
  ASSERT_TRUE(s.KeyValid);
}

// Six points on the axes around (10, 0, 0), targets = sources plus a small
// disturbance that leaves redundancy. With this symmetric layout the normal
// matrix is diagonal in centred parameters and the sigmas have closed forms.
TSeznam Octahedron() {
  TSeznam s;
  const Extended c[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  const Extended noise[6][3] = {{2e-6L, -1e-6L, 3e-6L},  {-1e-6L, 2e-6L, 1e-6L},
                                {3e-6L, 1e-6L, -2e-6L},  {-2e-6L, -3e-6L, 1e-6L},
                                {1e-6L, -2e-6L, -1e-6L}, {-3e-6L, 3e-6L, 2e-6L}};
  for (int k = 0; k < 6; ++k) {
    const Extended x = 10 + c[k][0], y = c[k][1], z = c[k][2];
    testing::AddPoint(s, k + 1, x, y, z, x + noise[k][0], y + noise[k][1], z + noise[k][2]);
  }
  return s;
}

struct SigmaCase {
  TTypTransformace type;
  // sigma / m0 squared, in the printed order
  std::vector<Extended> expected;
};

TEST(KeyQuality, SigmasOfSymmetricLayoutMatchClosedForm) {
  const Extended a = 0.5L;                    // matrix element: 1 / (sum of x^2 = 2)
  const Extended ang = 0.25L;                 // angle: 1 / 4
  const Extended tx = 1.0L / 6 + 100.0L / 6;  // 1/n + centroid^2 / (sum of squares = 6)
  const Extended tyz = 1.0L / 6 + 100.0L / 4;
  const SigmaCase cases[] = {
      {kGeneralAffine,
       {a, a, a, a, a, a, a, a, a, 1.0L / 6 + 100 * a, 1.0L / 6 + 100 * a, 1.0L / 6 + 100 * a}},
      {kSimilarity, {ang, ang, ang, tx, tyz, tyz, 1.0L / 6}},
      {kCongruence, {ang, ang, ang, 1.0L / 6, tyz, tyz}},
  };
  for (const SigmaCase& c : cases) {
    SCOPED_TRACE(c.type);
    TSeznam s = Octahedron();
    RunDriver(s, c.type);
    const KeyQuality q = ComputeKeyQuality(s, c.type);
    ASSERT_TRUE(q.Valid);
    ASSERT_GT(s.M0, 0);
    EXPECT_EQ(q.Redundancy, 18 - ParameterCount(c.type));
    ASSERT_EQ(q.Sigmas.size(), c.expected.size());
    for (std::size_t k = 0; k < c.expected.size(); ++k) {
      const Extended expected = s.M0 * std::sqrt(c.expected[k]);
      EXPECT_NEAR(static_cast<double>(q.Sigmas[k]), static_cast<double>(expected),
                  1e-4 * static_cast<double>(expected))
          << "parameter " << k;
    }
  }
}

TEST(KeyQuality, ResidualOfSwitchedOffPointIsItsDisturbance) {
  for (TTypTransformace type : {kGeneralAffine, kSimilarity, kCongruence}) {
    SCOPED_TRACE(type);
    TSeznam s;
    testing::SimilarityTruth truth{0.01L, -0.02L, 1.2L, 1.0L, 500, -300, 20};
    if (type == kSimilarity) truth.scale = 1.00002L;
    testing::FillSimilar(s, 8, 7, truth, 1000, 2000, 100, 300, 0);
    TIdentickyBod& bad = s.IdenticalPoints[3];
    bad.TargetX += 0.1L;
    bad.TargetY -= 0.2L;
    bad.TargetZ += 0.3L;
    bad.Used = false;
    RunDriver(s, type);
    const KeyQuality q = ComputeKeyQuality(s, type);
    ASSERT_EQ(q.Residuals.size(), 8u);
    for (std::size_t k = 0; k < 8; ++k) {
      const PointResidual& r = q.Residuals[k];
      EXPECT_EQ(r.Name, s.IdenticalPoints[k].Name);
      EXPECT_EQ(r.Used, k != 3);
      const Extended want[3] = {k == 3 ? -0.1L : 0, k == 3 ? 0.2L : 0, k == 3 ? -0.3L : 0};
      for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(static_cast<double>(r.V[i]), static_cast<double>(want[i]), 1e-9);
    }
    EXPECT_NEAR(static_cast<double>(q.Residuals[3].VXY), std::sqrt(0.05), 1e-9);
    EXPECT_NEAR(static_cast<double>(q.Residuals[3].VXYZ), std::sqrt(0.14), 1e-9);
  }
}

TEST(KeyQuality, AffineResidualSquareSumIsRedundancyTimesM0Squared) {
  TSeznam s = testing::GridData(12, 3);
  s.IdenticalPoints[5].Used = false;
  RunDriver(s, kGeneralAffine);
  const KeyQuality q = ComputeKeyQuality(s, kGeneralAffine);
  Extended vv = 0;
  for (const PointResidual& r : q.Residuals) {
    if (r.Used) vv += r.V[0] * r.V[0] + r.V[1] * r.V[1] + r.V[2] * r.V[2];
  }
  EXPECT_EQ(q.Redundancy, 3 * 11 - 12);
  EXPECT_NEAR(static_cast<double>(vv / (q.Redundancy * s.M0 * s.M0)), 1.0, 1e-9);
}

TEST(KeyQuality, NoRedundancyGivesZeroSigmasAndNoKeyGivesNothing) {
  TSeznam s = Octahedron();
  s.IdenticalPoints[3].Used = false;
  s.IdenticalPoints[5].Used = false;
  s.IdenticalPoints[1].TargetX += 0.5L;  // four points fit any affine key exactly
  RunDriver(s, kGeneralAffine);
  const KeyQuality q = ComputeKeyQuality(s, kGeneralAffine);
  EXPECT_EQ(q.Redundancy, 0);
  EXPECT_EQ(q.Sigmas, std::vector<Extended>(12, 0));
  s.KeyValid = false;
  EXPECT_FALSE(ComputeKeyQuality(s, kGeneralAffine).Valid);
}

}  // namespace
}  // namespace ternavo
