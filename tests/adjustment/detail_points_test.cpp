#include <gtest/gtest.h>

#include <clocale>
#include <random>
#include <string>
#include <vector>

#include "adjustment/seznam.h"
#include "text/number_format.h"

namespace ternavo {
namespace {

void SetIdentityKey(TSeznam& s, Extended tx, Extended ty, Extended tz) {
  const Extended t[3] = {tx, ty, tz};
  for (int i = 1; i <= 3; ++i) {
    s.RotationMatrix->Put(i, i, 1);
    s.ScaleMatrix->Put(i, i, 1);
    s.TranslationVector->Put(i, 1, t[i - 1]);
  }
}

std::vector<std::string> Section(const TSeznam& s) {
  TextLines memo;
  s.TransformDetailPoints(memo);
  return memo.Lines();
}

TEST(TransformDetailPointsTest, WritesTheSectionExactly) {
  TSeznam s;
  SetIdentityKey(s, 10, 20, 30);
  // Names that are numbers keep the numbers' rendering; any other name is
  // written as read.
  s.DetailPoints = {{"12", 1.5L, 2.25L, 3},
                    {"-5", -20, 0, -30.5L},
                    {"999999", 0, 0, 0},
                    {"1000000", -10, -20, -30},
                    {"2500000", 0.0000004L, 0.0000005L, 1e12L},
                    {"1000001", 0, 0, 0},
                    {"-999999", 0, 0, 0},
                    {"-1000000", 0, 0, 0},
                    {"2147483647", 0, 0, 0},
                    {"0012", 0, 0, 0},
                    {"600110010012", 0, 0, 0},
                    {"Bod č.4", 0, 0, 0}};
  const std::vector<std::string> expected = {
      "",
      "Transformace podrobných bodů :",
      "(C.B. X  Y  Z)",
      "12.0  11.500000  22.250000  33.000000",
      "-5.0  -10.000000  20.000000  -0.500000",
      "999999.0  10.000000  20.000000  30.000000",
      "1000000.0  0.000000  0.000000  0.000000",
      "2500000.0  10.000000  20.000001  1000000000030.000000",
      "1000001.0  10.000000  20.000000  30.000000",
      "-999999.0  10.000000  20.000000  30.000000",
      "-1000000.0  10.000000  20.000000  30.000000",
      "2147483647.0  10.000000  20.000000  30.000000",
      "0012  10.000000  20.000000  30.000000",
      "600110010012  10.000000  20.000000  30.000000",
      "Bod č.4  10.000000  20.000000  30.000000",
  };
  EXPECT_EQ(Section(s), expected);
}

// Transformed point = translation + scale * matrix * point, digit for digit
// as the matrix operations give it. Each row of the matrix takes its own
// scale and the matrix is not transposed.
TEST(TransformDetailPointsTest, MatchesTheMatrixOperations) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> unit(-1, 1);
  TSeznam s;
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 3; ++j) s.RotationMatrix->Put(i, j, unit(rng) / 3);
    s.ScaleMatrix->Put(i, i, 1 + unit(rng) * 1e-5L);
    s.TranslationVector->Put(i, 1, unit(rng) * 1e6L);
  }
  for (int n = 0; n < 500; ++n) {
    s.DetailPoints.push_back(
        {std::to_string(n), unit(rng) * 1e6L, unit(rng) * 1e6L, unit(rng) * 1e3L});
  }
  const std::vector<std::string> lines = Section(s);
  ASSERT_EQ(lines.size(), 503u);
  MaticePtr k = s.ScaleMatrix->Multiply(*s.RotationMatrix);
  for (std::size_t n = 0; n < s.DetailPoints.size(); ++n) {
    const TPodrobnyBod& p = s.DetailPoints[n];
    Matice v(3, 1);
    v.Put(1, 1, p.X);
    v.Put(2, 1, p.Y);
    v.Put(3, 1, p.Z);
    MaticePtr t = k->Multiply(v)->Add(*s.TranslationVector);
    std::string expected = FormatFixed(std::stoi(p.Name), 6, 1);
    for (int i = 1; i <= 3; ++i) expected += "  " + FormatFixed(t->Get(i, 1), 15, 6);
    EXPECT_EQ(lines[n + 3], expected);
  }
}

TEST(TransformDetailPointsTest, AppendsOneSectionPerCallAndNothingWithoutPoints) {
  TSeznam s;
  SetIdentityKey(s, 0, 0, 0);
  TextLines memo;
  memo.AppendLine("protokol");
  s.TransformDetailPoints(memo);
  EXPECT_EQ(memo.Count(), 1u);
  s.DetailPoints = {{"1", 1, 2, 3}};
  s.TransformDetailPoints(memo);
  s.TransformDetailPoints(memo);
  EXPECT_EQ(memo.Text(),
            "protokol\n\nTransformace podrobných bodů :\n(C.B. X  Y  Z)\n"
            "1.0  1.000000  2.000000  3.000000\n"
            "\nTransformace podrobných bodů :\n(C.B. X  Y  Z)\n"
            "1.0  1.000000  2.000000  3.000000\n");
  EXPECT_EQ(s.DetailPoints[0].X, 1.0L);  // records are not changed
}

TEST(TransformDetailPointsTest, OverflowIsAnErrorAndLeavesTheMemoAlone) {
  TSeznam s;
  SetIdentityKey(s, 0, 0, 0);
  s.RotationMatrix->Put(2, 2, 1e4000L);
  s.DetailPoints = {{"1", 1, 2, 3}, {"2", 1, 1e4000L, 1}};
  TextLines memo;
  memo.AppendLine("protokol");
  EXPECT_THROW(s.TransformDetailPoints(memo), ArithmeticFault);
  EXPECT_EQ(memo.Count(), 1u);
}

TEST(TransformDetailPointsTest, UsesTheLocaleDecimalSeparator) {
  if (std::setlocale(LC_ALL, "cs_CZ.UTF-8") == nullptr) GTEST_SKIP() << "no Czech locale";
  TSeznam s;
  SetIdentityKey(s, 0, 0, 0);
  s.DetailPoints = {{"12", 1.5L, -2.25L, 3}};
  const std::vector<std::string> lines = Section(s);
  std::setlocale(LC_ALL, "C");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3], "12,0  1,500000  -2,250000  3,000000");
}

}  // namespace
}  // namespace ternavo
