// The 18 significant decimal digits of an extended real, correctly rounded
// (ties to even). Every rendering rounds these digits, never the binary
// value, so 2.675 counts as a true half.
#pragma once

#include "numeric/extended.h"

namespace ternavo {

constexpr int kSignificantDigits = 18;

struct DecimalDigits {
  bool negative = false;
  bool zero = false;
  char digits[kSignificantDigits] = {};  // '0'..'9'; digits[0] is nonzero unless zero
  int exponent = 0;                      // decimal exponent of digits[0]
};

// `value` must be finite.
DecimalDigits ToDecimalDigits(Extended value);

// The same digits obtained through the C library's conversion; slow, the
// reference for values outside the exact integer fast path.
DecimalDigits ToDecimalDigitsByPrintf(Extended value);

}  // namespace ternavo
