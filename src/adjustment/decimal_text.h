// Decimal numbers as the coordinate files and lists write them: "." as the
// decimal point in every locale, correctly rounded to the extended type.
#pragma once

#include "numeric/extended.h"

namespace ternavo {

// The text [b, e): an optional sign, digits with an optional "." and an
// optional exponent; nothing else (no inf, nan or second sign). A value
// below the smallest extended real reads as zero; false for anything else,
// a value beyond the largest included.
bool ParseDecimalText(const char* b, const char* e, Extended& value);

}  // namespace ternavo
