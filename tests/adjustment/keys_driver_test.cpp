// The drivers: keys, leave-one-out diagnostics, and the state they leave
// behind whatever the outcome.
#include <gtest/gtest.h>

#include <tuple>
#include <string>
#include <vector>

#include "keys_test_support.h"
#include "numeric/notice.h"

namespace ternavo::testing {
namespace {

constexpr TTypTransformace kAllTypes[] = {kGeneralAffine, kSimilarity, kCongruence};

void RunDriver(TSeznam& s, TTypTransformace type) {
  if (type == kGeneralAffine) s.AdjustAffine();
  if (type == kSimilarity) s.AdjustSimilarity();
  if (type == kCongruence) s.AdjustCongruence();
}

TEST(KeysDriverTest, SimilarityAndCongruenceRecoverTheKey) {
  const std::pair<TTypTransformace, SimilarityTruth> cases[] = {
      {kSimilarity, {0.021L, -0.013L, 1.2L, 0.9996L, 5000, -3000, 120}},
      {kCongruence, {-0.01L, 0.03L, 3.5L, 1, -20, 40, 3}},
      {kSimilarity, {0.05L, 2.0L, 4.0L, 0.5L, 1, 2, 3}},  // Phi beyond pi/2
      {kSimilarity, {}},  // exact data a new user tries first: target = source
      {kCongruence, {}},
  };
  for (const auto& [type, truth] : cases) {
    TSeznam s;
    FillSimilar(s, 8, 5, truth, 2000, 1000, 250, 800, 0);
    RunDriver(s, type);
    ASSERT_TRUE(s.KeyValid) << type;
    const Extended got[] = {s.Omega, s.Phi, s.Kappa, s.Scale};
    const Extended want[] = {truth.omega, truth.phi, truth.kappa, truth.scale};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], want[i], 1e-15L) << type << " " << i;
    EXPECT_NEAR(s.TranslationX, truth.tX, 1e-10L) << type;
    EXPECT_NEAR(s.TranslationZ, truth.tZ, 1e-10L) << type;
    EXPECT_LT(s.M0, 1e-10L) << type;
    Matice r(3, 3);
    RotationFromAngles(r, s.Omega, s.Phi, s.Kappa);
    for (int i = 1; i <= 3; ++i) {
      EXPECT_EQ(s.RotationMatrix->Get(i, 2), r.Get(i, 2)) << type;
      EXPECT_EQ(s.ScaleMatrix->Get(i, i), s.Scale) << type;
    }
    EXPECT_EQ(s.TranslationVector->Get(2, 1), s.TranslationY) << type;
    for (const TIdentickyBod& p : s.IdenticalPoints) EXPECT_TRUE(p.M0WithoutValid) << type;
  }
}

TEST(KeysDriverTest, ThreeFourAndFiveUsedPoints) {
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

  // Three: a similarity or congruence key, but no diagnostics.
  for (TTypTransformace type : {kSimilarity, kCongruence}) {
    TSeznam s = GridData(3, 61);
    for (TIdentickyBod& p : s.IdenticalPoints) p.M0Without = 9, p.M0WithoutValid = true;
    RunDriver(s, type);
    EXPECT_TRUE(s.KeyValid) << type;
    for (const TIdentickyBod& p : s.IdenticalPoints) {
      EXPECT_FALSE(p.M0WithoutValid) << type;
      EXPECT_EQ(p.M0Without, 0) << type;
    }
  }
}

// A switched-off point keeps its old diagnostics and enters no key.
TEST(KeysDriverTest, SwitchedOffPointIsLeftAlone) {
  for (TTypTransformace type : kAllTypes) {
    TSeznam with = GridData(9, 51);
    with.IdenticalPoints[4].Used = false;
    with.IdenticalPoints[4].M0Without = 3.5L;
    with.IdenticalPoints[4].M0WithoutValid = true;
    with.IdenticalPoints[4].TargetX += 1000;  // would spoil any key it entered
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

// Flat site: every height equal. No affine key, but the similarity and
// congruence keys exist and are found from three-point starting values.
TEST(KeysDriverTest, FlatSite) {
  for (TTypTransformace type : kAllTypes) {
    TSeznam s;
    FillSimilar(s, 7, 71, {0, 0, 0.8L, 1.00002L, 300, -200, 5}, 1000, 2000, 0, 500, 0.01L);
    for (TIdentickyBod& p : s.IdenticalPoints) {
      // Without tilt the heights do not mix into X and Y.
      p.SourceZ = 245.125L;
      p.TargetZ = 5 + 1.00002L * 245.125L;
    }
    NoticeRecorder notices;
    RunDriver(s, type);
    if (type == kGeneralAffine) {
      EXPECT_FALSE(s.KeyValid);
      EXPECT_EQ(notices.Texts(), std::vector<std::string>{kSingularAffineNotice});
      continue;
    }
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

// Only one point lifts the cloud out of a tilted plane: without it the
// affine key is singular, which marks just that point's diagnostics as not
// valid.
TEST(KeysDriverTest, AffineLeaveOneOutIntoAPlane) {
  NoticeRecorder notices;
  TSeznam s;
  const Extended xy[6][2] = {{0, 0}, {100, 5}, {7, 90}, {120, 110}, {60, -40}, {30, 50}};
  for (int k = 0; k < 6; ++k) {
    const Extended z = k == 3 ? 25 : 250.7L + 0.031L * xy[k][0] - 0.017L * xy[k][1];
    AddPoint(s, k, xy[k][0], xy[k][1], z, xy[k][0] + 0.01L * k, xy[k][1] - 3, z + 1);
  }
  s.AdjustAffine();
  ASSERT_TRUE(s.KeyValid);
  EXPECT_TRUE(notices.Texts().empty());
  for (int k = 0; k < 6; ++k) EXPECT_EQ(s.IdenticalPoints[k].M0WithoutValid, k != 3) << k;
}

TEST(KeysDriverTest, TooFewAndTooManyPointsAreRefusedWithANotice) {
  TSeznam many;
  for (int k = 0; k <= kMaxUsedPoints; ++k) AddPoint(many, k, k, k % 7, k % 5, k, k % 7, k % 5);
  const std::tuple<TSeznam, TTypTransformace, std::string> cases[] = {
      {GridData(3, 81), kGeneralAffine, "Málo identických bodů."},
      {many, kGeneralAffine, kTooManyPointsNotice},
      {many, kSimilarity, kTooManyPointsNotice},
      {many, kCongruence, kTooManyPointsNotice}};
  for (auto [s, type, notice] : cases) {
    NoticeRecorder notices;
    s.KeyValid = true;
    RunDriver(s, type);
    EXPECT_FALSE(s.KeyValid) << type;
    EXPECT_EQ(notices.Texts(), std::vector<std::string>{notice}) << type;
    EXPECT_EQ(s.LeftOutIndex, -1);
  }
}

// Whatever the outcome, no point stays left out and the Used flags are as
// before; an arithmetic fault reaches the caller with KeyValid false.
TEST(KeysDriverTest, StateIsRestoredAfterEveryOutcome) {
  TSeznam coincident = GridData(3, 93);
  coincident.IdenticalPoints[1] = coincident.IdenticalPoints[0];
  TSeznam overflowing = GridData(6, 94);
  overflowing.IdenticalPoints[2].SourceX = 1e2500L;
  const std::tuple<const char*, TSeznam, bool> cases[] = {
      {"success", GridData(8, 91), false},
      {"too few points", GridData(2, 92), false},
      {"coincident points", coincident, true},
      {"overflowing coordinate", overflowing, true}};
  for (const auto& [name, data, throws] : cases) {
    for (TTypTransformace type : kAllTypes) {
      if (type == kGeneralAffine && std::string(name) == "coincident points") continue;
      TSeznam s = data;
      s.IdenticalPoints.push_back(s.IdenticalPoints.front());
      s.IdenticalPoints.back().Used = false;
      s.LeaveOut(0);  // a stale left-out point is put back first
      s.LeaveOut(-1);
      std::vector<bool> before;
      for (const TIdentickyBod& p : s.IdenticalPoints) before.push_back(p.Used);
      s.LeaveOut(1);
      s.KeyValid = true;
      NoticeRecorder notices;
      if (throws) {
        EXPECT_THROW(RunDriver(s, type), ArithmeticFault) << name << " " << type;
        EXPECT_FALSE(s.KeyValid) << name << " " << type;
      } else {
        RunDriver(s, type);
      }
      EXPECT_EQ(s.LeftOutIndex, -1) << name << " " << type;
      for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(s.IdenticalPoints[i].Used, before[i]) << name << " " << type << " " << i;
      }
    }
  }
}

}  // namespace
}  // namespace ternavo::testing
