#include "adjustment/decimal_text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <system_error>

namespace ternavo {

namespace {

// Plain decimals of up to 19 significant digits with a small exponent are
// exact integers times an exact power of ten, so one multiplication or
// division rounds them correctly. Anything else goes the long way.
bool ParseFast(const char* b, const char* e, Extended& value) {
  uint64_t mantissa = 0;
  int digits = 0;
  int exponent = 0;
  bool anyDigit = false;
  const char* p = b;
  for (; p != e && *p >= '0' && *p <= '9'; ++p) {
    anyDigit = true;
    if (mantissa == 0 && *p == '0') continue;
    if (++digits > 19) return false;
    mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
  }
  if (p != e && *p == '.') {
    for (++p; p != e && *p >= '0' && *p <= '9'; ++p) {
      anyDigit = true;
      --exponent;
      if (mantissa == 0 && *p == '0') continue;
      if (++digits > 19) return false;
      mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
    }
  }
  if (!anyDigit) return false;
  if (p != e) {
    if (*p != 'e' && *p != 'E') return false;
    ++p;
    bool expNegative = false;
    if (p != e && (*p == '+' || *p == '-')) {
      expNegative = *p == '-';
      ++p;
    }
    if (p == e) return false;
    int written = 0;
    for (; p != e && *p >= '0' && *p <= '9'; ++p) {
      if (written > 1000) return false;
      written = written * 10 + (*p - '0');
    }
    if (p != e) return false;
    exponent += expNegative ? -written : written;
  }
  if (mantissa == 0) {
    value = 0;
    return true;
  }
  if (exponent < -27 || exponent > 27) return false;
  // 10^k is exact in 64 significand bits up to k = 27.
  static const Extended* const kPowers = [] {
    static Extended powers[28];
    Extended x = 1;
    for (int k = 0; k < 28; ++k) {
      powers[k] = x;
      x *= 10;
    }
    return powers;
  }();
  const Extended m = static_cast<Extended>(mantissa);
  value = exponent >= 0 ? m * kPowers[exponent] : m / kPowers[-exponent];
  return true;
}

// Whether an out-of-range decimal is tiny rather than huge: its decimal
// exponent (position of the first significant digit) is negative.
bool TooSmall(const char* b, const char* e) {
  int64_t position = 0;  // power of ten of the first significant digit
  bool found = false;
  bool afterPoint = false;
  int64_t intDigits = 0;
  int64_t leadingFractionZeros = 0;
  const char* p = b;
  for (; p != e && *p != 'e' && *p != 'E'; ++p) {
    if (*p == '.') {
      afterPoint = true;
      continue;
    }
    if (!found) {
      if (*p != '0') {
        found = true;
      } else if (afterPoint) {
        ++leadingFractionZeros;
      }
    }
    if (found && !afterPoint) ++intDigits;
  }
  if (!found) return true;
  position = intDigits > 0 ? intDigits - 1 : -(leadingFractionZeros + 1);
  int64_t exponent = 0;
  if (p != e) {
    ++p;
    bool negative = false;
    if (p != e && (*p == '+' || *p == '-')) negative = *p++ == '-';
    for (; p != e; ++p) {
      exponent = std::min<int64_t>(exponent * 10 + (*p - '0'), int64_t{1} << 40);
    }
    if (negative) exponent = -exponent;
  }
  return position + exponent < 0;
}

}  // namespace

bool ParseDecimalText(const char* b, const char* e, Extended& value) {
  bool negative = false;
  if (b != e && (*b == '+' || *b == '-')) {
    negative = *b == '-';
    ++b;
  }
  if (b == e || !((*b >= '0' && *b <= '9') || *b == '.')) return false;
  Extended parsed = 0;
  if (!ParseFast(b, e, parsed)) {
    auto [ptr, ec] = std::from_chars(b, e, parsed, std::chars_format::general);
    if (ptr != e) return false;
    if (ec == std::errc::result_out_of_range) {
      if (!TooSmall(b, e)) return false;  // beyond the largest extended real
      parsed = 0;                         // below the smallest: reads as zero
    } else if (ec != std::errc()) {
      return false;
    }
  }
  value = negative ? -parsed : parsed;
  return true;
}

}  // namespace ternavo
