// The general affine key: recovered matrices, the point-count rules of both
// modes, singular configurations and geocentric conditioning.
#include <gtest/gtest.h>

#include <cmath>

#include "keys_test_support.h"

namespace ternavo::testing {
namespace {

// Eight source points that span space.
constexpr Extended kSource[8][3] = {{0, 0, 0},  {10, 0, 1},  {0, 12, 2}, {3, 4, 15},
                                    {11, 9, 4}, {-5, 7, -3}, {6, -8, 9}, {2, 2, -7}};

TEST(KeysAffineTest, RecoversTheGeneratingKey) {
  struct Case {
    const char* name;
    Extended matrix[3][3];
    Extended translation[3];
  };
  const Case cases[] = {
      {"identity", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {0, 0, 0}},
      {"shear", {{1, 2, 0}, {0, 1, 0}, {0, 0, 1}}, {0, 0, 0}},
      {"general", {{1.5L, -0.25L, 0.125L}, {0.5L, 2, -1}, {-0.75L, 0.3L, 0.9L}}, {100, -50, 7}},
  };
  for (const Case& c : cases) {
    TSeznam s;
    for (int k = 0; k < 8; ++k) {
      Extended t[3];
      for (int i = 0; i < 3; ++i) {
        t[i] = c.translation[i] + c.matrix[i][0] * kSource[k][0] + c.matrix[i][1] * kSource[k][1] +
               c.matrix[i][2] * kSource[k][2];
      }
      AddPoint(s, k + 1, kSource[k][0], kSource[k][1], kSource[k][2], t[0], t[1], t[2]);
    }
    ASSERT_TRUE(s.ComputeAffineKey()) << c.name;
    for (int i = 1; i <= 3; ++i) {
      for (int j = 1; j <= 3; ++j) {
        // Row i holds the coefficients of target equation i.
        EXPECT_NEAR(s.RotationMatrix->Get(i, j), c.matrix[i - 1][j - 1], 1e-15L) << c.name;
        EXPECT_EQ(s.ScaleMatrix->Get(i, j), i == j ? 1 : 0) << c.name;
      }
      EXPECT_NEAR(s.TranslationVector->Get(i, 1), c.translation[i - 1], 1e-13L) << c.name;
    }
    EXPECT_LT(s.M0, 1e-14L) << c.name;
  }
}

TEST(KeysAffineTest, PointCountLimitOfTheMatrixDimension) {
  TSeznam s;
  std::mt19937_64 rng(1);
  for (int k = 0; k < kMaxUsedPoints + 1; ++k) {
    const Extended x = Uniform(rng, 0, 1000), y = Uniform(rng, 0, 1000), z = Uniform(rng, 0, 100);
    AddPoint(s, k, x, y, z, x + 1, y + 2, z + 3);
  }
  EXPECT_FALSE(s.ComputeAffineKey());
  s.IdenticalPoints.back().Used = false;
  ASSERT_TRUE(s.ComputeAffineKey());
  EXPECT_NEAR(s.TranslationVector->Get(2, 1), 2, 1e-9L);
}

// A datum shift between two geocentric frames: seven points within 20 km
// and 50 m of height, a cloud a few hundred metres thin at 6.4e6 m from the
// origin. The same points taken from a local origin give the true m0 (an
// affine m0 does not depend on where the origin lies); the key from raw
// coordinates without reduction to the centroid loses it to rounding.
TEST(KeysAffineTest, GeocentricCoordinatesKeepTheirM0) {
  const Extended lat = 0.87L, lon = 0.26L;
  const Extended east[3] = {-std::sin(lon), std::cos(lon), 0};
  const Extended north[3] = {-std::sin(lat) * std::cos(lon), -std::sin(lat) * std::sin(lon),
                             std::cos(lat)};
  const Extended up[3] = {std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon),
                          std::sin(lat)};
  const Extended origin[3] = {6380000 * up[0], 6380000 * up[1], 6380000 * up[2]};
  const Extended scale = 1.0000041L, rx = 2.1e-6L, ry = -1.4e-6L, rz = 3.3e-6L;
  const Extended shift[3] = {25.3L, -141.9L, -80.8L};
  std::mt19937_64 rng(99);
  TSeznam local, geocentric;
  for (int k = 0; k < 7; ++k) {
    const Extended e = Uniform(rng, -20000, 20000), n = Uniform(rng, -20000, 20000),
                   u = Uniform(rng, -50, 50);
    Extended src[3];
    for (int i = 0; i < 3; ++i) src[i] = origin[i] + e * east[i] + n * north[i] + u * up[i];
    const Extended dst[3] = {
        shift[0] + scale * (src[0] + rz * src[1] - ry * src[2]) + Uniform(rng, -0.01L, 0.01L),
        shift[1] + scale * (-rz * src[0] + src[1] + rx * src[2]) + Uniform(rng, -0.01L, 0.01L),
        shift[2] + scale * (ry * src[0] - rx * src[1] + src[2]) + Uniform(rng, -0.01L, 0.01L)};
    AddPoint(geocentric, k, src[0], src[1], src[2], dst[0], dst[1], dst[2]);
    AddPoint(local, k, src[0] - origin[0], src[1] - origin[1], src[2] - origin[2],
             dst[0] - origin[0], dst[1] - origin[1], dst[2] - origin[2]);
  }
  ASSERT_TRUE(local.ComputeAffineKey());
  ASSERT_TRUE(geocentric.ComputeAffineKey());
  EXPECT_GT(local.M0, 0.001L);
  EXPECT_NEAR(geocentric.M0 / local.M0, 1, 1e-6L);
  TSeznam raw = geocentric;
  ASSERT_TRUE(RefAffineKey(raw, false));
  EXPECT_GT(std::fabs(raw.M0 / local.M0 - 1), 0.05L);
}

}  // namespace
}  // namespace ternavo::testing
