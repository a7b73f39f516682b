#include "adjustment/outlier_test.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "adjustment/key_quality.h"
#include "keys_test_support.h"

namespace ternavo {
namespace {

// Expected values from the regularised incomplete beta and gamma functions
// in 40-digit arithmetic: P(F(d1, d2) > x) = I_{d2/(d2 + d1 x)}(d2/2, d1/2).
TEST(OutlierTest, OnePoint) {
  struct Case {
    Extended m0, m0Without;
    bool valid;
    int32_t r;
    NoTestReason reason;
    Extended f, p;
    bool outlier;  // at a point level of 10 %
  };
  const Case cases[] = {
      {0.01L, 0.005L, true, 6, NoTestReason::None, 7, 0.072146806407193739L, true},
      {0.02L, 0.01L, true, 4, NoTestReason::None, 5, 0.31496235752570744L, false},  // r - 3 = 1
      {0.012L, 0.012L, true, 27, NoTestReason::None, 1, 0.40984111462360092L, false},
      {0.01L, 0.002L, true, 30, NoTestReason::None, 241, 1.3554277967702210e-19L, true},
      // Worse without the point (an iterative key a hair off): nothing against it.
      {0.01L, 0.02L, true, 10, NoTestReason::None, -1.5L, 1, false},
      {0.01L, 0.005L, true, 3, NoTestReason::NoRedundancy, 0, 0, false},
      {0.01L, 0.005L, false, 9, NoTestReason::LeaveOutInvalid, 0, 0, false},
      {0.01L, 0, true, 9, NoTestReason::ZeroM0Without, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<double>(c.m0Without));
    SCOPED_TRACE(c.r);
    const PointTest t = TestPoint(c.m0, c.m0Without, c.valid, c.r, 0.1L);
    EXPECT_EQ(t.Reason, c.reason);
    EXPECT_EQ(t.Outlier, c.outlier);
    if (!t.Tested()) continue;
    EXPECT_NEAR(static_cast<double>(t.F), static_cast<double>(c.f), 1e-12 * std::fabs(c.f));
    EXPECT_NEAR(static_cast<double>(t.P), static_cast<double>(c.p), 1e-14 * c.p + 1e-30);
  }
}

TEST(OutlierTest, LevelsAndTestOfM0) {
  EXPECT_EQ(SidakLevel(0.05L, 1), 0.05L);
  EXPECT_NEAR(static_cast<double>(SidakLevel(0.05L, 10)), 0.0051161968918237011, 1e-17);

  // r = 10, m0 = 1.2 sigma: chi2 = 14.4 inside (3.2470, 20.4832).
  const GlobalTest g = TestM0(0.012L, 10, 0.01L, 0.05L);
  ASSERT_TRUE(g.Made);
  EXPECT_NEAR(static_cast<double>(g.Chi2), 14.4, 1e-12);
  EXPECT_NEAR(static_cast<double>(g.Lower), 3.2469727802368411, 1e-12);
  EXPECT_NEAR(static_cast<double>(g.Upper), 20.483177350807397, 1e-12);
  EXPECT_NEAR(static_cast<double>(g.P), 0.31103123138160483, 1e-14);
  EXPECT_EQ(g.Verdict, GlobalVerdict::Agrees);
  EXPECT_EQ(TestM0(0.02L, 10, 0.01L, 0.05L).Verdict, GlobalVerdict::M0TooLarge);
  EXPECT_EQ(TestM0(0.004L, 10, 0.01L, 0.05L).Verdict, GlobalVerdict::M0TooSmall);
  const GlobalTest none = TestM0(0.01L, 0, 0.01L, 0.05L);
  EXPECT_TRUE(none.Requested);
  EXPECT_FALSE(none.Made);
}

// The national-grid example has one blunder, on point 3107: every type must
// find it at 5 %, and only it.
TEST(OutlierTest, BlunderIsTheOnlyOutlier) {
  for (TTypTransformace type : {kGeneralAffine, kSimilarity, kCongruence}) {
    SCOPED_TRACE(type);
    TSeznam s;
    ASSERT_TRUE(s.LoadFromFile(TERNAVO_SOURCE_DIR "/examples/national_grid_blunder.txt"));
    testing::RunDriver(s, type);
    ASSERT_TRUE(s.KeyValid);
    const KeyQuality q = ComputeKeyQuality(s, type);
    const OutlierTests t = ComputeOutlierTests(s, q, {});
    ASSERT_TRUE(t.Valid);
    EXPECT_EQ(t.UsedCount, 10);
    EXPECT_EQ(t.Df2, 27 - ParameterCount(type));
    ASSERT_TRUE(t.HasCritical);
    // F(3, r - 3) quantile 1 - alpha_i, alpha_i the Sidak level of 5 % over 10 points.
    const double critical = type == kGeneralAffine ? 6.4394029931519886
                            : type == kSimilarity  ? 5.7876229967865586
                                                   : 5.7011562157807325;
    EXPECT_NEAR(static_cast<double>(t.Critical), critical, 1e-12);
    for (std::size_t i = 0; i < t.Points.size(); ++i) {
      SCOPED_TRACE(s.IdenticalPoints[i].Name);
      ASSERT_TRUE(t.Points[i].Tested());
      EXPECT_EQ(t.Points[i].Outlier, s.IdenticalPoints[i].Name == "3107");
      EXPECT_EQ(t.Points[i].Outlier, t.Points[i].F > t.Critical);
    }
  }
}

// For the affine key, leaving point i out lowers the sum of squares by
// v_i^T Qvv_i^-1 v_i, with the cofactor block Qvv_i = (1 - h_i) I of its
// three coordinates, h_i = a_i^T (A^T A)^-1 a_i for the design row
// a_i = (x, y, z, 1) of the point. F from that must be the F of the test.
TEST(OutlierTest, AffineFFromResidualAndCofactor) {
  TSeznam s;
  testing::FillSimilar(s, 9, 7, {0.3L, -0.2L, 1.1L, 1.0002L, 400, -250, 30}, 5000, 2000, 100, 800,
                       0.02L);
  s.IdenticalPoints[4].TargetY += 0.15L;
  s.IdenticalPoints[7].Used = false;
  s.AdjustAffine();
  ASSERT_TRUE(s.KeyValid);
  const KeyQuality q = ComputeKeyQuality(s, kGeneralAffine);
  const OutlierTests t = ComputeOutlierTests(s, q, {});
  ASSERT_EQ(t.Df2, 9);

  Matice normal(4, 4);
  for (const TIdentickyBod& p : s.IdenticalPoints) {
    if (!p.Used) continue;
    const Extended a[4] = {p.SourceX - 5000, p.SourceY - 2000, p.SourceZ - 100, 1};
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) normal.Put(i + 1, j + 1, normal.Get(i + 1, j + 1) + a[i] * a[j]);
    }
  }
  MaticePtr inverse = normal.Inverse();
  ASSERT_TRUE(inverse);
  const Extended omega = q.Redundancy * q.M0 * q.M0;
  int outliers = 0;
  for (std::size_t k = 0; k < s.IdenticalPoints.size(); ++k) {
    const TIdentickyBod& p = s.IdenticalPoints[k];
    if (!p.Used) {
      EXPECT_EQ(t.Points[k].Reason, NoTestReason::NotUsed);
      continue;
    }
    const Extended a[4] = {p.SourceX - 5000, p.SourceY - 2000, p.SourceZ - 100, 1};
    Extended h = 0;
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) h += a[i] * inverse->Get(i + 1, j + 1) * a[j];
    }
    const Extended* v = q.Residuals[k].V;
    const Extended drop = (v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) / (1 - h);
    const Extended f = (drop / 3) / ((omega - drop) / t.Df2);
    SCOPED_TRACE(p.Name);
    EXPECT_NEAR(static_cast<double>(t.Points[k].F), static_cast<double>(f),
                1e-9 * static_cast<double>(f));
    outliers += t.Points[k].Outlier;
  }
  EXPECT_EQ(outliers, 1);
  EXPECT_TRUE(t.Points[4].Outlier);
}

}  // namespace
}  // namespace ternavo
