#include "text/number_format.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#if __has_include(<langinfo.h>)
#include <langinfo.h>
#define TERNAVO_HAVE_LANGINFO 1
#endif

#include "text/decimal_digits.h"

namespace ternavo {

namespace {

using Uint128 = unsigned __int128;

// -1, 0, 1 as the discarded rest is below, at or above half a unit of the
// last kept digit; rounds `digits` to nearest, ties to even.
void RoundLastDigit(DecimalDigits& d, int restVsHalf) {
  const bool up =
      restVsHalf > 0 || (restVsHalf == 0 && ((d.digits[kSignificantDigits - 1] - '0') & 1) != 0);
  if (!up) return;
  for (int i = kSignificantDigits - 1; i >= 0; --i) {
    if (d.digits[i] != '9') {
      ++d.digits[i];
      return;
    }
    d.digits[i] = '0';
  }
  d.digits[0] = '1';
  ++d.exponent;
}

int Compare(Uint128 a, Uint128 b) { return a < b ? -1 : (a > b ? 1 : 0); }

}  // namespace

DecimalDigits ToDecimalDigitsByPrintf(Extended value) {
  DecimalDigits d;
  d.negative = std::signbit(value);
  if (value == 0) {
    d.zero = true;
    std::fill(d.digits, d.digits + kSignificantDigits, '0');
    return d;
  }
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17Le", value);
  // The locale's decimal point may stand between the digits: take digits only.
  const char* p = buffer;
  int count = 0;
  for (; *p != '\0' && *p != 'e' && *p != 'E'; ++p) {
    if (*p >= '0' && *p <= '9' && count < kSignificantDigits) d.digits[count++] = *p;
  }
  if (*p != '\0') ++p;
  int exponent = 0;
  bool negativeExponent = false;
  if (*p == '-' || *p == '+') negativeExponent = *p++ == '-';
  for (; *p >= '0' && *p <= '9'; ++p) exponent = exponent * 10 + (*p - '0');
  d.exponent = negativeExponent ? -exponent : exponent;
  return d;
}

namespace {

constexpr uint64_t kPowersOfTen[kSignificantDigits] = {1ULL,
                                                       10ULL,
                                                       100ULL,
                                                       1000ULL,
                                                       10000ULL,
                                                       100000ULL,
                                                       1000000ULL,
                                                       10000000ULL,
                                                       100000000ULL,
                                                       1000000000ULL,
                                                       10000000000ULL,
                                                       100000000000ULL,
                                                       1000000000000ULL,
                                                       10000000000000ULL,
                                                       100000000000000ULL,
                                                       1000000000000000ULL,
                                                       10000000000000000ULL,
                                                       100000000000000000ULL};

// The value as mantissa / 2^shift; false for zero and for a subnormal.
bool Decompose(Extended value, uint64_t& mantissa, int& shift) {
#if defined(__x86_64__) || defined(__i386__)
  // x87 layout: 64-bit significand with explicit leading bit, then sign and
  // 15-bit biased exponent. Reading the bits avoids the slow library calls.
  unsigned char bytes[sizeof(Extended)];
  std::memcpy(bytes, &value, sizeof bytes);
  uint16_t signAndExponent = 0;
  std::memcpy(&mantissa, bytes, sizeof mantissa);
  std::memcpy(&signAndExponent, bytes + 8, sizeof signAndExponent);
  const int biased = signAndExponent & 0x7FFF;
  if (biased == 0) return false;
  shift = 16383 + 63 - biased;
#else
  if (value == 0) return false;
  int binaryExponent = 0;
  const Extended fraction = std::frexp(std::fabs(value), &binaryExponent);
  mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));
  shift = 64 - binaryExponent;
#endif
  return true;
}

void WriteDigits(char* to, uint64_t value, int count) {
  for (int i = count - 1; i >= 0; --i) {
    to[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

}  // namespace

// Exact integer arithmetic for every value m / 2^shift with a 64-bit m and
// 0 <= shift <= 124, which covers all magnitudes from about 4E-19 to 1.8E19;
// the rest goes through the C library (several times slower).
DecimalDigits ToDecimalDigits(Extended value) {
  DecimalDigits d;
  d.negative = std::signbit(value);
  if (value == 0) {
    d.zero = true;
    std::fill(d.digits, d.digits + kSignificantDigits, '0');
    return d;
  }
  uint64_t mantissa = 0;
  int shift = 0;
  if (!Decompose(value, mantissa, shift) || shift < 0 || shift > 124)
    return ToDecimalDigitsByPrintf(value);

  const Uint128 one = static_cast<Uint128>(1) << shift;
  const uint64_t integerPart = shift >= 64 ? 0 : (mantissa >> shift);
  Uint128 rest = shift >= 64 ? static_cast<Uint128>(mantissa)
                             : static_cast<Uint128>(mantissa & ((uint64_t{1} << shift) - 1));

  if (integerPart != 0) {
    char buffer[24] = {};
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, integerPart);
    (void)ec;
    const int length = static_cast<int>(end - buffer);
    d.exponent = length - 1;
    if (length >= kSignificantDigits) {
      std::memcpy(d.digits, buffer, kSignificantDigits);
      // At most two integer digits are cut off (2^64 has 20 digits).
      const uint64_t scale = kPowersOfTen[length - kSignificantDigits];
      const uint64_t cut = integerPart % scale;
      int restVsHalf =
          scale == 1 ? Compare(2 * rest, one) : Compare(2 * static_cast<Uint128>(cut), scale);
      if (scale != 1 && restVsHalf == 0 && rest != 0) restVsHalf = 1;
      RoundLastDigit(d, restVsHalf);
      return d;
    }
    // Here shift < 64, so rest < 2^64 and rest * 10^17 < 2^121.
    std::memcpy(d.digits, buffer, static_cast<std::size_t>(length));
    const int fractionDigits = kSignificantDigits - length;
    const Uint128 scaled = rest * kPowersOfTen[fractionDigits];
    WriteDigits(d.digits + length, static_cast<uint64_t>(scaled >> shift), fractionDigits);
    RoundLastDigit(d, Compare(2 * (scaled & (one - 1)), one));
    return d;
  }

  int count = 0;
  d.exponent = -1;
  for (;;) {
    rest *= 10;
    const int digit = static_cast<int>(rest >> shift);
    rest &= one - 1;
    if (digit != 0) {
      d.digits[count++] = static_cast<char>('0' + digit);
      break;
    }
    --d.exponent;
  }
  while (count < kSignificantDigits) {
    rest *= 10;
    d.digits[count++] = static_cast<char>('0' + static_cast<int>(rest >> shift));
    rest &= one - 1;
  }
  RoundLastDigit(d, Compare(2 * rest, one));
  return d;
}

namespace {

// Digits rounded half away from zero; count >= 1, no trailing zeros.
struct RoundedDigits {
  bool zero = false;
  int count = 0;
  char digits[kSignificantDigits] = {};
  int exponent = 0;
};

// Keeps the digits at decimal positions >= `position` (10^position).
RoundedDigits RoundAt(const DecimalDigits& d, int position) {
  RoundedDigits r;
  if (d.zero) {
    r.zero = true;
    return r;
  }
  r.exponent = d.exponent;
  const long long kept = static_cast<long long>(d.exponent) - position + 1;
  if (kept < 0 || (kept == 0 && d.digits[0] < '5')) {
    r.zero = true;
    return r;
  }
  if (kept == 0) {
    r.count = 1;
    r.digits[0] = '1';
    r.exponent = position;
    return r;
  }
  r.count = static_cast<int>(std::min<long long>(kept, kSignificantDigits));
  std::memcpy(r.digits, d.digits, static_cast<std::size_t>(r.count));
  if (r.count < kSignificantDigits && d.digits[r.count] >= '5') {
    int i = r.count - 1;
    while (i >= 0 && r.digits[i] == '9') r.digits[i--] = '0';
    if (i >= 0) {
      ++r.digits[i];
    } else {
      r.count = 1;
      r.digits[0] = '1';
      ++r.exponent;
    }
  }
  while (r.count > 1 && r.digits[r.count - 1] == '0') --r.count;
  return r;
}

// Integer digits, then `decimals` fraction digits (when negative: as many as
// the digits need), zeros filling in.
void AppendPlain(std::string& out, const RoundedDigits& r, std::string_view separator,
                 int decimals) {
  const long long fractionDigits =
      decimals >= 0 ? decimals : std::max<long long>(0, r.count - (r.exponent + 1LL));
  // Digit i (0-based from the first significant one) is r.digits[i] for
  // i < count, else '0'; the integer part has exponent + 1 digits.
  const long long integerDigits = r.exponent >= 0 ? r.exponent + 1LL : 0;
  const std::size_t start = out.size();
  out.resize(
      start + static_cast<std::size_t>(std::max<long long>(integerDigits, 1)) +
      (fractionDigits > 0 ? separator.size() + static_cast<std::size_t>(fractionDigits) : 0));
  char* to = out.data() + start;
  auto copyDigits = [&r, &to](long long from, long long count) {
    // Digits [from, from + count) of the rounded number, zeros outside.
    for (long long i = from; i < from + count;) {
      if (i >= 0 && i < r.count) {
        const long long n = std::min<long long>(r.count, from + count) - i;
        std::memcpy(to, r.digits + i, static_cast<std::size_t>(n));
        to += n;
        i += n;
      } else {
        const long long stop = i < 0 ? std::min<long long>(0, from + count) : from + count;
        std::memset(to, '0', static_cast<std::size_t>(stop - i));
        to += stop - i;
        i = stop;
      }
    }
  };
  if (integerDigits > 0) {
    copyDigits(0, integerDigits);
  } else {
    *to++ = '0';
  }
  if (fractionDigits == 0) return;
  std::memcpy(to, separator.data(), separator.size());
  to += separator.size();
  copyDigits(r.exponent + 1LL, fractionDigits);
}

void AppendScientific(std::string& out, const RoundedDigits& r, std::string_view separator,
                      int exponentWidth) {
  out += r.digits[0];
  if (r.count > 1) {
    out += separator;
    out.append(r.digits + 1, static_cast<std::size_t>(r.count - 1));
  }
  out += 'E';
  if (r.exponent < 0) out += '-';
  char buffer[16];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, r.exponent < 0 ? -r.exponent : r.exponent);
  (void)ec;
  const int length = static_cast<int>(end - buffer);
  for (int i = length; i < exponentWidth; ++i) out += '0';
  out.append(buffer, static_cast<std::size_t>(length));
}

// "INF", "-INF" or "NAN"; false for a finite value.
bool FormatNonFinite(Extended value, std::string& out) {
  if (std::isnan(value)) {
    out = "NAN";
    return true;
  }
  if (std::isinf(value)) {
    out = value < 0 ? "-INF" : "INF";
    return true;
  }
  return false;
}

constexpr int kGeneralPrecision = 15;

}  // namespace

std::string DecimalSeparator() {
  // nl_langinfo reads the same LC_NUMERIC setting as localeconv() but,
  // unlike it, may be called from several threads at once.
#ifdef TERNAVO_HAVE_LANGINFO
  const char* point = nl_langinfo(RADIXCHAR);
#else
  const char* point = std::localeconv()->decimal_point;
#endif
  if (point == nullptr || *point == '\0') return ".";
  return point;
}

std::string FormatInteger(int32_t value) {
  char buffer[16];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)ec;
  return std::string(buffer, end);
}

std::string FormatGeneral(Extended value) {
  std::string out;
  if (FormatNonFinite(value, out)) return out;
  const DecimalDigits d = ToDecimalDigits(value);
  if (d.zero) return "0";
  const RoundedDigits r = RoundAt(d, d.exponent - kGeneralPrecision + 1);
  const std::string separator = DecimalSeparator();
  out.reserve(32);
  if (d.negative) out += '-';
  // At most 15 integer digits, and at most three zeros after the separator.
  if (r.exponent >= -4 && r.exponent < kGeneralPrecision) {
    AppendPlain(out, r, separator, -1);
  } else {
    AppendScientific(out, r, separator, 0);
  }
  return out;
}

void AppendFixed(std::string& out, Extended value, int precision, int decimals,
                 std::string_view separator) {
  if (std::isnan(value)) {
    out += "NAN";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-INF" : "INF";
    return;
  }
  precision = std::max(precision, 1);
  decimals = std::max(decimals, 0);
  const DecimalDigits d = ToDecimalDigits(value);
  RoundedDigits r;
  if (!d.zero) {
    // Whichever of the P-th significant digit and the D-th decimal comes first.
    r = RoundAt(d, std::max(d.exponent - precision + 1, -decimals));
  } else {
    r.zero = true;
  }
  if (r.zero) {
    out += '0';
    if (decimals > 0) {
      out += separator;
      out.append(static_cast<std::size_t>(decimals), '0');
    }
    return;
  }
  if (d.negative) out += '-';
  if (r.exponent < precision) {
    AppendPlain(out, r, separator, decimals);
  } else {
    AppendScientific(out, r, separator, decimals <= 4 ? decimals : 0);
  }
}

std::string FormatFixed(Extended value, int precision, int decimals) {
  std::string out;
  out.reserve(static_cast<std::size_t>(std::max(decimals, 0)) + 24);
  AppendFixed(out, value, precision, decimals, DecimalSeparator());
  return out;
}

}  // namespace ternavo
