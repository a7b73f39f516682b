#include "text/number_format.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "text/decimal_digits.h"

namespace ternavo {
namespace {

constexpr Extended kInf = std::numeric_limits<Extended>::infinity();
constexpr Extended kNaN = std::numeric_limits<Extended>::quiet_NaN();

struct FixedCase {
  Extended value;
  int precision;
  int decimals;
  const char* expected;  // with "." as separator
};

const FixedCase kFixedCases[] = {
    {-1e-17L, 15, 12, "0.000000000000"},
    {1.0L, 15, 12, "1.000000000000"},
    {-5.0L, 6, 1, "-5.0"},
    {999999.0L, 6, 1, "999999.0"},
    {1000000.0L, 6, 1, "1E6"},
    {1234567.0L, 6, 1, "1.23457E6"},
    {123456.0L, 5, 3, "1.2346E005"},
    {1e15L, 15, 4, "1E0015"},
    {-0.0L, 15, 8, "0.00000000"},
    // A half is judged on the 18 significant digits, not the binary value.
    {2.675L, 15, 2, "2.68"},
    {0.125L, 15, 2, "0.13"},
    {-0.0000004L, 15, 6, "0.000000"},
    {-0.0000005L, 15, 6, "-0.000001"},
    {5e-13L, 15, 12, "0.000000000001"},
    {-0.0005L, 5, 3, "-0.001"},
    // The carry of rounding may add an integer digit and switch notation.
    {999999.96L, 6, 1, "1E6"},
    {99999.96L, 6, 1, "100000.0"},
    // The P-th significant digit comes before the D-th decimal.
    {123456789.123456789L, 15, 8, "123456789.12345700"},
    {1234567890.5L, 10, 4, "1234567891.0000"},
    {12345678901.0L, 10, 4, "1.23456789E0010"},
    {-743210.1234565L, 15, 6, "-743210.123457"},
    {1e20L, 15, 12, "1E20"},
    {1.7e4000L, 15, 6, "1.7E4000"},
    {3.0L, 15, 0, "3"},
    {kInf, 15, 6, "INF"},
    {-kInf, 15, 6, "-INF"},
    {kNaN, 15, 6, "NAN"},
    {-kNaN, 15, 6, "NAN"},
};

const std::pair<Extended, const char*> kGeneralCases[] = {
    {-0.0L, "0"},
    {1.0L, "1"},
    {-1e-17L, "-1E-17"},
    {0.0001L, "0.0001"},
    {0.00001L, "1E-5"},
    {0.0000125L, "1.25E-5"},
    {1.5e20L, "1.5E20"},
    {100.0L, "100"},
    {1.0L / 3, "0.333333333333333"},
    {1.000000000000005L, "1.00000000000001"},
    {0.00012345678901234567L, "0.000123456789012346"},
    {123456789012345.0L, "123456789012345"},
    {1234567890123456.0L, "1.23456789012346E15"},
    {999999999999999.5L, "1E15"},
    {-9.999999999999995e-5L, "-0.0001"},
    {1.7e4000L, "1.7E4000"},
    {3.4e-4000L, "3.4E-4000"},
    {kInf, "INF"},
    {-kInf, "-INF"},
    {kNaN, "NAN"},
};

std::string WithSeparator(std::string text, const std::string& separator) {
  std::string out;
  for (char c : text) out += c == '.' ? separator : std::string(1, c);
  return out;
}

void CheckAllRenderings(const std::string& separator) {
  for (const FixedCase& c : kFixedCases) {
    EXPECT_EQ(FormatFixed(c.value, c.precision, c.decimals), WithSeparator(c.expected, separator))
        << "fixed " << c.precision << "/" << c.decimals << " of " << c.expected;
  }
  for (const auto& [value, expected] : kGeneralCases)
    EXPECT_EQ(FormatGeneral(value), WithSeparator(expected, separator)) << expected;
  const std::pair<int32_t, const char*> integers[] = {{0, "0"},
                                                      {-1, "-1"},
                                                      {10, "10"},
                                                      {2147483647, "2147483647"},
                                                      {-2147483647 - 1, "-2147483648"}};
  for (const auto& [value, expected] : integers) EXPECT_EQ(FormatInteger(value), expected);
}

TEST(NumberFormat, RenderingsWithPoint) {
  ASSERT_EQ(DecimalSeparator(), ".");
  CheckAllRenderings(".");
}

class CzechLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::setlocale(LC_ALL, "cs_CZ.UTF-8"), nullptr)
        << "the cs_CZ.UTF-8 locale is missing (scripts/setup generates it)";
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(CzechLocale, RenderingsTakeTheCommaFromTheLocale) {
  ASSERT_EQ(DecimalSeparator(), ",");
  CheckAllRenderings(",");
  // Czech grouping uses a blank; it must never appear.
  EXPECT_EQ(FormatFixed(1234567.5L, 15, 1), "1234567,5");
  EXPECT_EQ(FormatInteger(1234567), "1234567");
  std::setlocale(LC_ALL, "C");  // read again at each call
  EXPECT_EQ(FormatGeneral(0.5L), "0.5");
}

TEST(NumberFormat, RaisesNoArithmeticFault) {
  const Extended values[] = {
      0.0L,    -1e-17L, 2.675L,    1e19L,
      1.8e19L, 1e-19L,  1.7e4000L, std::numeric_limits<Extended>::denorm_min(),
      kInf,    -kInf,   kNaN};
  std::feclearexcept(FE_ALL_EXCEPT);
  for (Extended v : values) {
    FormatGeneral(v);
    FormatFixed(v, 15, 12);
    FormatFixed(v, 5, 3);
  }
  EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID), 0);
}

std::string Describe(const DecimalDigits& d) {
  return std::string(d.negative ? "-" : "") + std::string(d.digits, kSignificantDigits) + "e" +
         std::to_string(d.exponent);
}

TEST(DecimalDigits, TiesGoToEvenLikeTheCLibrary) {
  const std::pair<Extended, const char*> cases[] = {
      // 19 or 20 integer digits: the rest lies among the integer digits.
      {1000000000000000005.0L, "100000000000000000e18"},
      {1000000000000000015.0L, "100000000000000002e18"},
      {10000000000000000050.0L, "100000000000000000e19"},
      // The rest is a binary fraction.
      {123456789012345675.5L, "123456789012345676e17"},
      {123456789012345676.5L, "123456789012345676e17"},
      {-999999999999999999.5L, "-100000000000000000e18"},
      {-0.000123L, "-123000000000000000e-4"},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(Describe(ToDecimalDigits(value)), expected);
    EXPECT_EQ(Describe(ToDecimalDigitsByPrintf(value)), expected);
  }
}

// The exact integer path must give the C library's digits for every value.
TEST(DecimalDigits, AgreesWithTheCLibraryAcrossMagnitudes) {
  std::mt19937_64 random(20240611);
  for (int i = 0; i < 200000; ++i) {
    const uint64_t mantissa = random() | (uint64_t{1} << 63);
    const int exponent = static_cast<int>(random() % 300) - 200;  // 2^-200 .. 2^99
    Extended value = std::ldexp(static_cast<Extended>(mantissa), exponent - 63);
    if (i % 2 != 0) value = -value;
    if (i % 7 == 0) value = std::round(value * 1000) / 1000;  // short decimals
    const DecimalDigits fast = ToDecimalDigits(value);
    const DecimalDigits reference = ToDecimalDigitsByPrintf(value);
    ASSERT_EQ(Describe(fast), Describe(reference)) << "value " << static_cast<double>(value);
  }
}

}  // namespace
}  // namespace ternavo
