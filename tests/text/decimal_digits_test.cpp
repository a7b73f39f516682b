#include "text/decimal_digits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>

namespace ternavo {
namespace {

std::string Describe(const DecimalDigits& d) {
  return std::string(d.negative ? "-" : "") + std::string(d.digits, kSignificantDigits) + "e" +
         std::to_string(d.exponent);
}

TEST(DecimalDigits, TiesGoToEvenLikeTheCLibrary) {
  struct Case {
    Extended value;
    const char* expected;
  } cases[] = {
      // 19 or 20 integer digits: the rest lies among the integer digits.
      {1000000000000000005.0L, "100000000000000000e18"},
      {1000000000000000015.0L, "100000000000000002e18"},
      {1000000000000000016.0L, "100000000000000002e18"},
      {10000000000000000050.0L, "100000000000000000e19"},
      {10000000000000000051.0L, "100000000000000001e19"},
      {18446744073709551615.0L, "184467440737095516e19"},
      // The rest is a binary fraction.
      {123456789012345675.5L, "123456789012345676e17"},
      {123456789012345676.5L, "123456789012345676e17"},
      {-999999999999999999.5L, "-100000000000000000e18"},
      {0.5L, "500000000000000000e-1"},
      {2.675L, "267500000000000000e0"},
      {-0.000123L, "-123000000000000000e-4"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Describe(ToDecimalDigits(c.value)), c.expected);
    EXPECT_EQ(Describe(ToDecimalDigitsByPrintf(c.value)), c.expected);
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
