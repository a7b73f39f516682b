// The drivers: keys, leave-one-out diagnostics, and the state they leave
// behind whatever the outcome.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "keys_test_support.h"
#include "text/notice.h"

namespace ternavo::testing {
namespace {

std::vector<bool> UsedFlags(const TSeznam& s) {
  std::vector<bool> used;
  for (const TIdentickyBod& p : s.IdenticalPoints) used.push_back(p.Used);
  return used;
}

void RunDriver(TSeznam& s, TTypTransformace type) {
  if (type == kGeneralAffine) s.AdjustAffine();
  if (type == kSimilarity) s.AdjustSimilarity();
  if (type == kCongruence) s.AdjustCongruence();
}

TEST(KeysDriverTest, SimilarityAndCongruenceRecoverTheKey) {
  struct Case {
    TTypTransformace type;
    SimilarityTruth truth;
  };
  const Case cases[] = {
      {kSimilarity, {0.021L, -0.013L, 1.2L, 0.9996L, 5000, -3000, 120}},
      {kCongruence, {-0.01L, 0.03L, 3.5L, 1, -20, 40, 3}},
      {kSimilarity, {0.05L, 2.0L, 4.0L, 0.5L, 1, 2, 3}},  // Phi beyond pi/2
  };
  for (const Case& c : cases) {
    TSeznam s;
    FillSimilar(s, 8, 5, c.truth, 2000, 1000, 250, 800, 0);
    RunDriver(s, c.type);
    ASSERT_TRUE(s.KeyValid) << c.type;
    EXPECT_NEAR(s.Omega, c.truth.omega, 1e-15L) << c.type;
    EXPECT_NEAR(s.Phi, c.truth.phi, 1e-15L) << c.type;
    EXPECT_NEAR(s.Kappa, c.truth.kappa, 1e-15L) << c.type;
    EXPECT_NEAR(s.Scale, c.truth.scale, 1e-15L) << c.type;
    EXPECT_NEAR(s.TranslationX, c.truth.tX, 1e-10L) << c.type;
    EXPECT_NEAR(s.TranslationZ, c.truth.tZ, 1e-10L) << c.type;
    EXPECT_LT(s.M0, 1e-10L) << c.type;
    Matice r(3, 3);
    RotationFromAngles(r, s.Omega, s.Phi, s.Kappa);
    for (int i = 1; i <= 3; ++i) {
      EXPECT_EQ(s.RotationMatrix->Get(i, 2), r.Get(i, 2)) << c.type;
      EXPECT_EQ(s.ScaleMatrix->Get(i, i), s.Scale) << c.type;
    }
    EXPECT_EQ(s.TranslationVector->Get(2, 1), s.TranslationY) << c.type;
    for (const TIdentickyBod& p : s.IdenticalPoints) EXPECT_TRUE(p.M0WithoutValid) << c.type;
  }
}

// Exact data a new user tries first: target = source.
TEST(KeysDriverTest, IdenticalSystemsGiveTheIdentityKey) {
  for (TTypTransformace type : {kGeneralAffine, kSimilarity, kCongruence}) {
    TSeznam s;
    for (int k = 0; k < 6; ++k) {
      AddPoint(s, k, 100 * k, 50 - 7 * k * k, 3 * k * k * k, 100 * k, 50 - 7 * k * k, 3 * k * k * k);
    }
    RunDriver(s, type);
    ASSERT_TRUE(s.KeyValid) << type;
    EXPECT_LT(s.M0, 1e-12L) << type;
    for (int i = 1; i <= 3; ++i) {
      EXPECT_NEAR(s.RotationMatrix->Get(i, i), 1, 1e-15L) << type;
      EXPECT_NEAR(s.TranslationVector->Get(i, 1), 0, 1e-12L) << type;
    }
  }
}

TEST(KeysDriverTest, AffineWithFourAndFivePoints) {
  TSeznam four = GridData(4, 41);
  four.AdjustAffine();
  EXPECT_TRUE(four.KeyValid);
  EXPECT_EQ(four.M0, 0);
  for (const TIdentickyBod& p : four.IdenticalPoints) EXPECT_FALSE(p.M0WithoutValid);
  EXPECT_EQ(four.FindSuspiciousPoint(), -1);

  // Five used points behind a switched-off first one: every M0Without is 0,
  // so the tie goes to the lowest used index, 1.
  TSeznam five = GridData(6, 42);
  five.IdenticalPoints[0].Used = false;
  five.AdjustAffine();
  EXPECT_TRUE(five.KeyValid);
  EXPECT_GT(five.M0, 0);
  for (std::size_t i = 1; i < 6; ++i) {
    EXPECT_TRUE(five.IdenticalPoints[i].M0WithoutValid) << i;
    EXPECT_EQ(five.IdenticalPoints[i].M0Without, 0) << i;
  }
  EXPECT_EQ(five.FindSuspiciousPoint(), 1);
}

// A switched-off point keeps its old diagnostics and enters no key.
TEST(KeysDriverTest, SwitchedOffPointIsLeftAlone) {
  for (TTypTransformace type : {kGeneralAffine, kSimilarity, kCongruence}) {
    TSeznam with = GridData(9, 51);
    TIdentickyBod& off = with.IdenticalPoints[4];
    off.Used = false;
    off.M0Without = 3.5L;
    off.M0WithoutValid = true;
    off.TargetX += 1000;  // would spoil any key it entered
    TSeznam without = GridData(9, 51);
    without.IdenticalPoints.erase(without.IdenticalPoints.begin() + 4);
    RunDriver(with, type);
    RunDriver(without, type);
    ASSERT_TRUE(with.KeyValid) << type;
    EXPECT_EQ(with.IdenticalPoints[4].M0Without, 3.5L) << type;
    EXPECT_TRUE(with.IdenticalPoints[4].M0WithoutValid) << type;
    EXPECT_FALSE(with.IdenticalPoints[4].Used) << type;
    EXPECT_EQ(with.M0, without.M0) << type;
    EXPECT_EQ(with.IdenticalPoints[5].M0Without, without.IdenticalPoints[4].M0Without) << type;
  }
}

TEST(KeysDriverTest, ThreePointsGiveAKeyButNoDiagnostics) {
  for (TTypTransformace type : {kSimilarity, kCongruence}) {
    TSeznam s = GridData(3, 61);
    for (TIdentickyBod& p : s.IdenticalPoints) {
      p.M0Without = 9;
      p.M0WithoutValid = true;
    }
    RunDriver(s, type);
    EXPECT_TRUE(s.KeyValid) << type;
    for (const TIdentickyBod& p : s.IdenticalPoints) {
      EXPECT_FALSE(p.M0WithoutValid) << type;
      EXPECT_EQ(p.M0Without, 0) << type;
    }
  }
}

// Flat site: every height equal. No affine key, but the similarity and
// congruence keys exist and are found from three-point starting values.
TEST(KeysDriverTest, FlatSite) {
  auto flat = []() {
    TSeznam s;
    SimilarityTruth truth{0, 0, 0.8L, 1.00002L, 300, -200, 5};
    FillSimilar(s, 7, 71, truth, 1000, 2000, 0, 500, 0.01L);
    for (TIdentickyBod& p : s.IdenticalPoints) {
      // Without tilt the heights do not mix into X and Y.
      p.SourceZ = 245.125L;
      p.TargetZ = 5 + 1.00002L * 245.125L;
    }
    return s;
  };
  {
    NoticeRecorder notices;
    TSeznam s = flat();
    s.AdjustAffine();
    EXPECT_FALSE(s.KeyValid);
    ASSERT_EQ(notices.Texts().size(), 1u);
    EXPECT_EQ(notices.Texts()[0], kSingularAffineNotice);
  }
  for (TTypTransformace type : {kSimilarity, kCongruence}) {
    NoticeRecorder notices;
    TSeznam s = flat();
    RunDriver(s, type);
    ASSERT_TRUE(s.KeyValid) << type;
    EXPECT_TRUE(notices.Texts().empty()) << type;
    EXPECT_NEAR(s.Kappa, 0.8L, 1e-4L) << type;
    EXPECT_LT(s.M0, 0.05L) << type;
    for (const TIdentickyBod& p : s.IdenticalPoints) {
      EXPECT_TRUE(p.M0WithoutValid) << type;
      EXPECT_GT(p.M0Without, 0) << type;
    }
  }
}

// Only one point lifts the cloud out of a plane: without it the affine key
// is singular, which marks just that point's diagnostics as not valid.
TEST(KeysDriverTest, AffineLeaveOneOutIntoAPlane) {
  NoticeRecorder notices;
  TSeznam s;
  const Extended xy[6][2] = {{0, 0}, {100, 5}, {7, 90}, {120, 110}, {60, -40}, {30, 50}};
  for (int k = 0; k < 6; ++k) {
    const Extended z = k == 3 ? 25 : 0;
    AddPoint(s, k, xy[k][0], xy[k][1], z, xy[k][0] + 0.01L * k, xy[k][1] - 3, z + 1);
  }
  s.AdjustAffine();
  ASSERT_TRUE(s.KeyValid);
  EXPECT_TRUE(notices.Texts().empty());
  for (int k = 0; k < 6; ++k) EXPECT_EQ(s.IdenticalPoints[k].M0WithoutValid, k != 3) << k;
}

TEST(KeysDriverTest, AffineWithTooFewPointsSaysSo) {
  NoticeRecorder notices;
  TSeznam s = GridData(3, 81);
  s.KeyValid = true;
  s.AdjustAffine();
  EXPECT_FALSE(s.KeyValid);
  ASSERT_EQ(notices.Texts().size(), 1u);
  EXPECT_EQ(notices.Texts()[0], std::string("Málo identických bodů."));
}

TEST(KeysDriverTest, TooManyPointsAreRefused) {
  TSeznam s;
  for (int k = 0; k <= kMaxUsedPoints; ++k) AddPoint(s, k, k, k % 7, k % 5, k, k % 7, k % 5);
  for (TTypTransformace type : {kGeneralAffine, kSimilarity, kCongruence}) {
    NoticeRecorder notices;
    s.KeyValid = true;
    RunDriver(s, type);
    EXPECT_FALSE(s.KeyValid) << type;
    ASSERT_EQ(notices.Texts().size(), 1u) << type;
    EXPECT_EQ(notices.Texts()[0], kTooManyPointsNotice) << type;
    EXPECT_EQ(s.LeftOutIndex, -1);
  }
}

// Whatever the outcome, no point stays left out and the Used flags are as
// before; an arithmetic fault reaches the caller with KeyValid false.
TEST(KeysDriverTest, StateIsRestoredAfterEveryOutcome) {
  struct Case {
    const char* name;
    std::function<TSeznam()> data;
    bool throws;
  };
  const Case cases[] = {
      {"success", [] { return GridData(8, 91); }, false},
      {"too few points", [] { return GridData(2, 92); }, false},
      {"coincident points",
       [] {
         TSeznam s = GridData(3, 93);
         s.IdenticalPoints[1] = s.IdenticalPoints[0];
         return s;
       },
       true},
      {"overflowing coordinate",
       [] {
         TSeznam s = GridData(6, 94);
         s.IdenticalPoints[2].SourceX = 1e2500L;
         return s;
       },
       true},
  };
  for (const Case& c : cases) {
    for (TTypTransformace type : {kGeneralAffine, kSimilarity, kCongruence}) {
      if (type == kGeneralAffine && std::string(c.name) == "coincident points") continue;
      TSeznam s = c.data();
      s.IdenticalPoints.push_back(s.IdenticalPoints.front());
      s.IdenticalPoints.back().Used = false;
      s.LeaveOut(0);  // a stale left-out point is put back first
      s.LeaveOut(-1);
      const std::vector<bool> before = UsedFlags(s);
      s.LeaveOut(1);
      s.KeyValid = true;
      NoticeRecorder notices;
      if (c.throws) {
        EXPECT_THROW(RunDriver(s, type), ArithmeticFault) << c.name << " " << type;
        EXPECT_FALSE(s.KeyValid) << c.name << " " << type;
      } else {
        RunDriver(s, type);
      }
      EXPECT_EQ(s.LeftOutIndex, -1) << c.name << " " << type;
      EXPECT_EQ(UsedFlags(s), before) << c.name << " " << type;
    }
  }
}

}  // namespace
}  // namespace ternavo::testing
