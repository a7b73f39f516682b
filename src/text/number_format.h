// The three renderings of every number written for the user: integer,
// general (15 significant digits) and fixed with precision P and D decimals.
// The decimal separator is the locale's (LC_NUMERIC), read at each call;
// there is never a thousands separator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "numeric/extended.h"

namespace ternavo {

// The decimal separator of the current C locale ("." when it has none).
std::string DecimalSeparator();

std::string FormatInteger(int32_t value);
std::string FormatGeneral(Extended value);
std::string FormatFixed(Extended value, int precision, int decimals);
// FormatFixed appended to `out`, with the separator given (for long runs of
// numbers: the locale is read once).
void AppendFixed(std::string& out, Extended value, int precision, int decimals,
                 std::string_view separator);

}  // namespace ternavo
