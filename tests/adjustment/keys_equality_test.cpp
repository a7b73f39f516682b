// The streamed, parallel key code against the plain matrix computation:
// every output must be bit-identical.
#include <gtest/gtest.h>

#include "keys_test_support.h"

namespace ternavo::testing {
namespace {

void ExpectSameState(const TSeznam& fast, const TSeznam& ref) {
  ASSERT_EQ(fast.IdenticalPoints.size(), ref.IdenticalPoints.size());
  EXPECT_EQ(fast.KeyValid, ref.KeyValid);
  EXPECT_EQ(fast.M0, ref.M0);
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) {
      EXPECT_EQ(fast.RotationMatrix->Get(i, j), ref.RotationMatrix->Get(i, j)) << i << "," << j;
      EXPECT_EQ(fast.ScaleMatrix->Get(i, j), ref.ScaleMatrix->Get(i, j)) << i << "," << j;
    }
    EXPECT_EQ(fast.TranslationVector->Get(i, 1), ref.TranslationVector->Get(i, 1)) << i;
  }
  const Extended fastParams[] = {fast.Omega, fast.Phi, fast.Kappa, fast.TranslationX,
                                 fast.TranslationY, fast.TranslationZ, fast.Scale,
                                 fast.IterM0, fast.IterOmega, fast.IterPhi, fast.IterKappa,
                                 fast.IterTranslationX, fast.IterTranslationY,
                                 fast.IterTranslationZ, fast.IterScale};
  const Extended refParams[] = {ref.Omega, ref.Phi, ref.Kappa, ref.TranslationX,
                                ref.TranslationY, ref.TranslationZ, ref.Scale,
                                ref.IterM0, ref.IterOmega, ref.IterPhi, ref.IterKappa,
                                ref.IterTranslationX, ref.IterTranslationY,
                                ref.IterTranslationZ, ref.IterScale};
  for (std::size_t i = 0; i < std::size(fastParams); ++i) {
    EXPECT_EQ(fastParams[i], refParams[i]) << "parameter " << i;
  }
  EXPECT_EQ(fast.LeftOutIndex, ref.LeftOutIndex);
  for (std::size_t i = 0; i < fast.IdenticalPoints.size(); ++i) {
    const TIdentickyBod& a = fast.IdenticalPoints[i];
    const TIdentickyBod& b = ref.IdenticalPoints[i];
    EXPECT_EQ(a.Used, b.Used) << "point " << i;
    EXPECT_EQ(a.M0WithoutValid, b.M0WithoutValid) << "point " << i;
    EXPECT_EQ(a.M0Without, b.M0Without) << "point " << i;
  }
}

struct EqualityCase {
  int points;
  uint64_t seed;
  int switchedOff;  // index of a point the user switched off, -1 for none
};

class KeysEqualityTest : public ::testing::TestWithParam<EqualityCase> {
 protected:
  TSeznam Data() const {
    TSeznam s = GridData(GetParam().points, GetParam().seed);
    if (GetParam().switchedOff >= 0) {
      TIdentickyBod& p = s.IdenticalPoints[static_cast<std::size_t>(GetParam().switchedOff)];
      p.Used = false;
      p.M0Without = 7.25L;
      p.M0WithoutValid = true;
    }
    return s;
  }
};

TEST_P(KeysEqualityTest, AffineDriverMatchesMatrixRoute) {
  TSeznam fast = Data();
  TSeznam ref = Data();
  fast.AdjustAffine();
  RefAdjustAffine(ref);
  ExpectSameState(fast, ref);
}

TEST_P(KeysEqualityTest, SimilarityDriverMatchesMatrixRoute) {
  TSeznam fast = Data();
  TSeznam ref = Data();
  fast.AdjustSimilarity();
  RefAdjustIterative(ref, true);
  EXPECT_TRUE(fast.KeyValid);
  ExpectSameState(fast, ref);
}

TEST_P(KeysEqualityTest, CongruenceDriverMatchesMatrixRoute) {
  TSeznam fast = Data();
  TSeznam ref = Data();
  fast.AdjustCongruence();
  RefAdjustIterative(ref, false);
  EXPECT_TRUE(fast.KeyValid);
  ExpectSameState(fast, ref);
}

TEST_P(KeysEqualityTest, SingleStepsMatchFromAFarStart) {
  for (bool withScale : {true, false}) {
    TSeznam fast = Data();
    fast.IterOmega = 0.01L;
    fast.IterPhi = -0.02L;
    fast.IterKappa = 0.3L;
    fast.IterScale = 0.9L;
    fast.IterTranslationX = 100;
    TSeznam ref = fast;
    for (int step = 0; step < 3; ++step) {
      Extended m0Fast = -1;
      Extended m0Ref = -1;
      if (withScale) {
        fast.SimilarityStep(m0Fast);
      } else {
        fast.CongruenceStep(m0Fast);
      }
      RefStep(ref, m0Ref, withScale);
      EXPECT_EQ(m0Fast, m0Ref) << "step " << step << " scale " << withScale;
      ExpectSameState(fast, ref);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SeededData, KeysEqualityTest,
                         ::testing::Values(EqualityCase{3, 11, -1}, EqualityCase{4, 12, -1},
                                           EqualityCase{5, 13, -1}, EqualityCase{6, 14, 2},
                                           EqualityCase{12, 15, 0}, EqualityCase{40, 16, 39},
                                           EqualityCase{97, 17, 50}));

}  // namespace
}  // namespace ternavo::testing
