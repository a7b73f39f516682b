// The streamed, parallel key code against the plain matrix computation:
// every output must be bit-identical.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "keys_test_support.h"

namespace ternavo::testing {
namespace {

std::array<Extended, 16> Parameters(const TSeznam& s) {
  return {s.M0,
          s.Omega,
          s.Phi,
          s.Kappa,
          s.TranslationX,
          s.TranslationY,
          s.TranslationZ,
          s.Scale,
          s.IterM0,
          s.IterOmega,
          s.IterPhi,
          s.IterKappa,
          s.IterTranslationX,
          s.IterTranslationY,
          s.IterTranslationZ,
          s.IterScale};
}

struct EqualityCase {
  int points;
  uint64_t seed;
  int switchedOff;  // index of a point the user switched off, -1 for none
  // Every coordinate times 2^exponent (exact): below about -1000 the design
  // values leave the range of doubles and the steps take extended rows.
  int exponent = 0;
  bool exact = false;  // no noise: the runs end on a perfect fit
};

// Readable, stable test names: "n12_seed15_off0", "n3_seed11_allon".
void PrintTo(const EqualityCase& c, std::ostream* os) {
  *os << "n" << c.points << "_seed" << c.seed << "_";
  if (c.switchedOff < 0) {
    *os << "allon";
  } else {
    *os << "off" << c.switchedOff;
  }
  if (c.exponent != 0) *os << "_exp" << (c.exponent < 0 ? "m" : "") << std::abs(c.exponent);
  if (c.exact) *os << "_exact";
}

class KeysEqualityTest : public ::testing::TestWithParam<EqualityCase> {};

TEST_P(KeysEqualityTest, DriversMatchTheMatrixRoute) {
  TSeznam data = GridData(GetParam().points, GetParam().seed);
  if (GetParam().exact) {
    data = TSeznam();
    SimilarityTruth truth{0.0003L, -0.0002L, 0.0123L, 1.0000123L, -1234.5L, 876.25L, 45.5L};
    FillSimilar(data, GetParam().points, GetParam().seed, truth, 1.0e6L, 1.1e6L, 300, 20000, 0);
  }
  for (TIdentickyBod& p : data.IdenticalPoints) {
    for (Extended* c : {&p.SourceX, &p.SourceY, &p.SourceZ, &p.TargetX, &p.TargetY, &p.TargetZ}) {
      *c = std::ldexp(*c, GetParam().exponent);
    }
  }
  if (GetParam().switchedOff >= 0) {
    TIdentickyBod& p = data.IdenticalPoints[static_cast<std::size_t>(GetParam().switchedOff)];
    p.Used = false;
    p.M0Without = 7.25L;
    p.M0WithoutValid = true;
  }
  for (TTypTransformace type : {kGeneralAffine, kSimilarity, kCongruence}) {
    SCOPED_TRACE(type);
    TSeznam fast = data, ref = data;
    if (type == kGeneralAffine) {
      fast.AdjustAffine();
      RefAdjustAffine(ref);
    } else {
      type == kSimilarity ? fast.AdjustSimilarity() : fast.AdjustCongruence();
      RefAdjustIterative(ref, type == kSimilarity);
      EXPECT_TRUE(fast.KeyValid);
    }
    EXPECT_EQ(fast.KeyValid, ref.KeyValid);
    EXPECT_EQ(fast.LeftOutIndex, ref.LeftOutIndex);
    EXPECT_EQ(Parameters(fast), Parameters(ref));
    for (int i = 1; i <= 3; ++i) {
      for (int j = 1; j <= 3; ++j) {
        EXPECT_EQ(fast.RotationMatrix->Get(i, j), ref.RotationMatrix->Get(i, j)) << i << "," << j;
        EXPECT_EQ(fast.ScaleMatrix->Get(i, j), ref.ScaleMatrix->Get(i, j)) << i << "," << j;
      }
      EXPECT_EQ(fast.TranslationVector->Get(i, 1), ref.TranslationVector->Get(i, 1)) << i;
    }
    for (std::size_t i = 0; i < data.IdenticalPoints.size(); ++i) {
      const TIdentickyBod& p = fast.IdenticalPoints[i];
      const TIdentickyBod& q = ref.IdenticalPoints[i];
      EXPECT_EQ(p.Used, q.Used) << "point " << i;
      EXPECT_EQ(p.M0WithoutValid, q.M0WithoutValid) << "point " << i;
      EXPECT_EQ(p.M0Without, q.M0Without) << "point " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SeededData, KeysEqualityTest,
                         ::testing::Values(EqualityCase{3, 11, -1}, EqualityCase{4, 12, -1},
                                           EqualityCase{5, 13, -1}, EqualityCase{6, 14, 2},
                                           EqualityCase{12, 15, 0}, EqualityCase{40, 16, 39},
                                           EqualityCase{97, 17, 50},
                                           // past one block of rows (64 points) and of
                                           // the affine solution (128 points)
                                           EqualityCase{140, 18, 64}, EqualityCase{203, 19, 130},
                                           // design values below the range of doubles
                                           EqualityCase{40, 20, 3, -1040},
                                           EqualityCase{30, 22, -1, 0, true}),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

}  // namespace
}  // namespace ternavo::testing
