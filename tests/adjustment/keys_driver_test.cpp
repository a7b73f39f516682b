// The drivers: keys, leave-one-out diagnostics, and the state they leave
// behind whatever the outcome.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "keys_test_support.h"
#include "numeric/notice.h"
#include "text/messages.h"

namespace ternavo::testing {
namespace {

constexpr TTypTransformace kAllTypes[] = {kGeneralAffine, kSimilarity, kCongruence};

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

  // Five used points behind a switched-off first one: each run leaves four,
  // which fit exactly, so no point is diagnosed and none is suspicious.
  TSeznam five = GridData(6, 42);
  five.IdenticalPoints[0].Used = false;
  for (TIdentickyBod& p : five.IdenticalPoints) p.M0Without = 9, p.M0WithoutValid = true;
  five.AdjustAffine();
  EXPECT_TRUE(five.KeyValid);
  EXPECT_GT(five.M0, 0);
  for (std::size_t i = 1; i < 6; ++i) {
    EXPECT_FALSE(five.IdenticalPoints[i].M0WithoutValid) << i;
    EXPECT_EQ(five.IdenticalPoints[i].M0Without, 9) << i;
  }
  EXPECT_EQ(five.FindSuspiciousPoint(), -1);

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
      EXPECT_EQ(notices.Texts(), std::vector<std::string>{messages::kSingularAffine});
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
      {many, kGeneralAffine, messages::kTooManyPoints},
      {many, kSimilarity, messages::kTooManyPoints},
      {many, kCongruence, messages::kTooManyPoints}};
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
  // Four points: the fault comes in the sequential leave-one-out walk.
  TSeznam hugeOfFour = GridData(4, 95);
  hugeOfFour.IdenticalPoints[1].SourceX = 1e110L;
  const std::tuple<const char*, TSeznam, bool> cases[] = {
      {"success", GridData(8, 91), false},
      {"too few points", GridData(2, 92), false},
      {"coincident points", coincident, true},
      {"overflowing coordinate", overflowing, true},
      {"huge coordinate of four", hugeOfFour, true}};
  for (const auto& [name, data, throws] : cases) {
    for (TTypTransformace type : kAllTypes) {
      if (type == kGeneralAffine && std::string(name) == "coincident points") continue;
      if (type != kSimilarity && std::string(name) == "huge coordinate of four") continue;
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
        EXPECT_TRUE(notices.Texts().empty()) << name << " " << type;
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

// One similarity key bit for bit: faults in the decomposition or the
// iteration may still converge, only to slightly different last bits.
TEST(KeysDriverTest, SimilarityKeyBitForBit) {
  TSeznam s = GridData(8, 91);
  s.AdjustSimilarity();
  ASSERT_TRUE(s.KeyValid);
  const std::array<Extended, 8> got = {s.Omega,        s.Phi,          s.Kappa, s.TranslationX,
                                       s.TranslationY, s.TranslationZ, s.Scale, s.M0};
  const std::array<Extended, 8> expected = {0x9.c77fd0119fcc547p-15L, -0xd.19fc65db2fa9245p-16L,
                                            0xc.9886a6e67e93fb3p-10L, -0x9.a50db897ccea8d9p+7L,
                                            0xd.b608beeda2eb5cbp+6L,  0xa.ee160a60f569d23p+2L,
                                            0x8.000622291d26971p-3L,  0x8.632254d631c9939p-8L};
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], expected[i]) << i;
}

// Small files that used to fail for the wrong reason or not fail at all.
TEST(KeysDriverTest, HostileAndDegenerateSites) {
  enum Expect { kKey, kFault };
  struct Case {
    const char* name;
    std::vector<std::array<Extended, 6>> points;  // source, target
    TTypTransformace type;
    Expect expect;
    const char* faultText;  // with kFault
  };
  const Extended h = 1e2467L;  // squares overflow the normal equations
  const std::vector<std::array<Extended, 6>> overflowing = {
      {h, h, h, h, h, h}, {1.01L * h, h, h, 1.1L * h, h, h}, {h, 1.1L * h, h, h, 1.01L * h, h}};
  // A road listed first: the first three points are collinear.
  std::vector<std::array<Extended, 6>> road;
  for (const auto& xy : {std::array<Extended, 2>{0, 0}, {100, 0}, {200, 0}, {0, 200}, {300, 300}}) {
    road.push_back({xy[0], xy[1], 0, xy[0] + 1000, xy[1] + 1000, 0});
  }
  const std::vector<std::array<Extended, 6>> line = {
      {0, 0, 0, 5, 5, 0}, {1, 0, 0, 6, 5, 0}, {2, 0, 0, 7, 5, 0}, {3, 0, 0, 8, 5, 0}};
  const std::vector<std::array<Extended, 6>> exact = {
      {0, 0, 0, 0, 0, 0}, {100, 0, 0, 100, 0, 0}, {0, 100, 0, 0, 100, 0}, {0, 0, 100, 0, 0, 100}};
  const char* const overflowText = "Chyba výpočtu: přetečení rozsahu čísel.";
  const char* const degenerateText = "Identické body splývají nebo leží na přímce.";
  const Case cases[] = {{"overflow, similarity", overflowing, kSimilarity, kFault, overflowText},
                        {"overflow, congruence", overflowing, kCongruence, kFault, overflowText},
                        {"flat road first, similarity", road, kSimilarity, kKey, nullptr},
                        {"flat road first, congruence", road, kCongruence, kKey, nullptr},
                        {"all on one line", line, kSimilarity, kFault, degenerateText},
                        {"exact data, similarity", exact, kSimilarity, kKey, nullptr},
                        {"exact data, congruence", exact, kCongruence, kKey, nullptr}};
  for (const Case& c : cases) {
    TSeznam s;
    int number = 1;
    for (const auto& p : c.points) AddPoint(s, number++, p[0], p[1], p[2], p[3], p[4], p[5]);
    NoticeRecorder notices;
    if (c.expect == kFault) {
      try {
        RunDriver(s, c.type);
        ADD_FAILURE() << c.name << ": no fault";
      } catch (const ArithmeticFault& fault) {
        EXPECT_STREQ(fault.what(), c.faultText) << c.name;
      }
      EXPECT_FALSE(s.KeyValid) << c.name;
    } else {
      RunDriver(s, c.type);
      ASSERT_TRUE(s.KeyValid) << c.name;
      const Extended shift = c.points[0][3] - c.points[0][0];
      EXPECT_NEAR(s.TranslationX, shift, 1e-9L) << c.name;
      EXPECT_NEAR(s.Scale, 1, 1e-15L) << c.name;
      EXPECT_LT(s.M0, 1e-9L) << c.name;
    }
    EXPECT_TRUE(notices.Texts().empty()) << c.name;
  }
}

}  // namespace
}  // namespace ternavo::testing
